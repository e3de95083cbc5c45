// Ctrl+V in the list types the selected login into the window that was in
// front when the list was shown: a login form in another process, which
// records what its edits hold and how often OK was pressed. The auto-type key
// fills the same form with the login its title names, or the one chosen from
// the menu of several.
#include "core/autotype/match.h"
#include "ui/auto_type.h"
#include "ui/auto_type_hotkey.h"
#include "view_fixture.h"

using namespace view_test;

namespace {

class LoginForm {
public:
    LoginForm() {
        char module[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, module, MAX_PATH);
        std::string folder(module);
        folder.erase(folder.rfind('\\'));
        m_out = MakeTempFolder("plf") + "\\form.txt";
        std::string command = "\"" + folder + "\\login_form_probe.exe\" " + m_out;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process)) {
            return;
        }
        PumpUntil(
            theApp, [&] { return (m_hWnd = FindWindowA("PellucordaLoginFormProbe", nullptr)) != nullptr; }, 30000);
        PumpUntil(
            theApp, [&] { return State() == "\n\n0\n"; }, 30000);
    }
    ~LoginForm() { Close(); }
    void Close() {
        if (m_process.hProcess == nullptr) return;
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(m_process.hProcess, 1);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
        m_process = {};
    }
    HWND Window() const { return m_hWnd; }
    // The user name, the password (UTF-8) and the count of OK presses, one to a line.
    std::string State() const {
        // Shared for deleting too, so the form can put its next record in place.
        HANDLE file = CreateFileA(m_out.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        char bytes[256] = {};
        DWORD read = 0;
        if (file != INVALID_HANDLE_VALUE) ReadFile(file, bytes, sizeof bytes, &read, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return std::string(bytes, read);
    }

private:
    std::string m_out;
    PROCESS_INFORMATION m_process = {};
    HWND m_hWnd = nullptr;
};

// Reads the shown menu's lines and presses keys in it, from a timer that
// runs inside the menu's own loop; a menu left open is ended after some 20 s.
struct MenuDriver {
    std::vector<UINT> keys;
    std::vector<std::string> lines;
    int ticks = 0;
};
MenuDriver* g_menuDriver = nullptr;

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (g_menuDriver == nullptr) return;
    if (++g_menuDriver->ticks > 2000) EndMenu();
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr && !IsWindowVisible(menu)) {
    }
    if (menu == nullptr || !g_menuDriver->lines.empty()) return;
    HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(items); ++i) {
        char text[128] = {};
        GetMenuStringA(items, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        g_menuDriver->lines.push_back(text);
    }
    for (UINT vk : g_menuDriver->keys) {
        PostMessageA(menu, WM_KEYDOWN, vk, 1);
        PostMessageA(menu, WM_KEYUP, vk, 0xC0000001);
    }
}

bool BringToFront(HWND hWnd) {
    SetForegroundWindow(hWnd);
    return PumpUntil(
        theApp, [&] { return GetForegroundWindow() == hWnd; }, 10000);
}

class AutoTypeTest : public ViewTest {
protected:
    // The list shown from `front`, as the hotkey shows it, with `row` selected.
    void ShowListFrom(HWND front, int row) {
        view.ShowWindow(SW_HIDE);
        ASSERT_TRUE(BringToFront(front));
        view.ShowWindow(SW_SHOWNORMAL);
        ASSERT_TRUE(BringToFront(view));
        ::SetFocus(view.m_listItem.m_hWnd);
        Select(row);
    }
};

}  // namespace

TEST_F(AutoTypeTest, CtrlVTypesTheSequenceIntoTheFormAndNothingOntoTheClipboard) {
    struct Case {
        const char* user;
        const char* password;
        const char* description;
        const char* state;
    } const cases[] = {
        {"alice", "s3cret", "", "alice\ns3cret\n1\n"},
        // Windows-1252 text arrives as the characters it stands for.
        {"Zo\xEB",
         "\xDCn\xEF"
         "c\xF6"
         "d\xE9\x80",
         "",
         "Zo\xC3\xAB\n\xC3\x9Cn\xC3\xAF"
         "c\xC3\xB6"
         "d\xC3\xA9\xE2\x82\xAC\n1\n"},
        {"bob", "pw", "note\r\nAuto-Type: {PASSWORD}{TAB}{DELAY 50}x{{}{USERNAME}{ENTER}", "pw\nx{bob\n1\n"},
    };
    for (const Case& c : cases) {
        LogInWith(1, [&](int) {
            LoginItem item = MakeItem("svc", c.user, c.password, "host", ADDRESS_HTTP);
            CopyField(item.description, sizeof item.description, c.description);
            return item;
        });
        LoginForm form;
        ShowListFrom(form.Window(), 0);
        const DWORD clipboard = GetClipboardSequenceNumber();
        EXPECT_TRUE(PressKey('V', true, [&] { return form.State() == c.state; })) << form.State();
        EXPECT_FALSE(view.IsWindowVisible());
        EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
    }
}

TEST_F(AutoTypeTest, AnotherWindowComingToTheFrontStopsTheTypingAtOnce) {
    LogInWith(1, [](int) {
        LoginItem item = MakeItem("svc", "carol", "never", "host", ADDRESS_HTTP);
        CopyField(item.description, sizeof item.description,
                  "Auto-Type: {USERNAME}{TAB}{DELAY 10000}{PASSWORD}{ENTER}");
        return item;
    });
    LoginForm form;
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 400, 100, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    static std::function<void()> s_onTick;
    s_onTick = [&] {
        if (form.State() == "carol\n\n0\n") SetForegroundWindow(other);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { s_onTick(); });
    ShowListFrom(form.Window(), 0);
    std::string told;
    DialogDriver driver;
    driver.ExpectMessageBox([&](DialogContext& box) {
        told = box.MessageText();
        box.Click(IDOK);
    });
    EXPECT_TRUE(PressKey('V', true, [&] { return driver.Done(); }));
    KillTimer(nullptr, timer);
    EXPECT_EQ(told, "Auto-type stopped: the window it was typing into is no longer in front.");
    // Input arrives in order: once a marker typed now is there, anything the
    // sequence sent is too. The password never came, nor Enter.
    ASSERT_TRUE(BringToFront(form.Window()));
    INPUT marker[2] = {};
    for (INPUT& input : marker) {
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = '#';
        input.ki.dwFlags = KEYEVENTF_UNICODE | (&input == &marker[1] ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, marker, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil(
        theApp, [&] { return form.State() == "carol\n#\n0\n"; }, 10000))
        << form.State();
    DestroyWindow(other);
}

TEST_F(AutoTypeTest, WhatCannotBeTypedIsToldAndNothingArrives) {
    struct Case {
        const char* description;
        bool formGone;
        bool holdControl;
        const char* told;
    } const cases[] = {
        {"", true, false,
         "There is no window to type into. Show the list from the window that asks for the login, then press "
         "Ctrl+V."},
        {"Auto-Type: {USERNAME}{PASWORD}", false, false,
         "The Auto-Type line of this login has an unknown placeholder {PASWORD}. Nothing was typed."},
        {"", false, true, "Auto-type did not start: release Ctrl, Alt, Shift and the Windows key."},
    };
    for (const Case& c : cases) {
        LogInWith(1, [&](int) {
            LoginItem item = MakeItem("svc", "dave", "pw", "host", ADDRESS_HTTP);
            CopyField(item.description, sizeof item.description, c.description);
            return item;
        });
        LoginForm form;
        ShowListFrom(form.Window(), 0);
        EXPECT_EQ(view.GetAutoTypeTarget(), form.Window());
        if (c.formGone) form.Close();
        std::string told;
        DialogDriver driver;
        driver.ExpectMessageBox([&](DialogContext& box) {
            told = box.MessageText();
            box.Click(IDOK);
        });
        keybd_event(VK_CONTROL, 0, 0, 0);
        EXPECT_TRUE(PressKey('V', !c.holdControl, [&] { return driver.Done(); }));
        keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
        EXPECT_EQ(told, c.told);
        if (!c.formGone) {
            EXPECT_EQ(form.State(), "\n\n0\n");
        }
    }
}

TEST_F(ViewTest, SeveralLoginsForAWindowAreOfferedInAMenuWhereKeysChooseOne) {
    LogInWith(4, [](int i) {
        const std::string n = std::to_string(i);
        return MakeItem(i == 1 ? "R&D" : "Bank " + n, "user" + n, "pw" + n, i == 2 ? "mail.example" : "bank.example",
                        ADDRESS_HTTPS);
    });
    const std::vector<int> found = FindLoginsForTitle(theApp.m_store, "Welcome - bank.example");
    ASSERT_EQ(found, (std::vector<int>{0, 1, 3}));
    const struct {
        std::vector<UINT> keys;
        int chosen;
    } cases[] = {{{VK_DOWN, VK_DOWN, VK_RETURN}, 1}, {{VK_DOWN, VK_ESCAPE}, -1}};
    for (const auto& c : cases) {
        MenuDriver driver;
        driver.keys = c.keys;
        g_menuDriver = &driver;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, DriveMenu);
        EXPECT_EQ(ChooseLoginFromMenu(theApp.m_store, found), c.chosen);
        KillTimer(nullptr, timer);
        g_menuDriver = nullptr;
        EXPECT_EQ(driver.lines,
                  (std::vector<std::string>{"Bank 0 \x97 user0", "R&&D \x97 user1", "Bank 3 \x97 user3"}));
    }
}

// The key pressed over the form: nobody logged in, the Login dialog first;
// one login its title ("Login form probe") names is typed at once; of several
// the one chosen in the menu; with none the list shows, ready to type into
// the form.
TEST_F(AutoTypeTest, TheAutoTypeKeyFillsTheFormInFrontWithTheLoginItsTitleNames) {
    const UINT atom = GlobalFindAtomA(kAutoTypeHotKeyAtomName);
    ASSERT_NE(atom, 0u);
    const struct {
        std::vector<const char*> services;
        bool loggedIn;
        std::vector<UINT> menuKeys;
        const char* state;
    } cases[] = {
        {{"Mail", "Form"}, false, {}, "user1\npw1\n1\n"},
        {{"probe", "Mail", "LOGIN"}, true, {VK_DOWN, VK_DOWN, VK_RETURN}, "user2\npw2\n1\n"},
        {{"Mail"}, true, {}, "\n\n0\n"},
    };
    for (const auto& c : cases) {
        LogInWith(static_cast<int>(c.services.size()), [&](int i) {
            const std::string n = std::to_string(i);
            return MakeItem(c.services[static_cast<std::size_t>(i)], "user" + n, "pw" + n, "host", ADDRESS_HTTP);
        });
        view.ShowWindow(SW_HIDE);
        DialogDriver login;
        if (!c.loggedIn) {
            theApp.m_session.Logout();
            login.ExpectDialog(IDD_LOGIN, [](DialogContext& d) {
                d.Type(IDC_LOGIN_PASSWORD, kPassword);
                d.Click(IDOK);
            });
        }
        LoginForm form;
        ASSERT_TRUE(BringToFront(form.Window()));
        MenuDriver menu;
        menu.keys = c.menuKeys;
        g_menuDriver = &menu;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, DriveMenu);
        const DWORD clipboard = GetClipboardSequenceNumber();
        view.SendMsg(WM_HOTKEY, atom, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'A'));
        EXPECT_TRUE(PumpUntil(
            theApp, [&] { return form.State() == c.state; }, 10000))
            << form.State();
        KillTimer(nullptr, timer);
        g_menuDriver = nullptr;
        EXPECT_EQ(menu.lines.size(), c.menuKeys.empty() ? 0u : 2u);
        EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
        EXPECT_EQ(view.IsWindowVisible() != FALSE, std::string(c.state) == "\n\n0\n") << "the list only for none";
        EXPECT_EQ(view.GetAutoTypeTarget(), form.Window());
    }
}

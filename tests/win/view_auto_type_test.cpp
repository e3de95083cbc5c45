// Ctrl+V in the list types the login into the window in front when the list was shown;
// the auto-type key types the login that window's title names.
#include <tuple>

#include "ui/auto_type.h"
#include "ui/hotkey.h"
#include "view_fixture.h"

using namespace view_test;

namespace {

struct LoginForm {
    explicit LoginForm(const std::string& out) : m_out(out) {
        // Found beside the test program, where the system looks first.
        std::string command = "login_form_probe.exe " + m_out;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process);
        const auto ready = [&] { return State() == "\n\n0\n"; };
        PumpUntil(theApp, ready, 30000);
        m_hWnd = FindWindowA("PellucordaLoginFormProbe", nullptr);
    }
    ~LoginForm() {
        Close();
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
        DeleteFileA(m_out.c_str());
    }
    void Close() {
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        WaitForSingleObject(m_process.hProcess, 30000);
    }
    // The user name and the password (UTF-8) and the count of OK presses, one to a line.
    std::string State() const {
        std::string bytes;
        ReadFileBytes(m_out, bytes);
        return bytes;
    }
    std::string m_out;
    PROCESS_INFORMATION m_process = {};
    HWND m_hWnd = nullptr;
};

bool BringToFront(HWND hWnd) {
    SetForegroundWindow(hWnd);
    const auto inFront = [&] { return GetForegroundWindow() == hWnd; };
    return PumpUntil(theApp, inFront, 10000);
}

class AutoTypeTest : public ViewTest {
protected:
    void LogInWithOne(const char* user, const char* password, const char* description) {
        LogInWith(1, [&](int) {
            LoginItem item = MakeItem("svc", user, password, "host", ADDRESS_HTTP);
            CopyField(item.description, sizeof item.description, description);
            return item;
        });
    }
    // The list shown from `front` as the hotkey shows it, its row selected.
    void ShowListFrom(HWND front) {
        view.ShowWindow(SW_HIDE);
        ASSERT_TRUE(BringToFront(front));
        view.ShowWindow(SW_SHOWNORMAL);
        ASSERT_TRUE(BringToFront(view));
        ::SetFocus(view.m_listItem.m_hWnd);
        Select(0);
    }
    // Ctrl+V (Ctrl left down when asked), and what the message box it brings says.
    std::string ToldOnCtrlV(bool keepControlDown = false) {
        std::string told = "<nothing told>";
        DialogDriver driver;
        driver.ExpectMessageBox([&](DialogContext& box) {
            told = box.MessageText();
            box.Click(IDOK);
        });
        keybd_event(VK_CONTROL, 0, 0, 0);
        EXPECT_TRUE(PressKey('V', !keepControlDown, [&] { return driver.Done(); }));
        keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
        return told;
    }
};

}  // namespace

TEST_F(AutoTypeTest, CtrlVTypesTheSequenceIntoTheFormAndNothingOntoTheClipboard) {
    const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
        {"alice", "s3cret", "", "alice\ns3cret\n1\n"},
        // Windows-1252 text arrives as the characters it stands for.
        {"Zo\xEB", "\xDCn\xEF\x63\xF6\x64\xE9\x80", "",
         "Zo\xC3\xAB\n\xC3\x9Cn\xC3\xAF\x63\xC3\xB6\x64\xC3\xA9\xE2\x82\xAC\n1\n"},
        {"bob", "pw", "note\r\nAuto-Type: {PASSWORD}{TAB}{DELAY 50}x{{}{USERNAME}{ENTER}", "pw\nx{bob\n1\n"},
    };
    for (const auto& [user, password, description, state] : cases) {
        LogInWithOne(user, password, description);
        LoginForm form(folder + "\\form.txt");
        ShowListFrom(form.m_hWnd);
        const DWORD clipboard = GetClipboardSequenceNumber();
        EXPECT_TRUE(PressKey('V', true, [&, &expected = state] { return form.State() == expected; })) << form.State();
        EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
    }
}

TEST_F(AutoTypeTest, AnotherWindowComingToTheFrontStopsTheTypingAtOnce) {
    LogInWithOne("carol", "never", "Auto-Type: {USERNAME}{TAB}{DELAY 10000}{PASSWORD}{ENTER}");
    LoginForm form(folder + "\\form.txt");
    HWND other =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 400, 99, 49, nullptr, nullptr, nullptr, nullptr);
    static std::function<void()> s_onTick;
    s_onTick = [&] {
        if (form.State() == "carol\n\n0\n") SetForegroundWindow(other);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { s_onTick(); });
    ShowListFrom(form.m_hWnd);
    EXPECT_EQ(ToldOnCtrlV(), "Auto-type stopped: the window it was typing into is no longer in front.");
    KillTimer(nullptr, timer);
    // Input arrives in order: once a marker typed now is there, all that the
    // sequence sent is too. Neither the password nor Enter came.
    ASSERT_TRUE(BringToFront(form.m_hWnd));
    EXPECT_TRUE(PressKey('M', false, [&] { return form.State() == "carol\nm\n0\n"; })) << form.State();
    DestroyWindow(other);
}

TEST_F(AutoTypeTest, WhatCannotBeTypedIsToldAndNothingArrives) {
    const std::tuple<const char*, bool, bool, const char*> cases[] = {
        {"", true, false,
         "There is no window to type into. Show the list from the window that asks for the login, then press "
         "Ctrl+V."},
        {"Auto-Type: {USERNAME}{PASWORD}", false, false,
         "The Auto-Type line of this login has an unknown placeholder {PASWORD}. Nothing was typed."},
        {"", false, true, "Auto-type did not start: release Ctrl, Alt, Shift and the Windows key."},
    };
    for (const auto& [description, formGone, keepControlDown, told] : cases) {
        LogInWithOne("dave", "pw", description);
        LoginForm form(folder + "\\form.txt");
        ShowListFrom(form.m_hWnd);
        EXPECT_EQ(view.GetAutoTypeTarget(), form.m_hWnd);
        if (formGone) form.Close();
        EXPECT_EQ(ToldOnCtrlV(keepControlDown), told);
        EXPECT_EQ(form.State(), "\n\n0\n");
        EXPECT_EQ(view.IsWindowVisible() != FALSE, formGone) << "the list stays only when there is no window";
    }
}

// The key over the form ("Login form probe"): the Login dialog first when
// nobody is logged in; the one login its title names typed at once; of
// several, the one chosen in the menu ("service — user" lines) or none after
// Escape; with none the list shows, ready to type into the form.
TEST_F(AutoTypeTest, TheAutoTypeKeyTypesTheLoginTheTitleInFrontNames) {
    using Lines = std::vector<std::string>;
    const std::tuple<std::vector<const char*>, bool, std::vector<UINT>, const char*> cases[] = {
        {{"Mail", "Form"}, false, {}, "user1\npw1\n1\n"},
        {{"R&D", "LOGIN"}, true, {VK_DOWN, VK_DOWN, VK_RETURN}, "user1\npw1\n1\n"},
        {{"R&D", "LOGIN"}, true, {VK_ESCAPE}, "\n\n0\n"},
        {{"Mail"}, true, {}, "\n\n0\n"},
    };
    for (const auto& [services, loggedIn, keys, state] : cases) {
        LogInWith(static_cast<int>(services.size()), [&, &names = services](int i) {
            const std::string n = std::to_string(i), name = names[static_cast<std::size_t>(i)];
            // "R&D" is named by its address's host.
            return MakeItem(name, "user" + n, "pw" + n, name == "R&D" ? "www.Probe:8080/in" : "host", ADDRESS_HTTP);
        });
        view.ShowWindow(SW_HIDE);
        DialogDriver login;
        if (!loggedIn) {
            theApp.m_session.Logout();
            login.ExpectDialog(IDD_LOGIN, [](DialogContext& d) {
                d.Type(IDC_LOGIN_PASSWORD, kPassword);
                d.Click(IDOK);
            });
        }
        LoginForm form(folder + "\\form.txt");
        ASSERT_TRUE(BringToFront(form.m_hWnd));
        // Inside the menu's own loop: its lines read, the keys pressed in it.
        static std::function<void()> s_onTick;
        Lines shown;
        int ticks = 0;
        s_onTick = [&, &press = keys] {
            HWND menu = nullptr;
            while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr && !IsWindowVisible(menu)) {
            }
            if (++ticks > 2000) EndMenu();
            if (menu == nullptr || !shown.empty()) return;
            HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(items); ++i) {
                char text[128] = {};
                GetMenuStringA(items, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                shown.push_back(text);
            }
            for (UINT vk : press) PostMessageA(menu, WM_KEYDOWN, vk, 1);
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { s_onTick(); });
        const DWORD clipboard = GetClipboardSequenceNumber();
        view.SendMsg(WM_HOTKEY, GlobalFindAtomA(kAutoTypeHotKeyAtomName), MAKELPARAM(MOD_CONTROL | MOD_ALT, 'A'));
        KillTimer(nullptr, timer);
        EXPECT_TRUE(PumpUntil(theApp, [&, &expected = state] { return form.State() == expected; })) << form.State();
        EXPECT_EQ(shown, (keys.empty() ? Lines{} : Lines{"R&&D \x97 user0", "LOGIN \x97 user1"}));
        EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
        EXPECT_EQ(view.IsWindowVisible() != FALSE, services.size() == 1) << "the list shows only when none is named";
        EXPECT_EQ(view.GetAutoTypeTarget(), form.m_hWnd);
    }
}

// The list window as a window: its start, its fit into the size start-up
// gives it, showing and hiding, opacity, the hotkey, the logout timer, Lock,
// and the clipboard copies.
#include <algorithm>
#include <functional>
#include <thread>

#include "support/dpi_process.h"
#include "support/message_pump.h"
#include "ui/clipboard.h"
#include "view_fixture.h"

using namespace view_test;

namespace {

// Whether some other window could take Windows+A now.
bool HotKeyIsFree() {
    HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool free = RegisterHotKey(probe, 0x7000, MOD_WIN, 'A') != FALSE;
    if (free) UnregisterHotKey(probe, 0x7000);
    DestroyWindow(probe);
    return free;
}

BYTE Opacity(HWND hWnd) {
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(hWnd, nullptr, &alpha, &flags);
    return (flags & LWA_ALPHA) != 0 ? alpha : 0;
}

struct TimerCall {
    UINT_PTR id;
    UINT elapse;
};
std::vector<TimerCall> g_timerCalls;

struct RecordingTimers : TimerStarter {
    UINT_PTR Start(HWND hWnd, UINT_PTR id, UINT elapse) override {
        g_timerCalls.push_back({id, elapse});
        return ::SetTimer(hWnd, id, elapse, nullptr);
    }
} g_recordingTimers;

DWORD ClipboardDword(const char* formatName) {
    DWORD value = 0xDEAD;
    if (!OpenClipboard(nullptr)) return value;
    if (HANDLE data = GetClipboardData(RegisterClipboardFormatA(formatName))) {
        if (GlobalSize(data) >= sizeof value) {
            std::memcpy(&value, GlobalLock(data), sizeof value);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return value;
}

class FailingAlloc : public SystemClipboardCalls {
public:
    HGLOBAL Alloc(UINT, SIZE_T) override { return nullptr; }
};

// Another program holding the clipboard open until released.
class ClipboardHolder {
public:
    ClipboardHolder()
        : m_opened(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_release(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        m_thread = std::thread([this] {
            OpenClipboard(nullptr);
            SetEvent(m_opened);
            WaitForSingleObject(m_release, 30000);
            CloseClipboard();
        });
        WaitForSingleObject(m_opened, 30000);
    }
    ~ClipboardHolder() {
        SetEvent(m_release);
        m_thread.join();
        CloseHandle(m_opened);
        CloseHandle(m_release);
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;

private:
    HANDLE m_opened;
    HANDLE m_release;
    std::thread m_thread;
};

class RefuseText : public SystemClipboardCalls {
public:
    HANDLE SetData(UINT format, HANDLE memory) override {
        return format == CF_TEXT ? nullptr : SystemClipboardCalls::SetData(format, memory);
    }
};

class OpenAfterRefusals : public SystemClipboardCalls {
public:
    int openCalls = 0;
    int refusals = 0;
    BOOL Open(HWND hWnd) override {
        ++openCalls;
        if (refusals > 0) {
            --refusals;
            return FALSE;
        }
        return SystemClipboardCalls::Open(hWnd);
    }
};

}  // namespace

TEST_F(ViewTest, StartsLayeredWithTheSettingsOpacityAndNoHotKeyWhenSwitchedOff) {
    theApp.m_settings.SaveValue(SettingAlpha, 200);
    theApp.m_settings.SaveValue(SettingHotKey, 0);
    view.m_hotKey.Enable(FALSE);
    CViewDlg other(theApp.m_session);
    ASSERT_TRUE(other.Create(IDD_VIEW));
    EXPECT_TRUE(HotKeyIsFree()) << "the hotkey setting is off";
    EXPECT_NE(other.GetExStyle() & WS_EX_LAYERED, 0u);
    EXPECT_EQ(Opacity(other), 200);

    // The Config dialog's switch takes effect at once, either way.
    other.m_hotKey.Enable(TRUE);
    EXPECT_FALSE(HotKeyIsFree());
    other.m_hotKey.Enable(TRUE);
    other.m_hotKey.Enable(FALSE);
    EXPECT_TRUE(HotKeyIsFree()) << "a repeated \"on\" needs only one \"off\"";
    other.m_hotKey.Enable(TRUE);
    other.DestroyWindow();
    EXPECT_TRUE(HotKeyIsFree()) << "destroying the window gives the hotkey up";
    view.m_hotKey.Enable(TRUE);
}

TEST_F(ViewTest, EveryControlShowsWholeInTheSizeStartUpGivesTheWindow) {
    RECT client;
    view.GetClientRect(&client);
    HDC dc = GetDC(view);
    for (HWND child = GetWindow(view, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&rect), 2);
        char text[64] = {};
        GetWindowTextA(child, text, sizeof text);
        EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= client.right && rect.bottom <= client.bottom)
            << "\"" << text << "\" is cut off by the window's edge";
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Button") != 0 && lstrcmpiA(className, "Static") != 0) continue;
        HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
        SIZE extent;
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
        SelectObject(dc, previousFont);
        EXPECT_LE(extent.cx, rect.right - rect.left) << "\"" << text << "\" does not fit its control";
        EXPECT_LE(extent.cy, rect.bottom - rect.top) << "\"" << text << "\" does not fit its control";
    }
    ReleaseDC(view, dc);
}

// A page is ten rows: in the size start-up gives the window, every one of
// them lies inside the list's client area, below the header, with no
// scrolling, and the "no." heading shows whole.
TEST_F(ViewTest, AFullPageShowsEveryRowAndTheNumberHeadingWhole) {
    LogInWith(15);
    HWND list = view.m_listItem.GetSafeHwnd();
    RECT client;
    GetClientRect(list, &client);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT headerRect;
    GetWindowRect(header, &headerRect);
    MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&headerRect), 2);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
    ASSERT_EQ(view.m_listItem.GetItemCount(), 10);
    for (int row = 0; row < 10; ++row) {
        RECT rect = {};
        rect.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        EXPECT_GE(rect.top, headerRect.bottom) << "row " << row;
        EXPECT_LE(rect.bottom, client.bottom) << "row " << row << " needs scrolling";
    }

    RECT heading = {};
    SendMessageA(header, HDM_GETITEMRECT, ViewColumnIndex, reinterpret_cast<LPARAM>(&heading));
    HDC dc = GetDC(header);
    HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(header, WM_GETFONT, 0, 0)));
    SIZE extent;
    GetTextExtentPoint32A(dc, "no.", 3, &extent);
    SelectObject(dc, previousFont);
    ReleaseDC(header, dc);
    // The header keeps a margin of three edges on either side of a heading.
    EXPECT_GE(heading.right - heading.left, extent.cx + 6 * GetSystemMetrics(SM_CXEDGE)) << "\"no.\" is cut";
}

// The visible columns take the list's client width and no more (nothing to
// scroll sideways for the user name), those after "no." in the proportions
// of their given widths, at whatever scaling this process runs; a new size
// fits them again.
TEST_F(ViewTest, TheVisibleColumnsFitTheListInTheirProportions) {
    int dpi = 0;
    ASSERT_NO_FATAL_FAILURE(ExpectAskedDpi(dpi));
    LogInWith(10);
    HWND list = view.m_listItem.GetSafeHwnd();
    const int given[] = {30, 150, 60, 70};  // no., service name, type, user name
    for (int width : {300, 420}) {
        view.SetWindowPos(nullptr, 0, 0, width, 310, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SCOPED_TRACE(testing::Message() << dpi << " dpi, window " << width << " pixels wide");
        RECT client;
        GetClientRect(list, &client);
        int widths[4], sum = 0;
        for (int c = 0; c < 4; ++c) sum += widths[c] = ListView_GetColumnWidth(list, c);
        EXPECT_LE(sum, client.right);
        EXPECT_GE(sum, client.right - 3) << "the columns take the width";
        EXPECT_FALSE(GetWindowLongA(list, GWL_STYLE) & WS_HSCROLL);
        EXPECT_GE(widths[0], given[0] * client.right / 310) << "\"no.\" keeps at least its share";
        const double rest = widths[1] + widths[2] + widths[3];
        for (int c = 1; c < 4; ++c) EXPECT_NEAR(widths[c], given[c] * rest / 280, 1.0) << "column " << c;
        EXPECT_EQ(ListView_GetColumnWidth(list, ViewColumnPassword), 0) << "hidden columns stay hidden";
        EXPECT_EQ(ListView_GetColumnWidth(list, ViewColumnServiceAddress), 0);
    }
}

TEST(ViewScaling, TheVisibleColumnsFitTheListAt144Dpi) {
    EXPECT_EQ(RunTestsAtDpi("ViewTest.TheVisibleColumnsFitTheListInTheirProportions", 144), 0u)
        << "the test failed at 144 dpi (its output is above)";
}

TEST_F(ViewTest, ShowingAndHidingNeverTouchesTheRows) {
    LogInWith(3);
    for (int action = 0; action < 4; ++action) {
        view.ShowWindow(SW_SHOWNORMAL);
        switch (action) {
        case 0: view.SendMsg(WM_LBUTTONDBLCLK, 0, MAKELPARAM(2, 2)); break;  // the window's own background
        case 1: Press(IDOK); break;                                          // Enter
        case 2: Press(IDCANCEL); break;                                      // Escape
        case 3: view.SendMsg(WM_SYSCOMMAND, SC_CLOSE); break;                // the close box (posts)
        }
        EXPECT_TRUE(PumpUntil(theApp, [&] { return !view.IsWindowVisible(); })) << "action " << action;
        EXPECT_TRUE(theApp.m_session.IsLoggedIn());
        EXPECT_EQ(view.m_listItem.GetItemCount(), 3);
    }
}

TEST_F(ViewTest, AnOpacityChangeShowsTheWindowOnlyToSomebodyLoggedIn) {
    theApp.m_session.SetViewAlpha(150);
    EXPECT_TRUE(PumpUntil(theApp, [&] { return Opacity(view) == 150; }));
    EXPECT_FALSE(view.IsWindowVisible()) << "a locked window stays out of sight";

    LogInWith(1);
    theApp.m_session.SetViewAlpha(220);
    EXPECT_TRUE(PumpUntil(theApp, [&] { return view.IsWindowVisible() != FALSE; }));
    EXPECT_EQ(Opacity(view), 220);
}

TEST_F(ViewTest, HotKeyTogglesAndLogsInFirst) {
    const UINT atom = GlobalFindAtomA(kHotKeyAtomName);
    ASSERT_NE(atom, 0u);
    EXPECT_FALSE(HotKeyIsFree()) << "the setting is on";

    DialogDriver driver;
    driver.ExpectDialog(IDD_LOGIN, [](DialogContext& d) { d.PressKey(VK_ESCAPE); });
    view.SendMsg(WM_HOTKEY, atom, MAKELPARAM(MOD_WIN, 'A'));
    EXPECT_FALSE(view.IsWindowVisible()) << "a cancelled login shows nothing";

    driver.ExpectDialog(IDD_LOGIN, [](DialogContext& d) {
        d.Type(IDC_LOGIN_PASSWORD, kPassword);
        d.Click(IDOK);
    });
    view.SendMsg(WM_HOTKEY, atom, MAKELPARAM(MOD_WIN, 'A'));
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(view.IsWindowVisible());
    EXPECT_EQ(Column(ViewColumnIndex), Numbers(0, 0)) << "the new vault's default item";

    view.SendMsg(WM_HOTKEY, atom + 1, MAKELPARAM(MOD_WIN, 'A'));
    EXPECT_TRUE(view.IsWindowVisible()) << "another hotkey's id is not ours";
    view.SendMsg(WM_HOTKEY, atom, MAKELPARAM(MOD_WIN, 'A'));
    EXPECT_FALSE(view.IsWindowVisible());
    view.SendMsg(WM_HOTKEY, atom, MAKELPARAM(MOD_WIN, 'A'));
    EXPECT_TRUE(view.IsWindowVisible());
}

TEST_F(ViewTest, LogoutTimerRunsTheSetMinutesFromLoginAndLocksWhenItFires) {
    view.SetTimerStarter(&g_recordingTimers);
    g_timerCalls.clear();
    theApp.m_session.SetLogoutTime(5);
    EXPECT_TRUE(g_timerCalls.empty()) << "nobody logged in: no timer";

    LogInWith(0);
    ASSERT_EQ(g_timerCalls.size(), 1u);
    EXPECT_EQ(g_timerCalls[0].id, 1u);
    EXPECT_EQ(g_timerCalls[0].elapse, 5u * 60000u);

    theApp.m_session.SetLogoutTime(0);
    EXPECT_EQ(g_timerCalls.size(), 1u) << "0 minutes: no automatic logout";
    theApp.m_session.SetLogoutTime(60);
    ASSERT_EQ(g_timerCalls.size(), 2u);
    EXPECT_EQ(g_timerCalls[1].elapse, 60u * 60000u);

    view.SendMsg(WM_TIMER, 2);
    EXPECT_TRUE(theApp.m_session.IsLoggedIn()) << "not the logout timer";
    view.ShowWindow(SW_SHOWNORMAL);
    view.SendMsg(WM_TIMER, kLogoutTimerId);
    EXPECT_FALSE(theApp.m_session.IsLoggedIn());
    EXPECT_FALSE(view.IsWindowVisible());
    EXPECT_EQ(view.m_nLogoutTimer, 0u);
}

TEST_F(ViewTest, LockLeavesAnEmptyHiddenListOnWhichItemCommandsDoNothing) {
    LogInWith(5);
    view.ShowWindow(SW_SHOWNORMAL);
    Press(IDC_VIEW_LOCK);
    EXPECT_FALSE(theApp.m_session.IsLoggedIn());
    EXPECT_FALSE(theApp.m_store.IsOpen());
    EXPECT_FALSE(view.IsWindowVisible());
    EXPECT_EQ(view.m_listItem.GetItemCount(), 0) << "no row of a locked vault stays";

    // No dialog may appear and nothing may be saved over the vault.
    DialogDriver driver;
    SetClipboardTextAsAnotherProgram("kept");
    ::SetWindowTextA(view.m_editQuery.m_hWnd, "svc");
    for (int id : {IDC_VIEW_NEW, IDC_VIEW_MODIFY, IDC_VIEW_DELETE, IDC_VIEW_QUERY, IDC_VIEW_NEXT}) Press(id);
    for (UINT code : {NM_CLICK, NM_RCLICK, NM_DBLCLK, NM_RDBLCLK}) Notify(code);
    EXPECT_EQ(ClipboardText(), "kept");
    EXPECT_EQ(Reopen()->GetCount(), 5u);
}

// Hidden by the Lock button or by the hotkey, with the mouse resting on a
// control that tracks it: no timer of the list and no mouse tracking stay.
TEST_F(ViewTest, HidingLeavesNoMouseTrackingAndALockNoTimer) {
    HWND lock = ::GetDlgItem(view, IDC_VIEW_LOCK);
    auto tracked = [&] {
        TRACKMOUSEEVENT query = {sizeof query, TME_QUERY, nullptr, 0};
        return ::TrackMouseEvent(&query) && query.hwndTrack == lock && (query.dwFlags & TME_LEAVE) != 0;
    };
    theApp.m_settings.SetLogoutTime(5);
    for (bool bLock : {false, true}) {
        LogInWith(1);
        view.ShowWindow(SW_SHOWNORMAL);
        view.CopyToClipboard("pw0", "Password");
        RECT rect;
        ::GetWindowRect(lock, &rect);
        ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, lock, HOVER_DEFAULT};
        ASSERT_TRUE(::TrackMouseEvent(&tme) && tracked());
        bLock ? Press(IDC_VIEW_LOCK) : void(view.ShowWindow(SW_HIDE));
        EXPECT_FALSE(tracked()) << bLock;
        for (UINT_PTR id : {kLogoutTimerId, kClipboardTimerId, kCaptionTimerId}) {
            EXPECT_EQ(::KillTimer(view, id) != FALSE, !bLock) << id << " logged in: each still has a job";
        }
    }
}

TEST_F(ViewTest, ALockDuringTheItemFormSavesNothing) {
    LogInWith(5);
    DialogDriver driver;
    driver.ExpectDialog(IDD_ITEM, [&](DialogContext& d) {
        d.Type(IDC_ITEM_SERVICE, "late");
        view.SendMsg(WM_TIMER, kLogoutTimerId);  // the logout time runs out meanwhile
        d.Click(IDOK);
    });
    Press(IDC_VIEW_NEW);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(theApp.m_store.GetCount(), 0u);
    auto saved = Reopen();
    EXPECT_EQ(saved->GetCount(), 5u) << "the locked, emptied store must not replace the vault";
}

// The logout time runs out while the list window has a dialog open: the
// dialog ends by itself as Cancel would, nothing typed there is saved, and
// the vault file is untouched.
TEST_F(ViewTest, ALockEndsEveryDialogTheListWindowHasOpenAndSavesNothing) {
    LogInWith(5);
    std::string before;
    ASSERT_TRUE(ReadFileBytes(VaultPath(), before));
    struct Case {
        const char* what;
        int button;
        std::function<void(DialogDriver&, const DialogDriver::Action&)> expect;
    };
    const DialogDriver::Action lockInside = [&](DialogContext& d) {
        if (d.Dialog() != nullptr && d.Dialog()->GetTemplateId() == IDD_ITEM) {
            d.SetText(IDC_ITEM_PASSWORD, "typed, never saved");
        }
        view.SendMsg(WM_TIMER, kLogoutTimerId);  // and the user does nothing more
    };
    const Case cases[] = {
        {"the item form of Modify", IDC_VIEW_MODIFY,
         [](DialogDriver& driver, const DialogDriver::Action& a) { driver.ExpectDialog(IDD_ITEM, a); }},
        {"the confirmation of Delete", IDC_VIEW_DELETE,
         [](DialogDriver& driver, const DialogDriver::Action& a) { driver.ExpectMessageBox(a); }},
        {"the Modify Password dialog", IDC_VIEW_PASSWORD,
         [](DialogDriver& driver, const DialogDriver::Action& a) { driver.ExpectDialog(IDD_PASSWORD, a); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!theApp.m_session.IsLoggedIn()) LogInWith(5);
        ASSERT_TRUE(ReadFileBytes(VaultPath(), before));
        view.ShowWindow(SW_SHOWNORMAL);
        Select(2);
        DialogDriver driver;
        driver.SetWatchdog(3000);  // a dialog left open fails the test
        c.expect(driver, lockInside);
        Press(c.button);
        EXPECT_TRUE(driver.Done());
        EXPECT_FALSE(theApp.m_session.IsLoggedIn());
        EXPECT_EQ(FindWindowA("#32770", "Insert or Modify Item"), nullptr);
        EXPECT_EQ(FindWindowA("#32770", "Modfiy Password"), nullptr);
        EXPECT_TRUE(view.m_dlgItem.m_strPassword.empty());
        std::string after;
        ASSERT_TRUE(ReadFileBytes(VaultPath(), after));
        EXPECT_TRUE(after == before) << "the vault file changed";
    }
}

TEST_F(ViewTest, ClicksCopyUserNamePasswordAndAddressWithTheirPrivacyFormats) {
    LogInWith(2, [](int i) {
        return MakeItem("s", i == 0 ? "alice" : "bob", i == 0 ? "pa$$" : "pw", "  telnet://host.example.org:23",
                        ADDRESS_TELNET);
    });
    Select(1);
    Notify(NM_CLICK);
    EXPECT_EQ(ClipboardText(), "bob");
    EXPECT_EQ(ClipboardDword(kClipboardViewerIgnore), 1u);
    EXPECT_EQ(ClipboardDword(kClipboardExcludeFromMonitoring), 1u);
    EXPECT_EQ(ClipboardDword(kClipboardCanIncludeInHistory), 0u);
    EXPECT_EQ(ClipboardDword(kClipboardCanUploadToCloud), 0u);
    Select(0);
    Notify(NM_RCLICK);
    EXPECT_EQ(ClipboardText(), "pa$$");
    Notify(NM_RDBLCLK);
    EXPECT_EQ(ClipboardText(), "host.example.org:23");
    Select(-1);
    for (UINT code : {NM_RDBLCLK, NM_CLICK, NM_RCLICK}) Notify(code);
    EXPECT_EQ(ClipboardText(), "host.example.org:23") << "a click beside the rows leaves the clipboard alone";
}

TEST_F(ViewTest, ClipboardFailuresAreTold) {
    LogInWith(1);
    Select(0);
    DialogDriver driver;
    std::vector<std::string> messages;
    auto record = [&](DialogContext& box) {
        messages.push_back(box.MessageText());
        box.Click(IDOK);
    };

    {
        ClipboardHolder holder;
        driver.ExpectMessageBox(record);
        Notify(NM_CLICK);
    }

    SetClipboardTextAsAnotherProgram("before");
    FailingAlloc failingAlloc;
    ProgramClipboard().SetCalls(&failingAlloc);
    driver.ExpectMessageBox(record);
    Notify(NM_RCLICK);
    ProgramClipboard().SetCalls(nullptr);
    EXPECT_EQ(ClipboardText(), "<none>") << "emptied before the allocation failed, and closed again";

    // The clipboard refusing the text is a failure too, not a copy.
    RefuseText refuseText;
    ProgramClipboard().SetCalls(&refuseText);
    driver.ExpectMessageBox(record);
    Notify(NM_RCLICK);
    ProgramClipboard().SetCalls(nullptr);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(messages, (std::vector<std::string>{"Failed to open the clipboard", "System memory is not enough!",
                                                  "Failed to put the text on the clipboard"}));
    EXPECT_FALSE(IsClipboardTextRemembered());
}

// Clearing the clipboard at a lock must not give up because another program
// holds it for a moment: it retries, and when every try failed it keeps the
// digest, so the next chance (the exit, a later lock) takes the text back.
TEST_F(ViewTest, ClearingTheClipboardRetriesAndKeepsTryingUntilItCan) {
    LogInWith(1);
    Select(0);
    Notify(NM_RCLICK);
    ASSERT_EQ(ClipboardText(), "pw0");
    OpenAfterRefusals opener;
    opener.refusals = 2;
    ProgramClipboard().SetCalls(&opener);
    theApp.m_session.Logout();
    ProgramClipboard().SetCalls(nullptr);
    EXPECT_EQ(opener.openCalls, 3);
    EXPECT_EQ(ClipboardText(), "<none>") << "the third try took the password back";

    LogInWith(1);
    Select(0);
    Notify(NM_RCLICK);
    {
        ClipboardHolder holder;
        theApp.m_session.Logout();
        EXPECT_TRUE(IsClipboardTextRemembered()) << "nothing could be looked at: the digest stays";
    }
    EXPECT_EQ(ClipboardText(), "pw0");
    theApp.ExitInstance();
    EXPECT_EQ(ClipboardText(), "<none>") << "the exit took it back";
    EXPECT_FALSE(IsClipboardTextRemembered());
}

TEST_F(ViewTest, LogoutAndExitTakeBackOnlyTheTextThisProgramLeft) {
    LogInWith(1);
    Select(0);
    Notify(NM_RCLICK);
    ASSERT_EQ(ClipboardText(), "pw0");
    theApp.m_session.Logout();
    EXPECT_EQ(ClipboardText(), "<none>");

    LogInWith(1);
    Select(0);
    Notify(NM_RCLICK);
    SetClipboardTextAsAnotherProgram("copied by the user since");
    theApp.m_session.Logout();
    EXPECT_EQ(ClipboardText(), "copied by the user since");

    LogInWith(1);
    Select(0);
    Notify(NM_CLICK);
    theApp.ExitInstance();
    EXPECT_EQ(ClipboardText(), "<none>");
}

// A copy leaves the clipboard when its time is up unless something else was
// copied since; each copy counts afresh, and the caption says so meanwhile.
TEST_F(ViewTest, TheClipboardForgetsACopyWhenItsTimeIsUpUnlessReplacedSince) {
    view.SetTimerStarter(&g_recordingTimers);
    LogInWith(1);
    Select(0);
    const auto caption = [&] {
        char text[64] = {};
        ::GetWindowTextA(view, text, sizeof text);
        return std::string(text);
    };
    const auto clipboardTimers = [] {
        return std::count_if(g_timerCalls.begin(), g_timerCalls.end(), [](const TimerCall& call) {
            return call.id == kClipboardTimerId && call.elapse == 20000;
        });
    };
    g_timerCalls.clear();
    Notify(NM_RCLICK);
    EXPECT_EQ(caption(), "Password copied; clears in 20 s");
    SetClipboardTextAsAnotherProgram("copied since");
    view.SendMsg(WM_TIMER, kClipboardTimerId);
    EXPECT_EQ(ClipboardText(), "copied since");
    Notify(NM_CLICK);
    EXPECT_EQ(clipboardTimers(), 2) << "each copy counts afresh";
    view.SendMsg(WM_TIMER, kClipboardTimerId);
    EXPECT_EQ(ClipboardText(), "<none>");

    ASSERT_TRUE(theApp.m_settings.SaveValue(SettingClipboardSeconds, 0));
    Notify(NM_RCLICK);
    EXPECT_EQ(caption(), "Password copied");
    EXPECT_EQ(clipboardTimers(), 2) << "0: kept until replaced";
}

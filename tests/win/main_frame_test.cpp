// The hidden main frame driven by what the shell would send it: the tray
// icon's callback message and the tray menu's commands, the session and power
// messages, and its idle check on a clock of the test's. The Login dialog is
// driven in process, the vault is real and lives in a fresh folder, and the
// shell's notification-area call is recorded (on the null display driver the
// real one always fails).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <uxtheme.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/pellucorda_app.h"
#include "res/resource.h"
#include "support/dialog_driver.h"
#include "support/heap_checks.h"
#include "support/hotkey_holder.h"
#include "support/message_pump.h"
#include "support/temp_folder.h"
#include "tray_test_support.h"
#include "ui/app_messages.h"
#include "ui/clipboard.h"
#include "view_fixture.h"

namespace {

using Ops = std::vector<DWORD>;

bool QuitWaiting() {
    MSG msg;
    return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

// A top-level window that counts the theme refreshes USkin.dll sends to
// every window of the process each time it is called.
class ThemeProbe {
public:
    ThemeProbe() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_THEMECHANGED) ++s_count;
            return ::DefWindowProcA(h, m, w, l);
        };
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ThemeProbeWindow";
        ::RegisterClassA(&wc);
        s_count = 0;
        m_hWnd =
            ::CreateWindowExA(0, "ThemeProbeWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~ThemeProbe() { ::DestroyWindow(m_hWnd); }
    int Count() const { return s_count; }

private:
    static int s_count;
    HWND m_hWnd;
};
int ThemeProbe::s_count = 0;

DWORD g_idleTime = 0;
struct FakeIdleClock : IdleClock {
    DWORD IdleMilliseconds() override { return g_idleTime; }
} g_fakeIdleClock;

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
        folder = MakeTempFolder("plf");
        ::GetCurrentDirectoryA(MAX_PATH, previous);
        ::SetCurrentDirectoryA(folder.c_str());
        theApp.m_settings.LoadFromRegistry();
        theApp.m_settings.SavePath(SettingBackupPath, folder);
        // Created while no frame is the main window, so that destroying a
        // test's frame does not take the list window with it.
        theApp.m_pMainWnd = nullptr;
        if (theApp.m_wndView.GetSafeHwnd() == nullptr) {
            ASSERT_TRUE(theApp.m_wndView.Create(IDD_VIEW));
        }
        theApp.m_session.Logout();
    }

    void TearDown() override {
        DestroyMainFrame(frame, hFrame);
        theApp.m_session.Logout();
        ::SetCurrentDirectoryA(previous);
        ::DeleteFileA((folder + "\\logininfo.dat").c_str());
        ::DeleteFileA((folder + "\\logininfo.dat.lock").c_str());
        ::DeleteFileA((folder + "\\logininfo.bak").c_str());
        ::RemoveDirectoryA(folder.c_str());
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
    }

    // What start-up does with the frame, up to the icon's arrival once the
    // queue is idle.
    void CreateFrame() {
        hFrame = CreateMainFrame(frame, shell);
        ASSERT_NE(hFrame, nullptr);
        PumpUntil(theApp, [&] { return !shell.Calls().empty(); });
    }

    LRESULT Tray(LPARAM mouseMessage) { return ::SendMessageA(hFrame, WM_TRAYNOTIFY, IDR_TRAYMENU, mouseMessage); }
    bool ListShown() const { return theApp.m_wndView.IsWindowVisible() != FALSE; }

    void LogIn() {
        DialogDriver driver;
        driver.ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) {
            dlg.Type(IDC_LOGIN_PASSWORD, "quillmarsh");
            dlg.Click(IDOK);
        });
        ASSERT_TRUE(theApp.m_session.Login());
    }

    ShellRecorder shell;
    CMainFrame* frame = nullptr;
    HWND hFrame = nullptr;
    std::string folder;
    char previous[MAX_PATH] = {};
};

TEST_F(MainFrameTest, CreationPutsOneIconWithItsTooltipInTheNotificationAreaAndTheFrameStaysHidden) {
    CreateFrame();
    ASSERT_EQ(shell.Calls().size(), 1u);
    const ShellCall& add = shell.Calls()[0];
    EXPECT_EQ(add.operation, DWORD(NIM_ADD));
    EXPECT_EQ(add.data.hWnd, hFrame);
    EXPECT_EQ(add.data.uID, UINT(IDR_TRAYMENU));
    EXPECT_EQ(add.data.uCallbackMessage, UINT(WM_TRAYNOTIFY));
    EXPECT_EQ(add.Tip(), "Pellucorda v1.0");
    EXPECT_FALSE(::IsWindowVisible(hFrame));
    EXPECT_EQ(frame->GetText(), "Pellucorda") << "the title a second copy looks for";
    shell.Calls().clear();

    ::SendMessageA(hFrame, CTrayIcon::s_uTaskbarRestart, 0, 0);
    ASSERT_EQ(shell.Calls().size(), 1u) << "the frame passes the taskbar's re-creation to its icon";
    EXPECT_EQ(shell.Calls()[0].operation, DWORD(NIM_ADD));
    EXPECT_EQ(shell.Calls()[0].data.hIcon, add.data.hIcon);
}

TEST_F(MainFrameTest, ALeftClickWhileLoggedOutAsksForThePasswordAndShowsTheListOnlyAfterALogin) {
    CreateFrame();
    DialogDriver driver;
    driver.ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) { dlg.PressKey(VK_ESCAPE); });
    EXPECT_EQ(Tray(WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(theApp.m_session.IsLoggedIn());
    EXPECT_FALSE(ListShown()) << "a cancelled login leaves the list hidden";

    driver.ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) {
        dlg.Type(IDC_LOGIN_PASSWORD, "quillmarsh");
        dlg.Click(IDOK);
    });
    Tray(WM_LBUTTONDOWN);
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(theApp.m_session.IsLoggedIn());
    EXPECT_TRUE(ListShown());
}

TEST_F(MainFrameTest, LoggedInLeftPressesHideAndShowTheListInTurnAndNoOtherEventToggles) {
    CreateFrame();
    LogIn();
    EXPECT_FALSE(ListShown());
    Tray(WM_LBUTTONDOWN);
    EXPECT_TRUE(ListShown());
    Tray(WM_LBUTTONDOWN);
    EXPECT_FALSE(ListShown());
    Tray(WM_LBUTTONDOWN);
    EXPECT_TRUE(ListShown());

    // A double-click toggles once, through its first press.
    for (LPARAM event : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Tray(event);
    EXPECT_FALSE(ListShown());
    for (LPARAM event : {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONUP}) Tray(event);
    EXPECT_FALSE(ListShown());

    // The right button opens the menu and leaves the list alone.
    TrayMenuWatch watch;
    watch.HookWindow(hFrame);
    Tray(WM_RBUTTONUP);
    EXPECT_EQ(watch.opened, 1);
    EXPECT_FALSE(ListShown());
    Tray(WM_LBUTTONDOWN);
    Tray(WM_RBUTTONUP);
    EXPECT_TRUE(ListShown());
    EXPECT_EQ(watch.opened, 2);
}

TEST_F(MainFrameTest, ACloseThatDoesNotComeFromExitLeavesTheProgramRunning) {
    CreateFrame();
    shell.Calls().clear();
    ::SendMessageA(hFrame, WM_CLOSE, 0, 0);
    ::SendMessageA(hFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
    ::PostMessageA(hFrame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil(theApp, [] { return (HIWORD(::GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) == 0; }));
    EXPECT_TRUE(::IsWindow(hFrame));
    EXPECT_FALSE(::IsWindowVisible(hFrame));
    EXPECT_EQ(theApp.m_pMainWnd, frame);
    EXPECT_FALSE(QuitWaiting());
    EXPECT_EQ(shell.TakeOperations(), Ops{}) << "the icon stays";
}

TEST_F(MainFrameTest, ExitFromTheTrayMenuEndsTheLoopRemovesTheIconAndTurnsTheSkinOffOnce) {
    CreateFrame();
    shell.Calls().clear();
    ThemeProbe probe;
    ::SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);

    TrayMenuWatch chooser;
    chooser.choose = 's';  // "Exit Pellucorda(&S)"
    chooser.HookWindow(hFrame);
    Tray(WM_RBUTTONUP);
    EXPECT_TRUE(PumpUntil(theApp, [&] { return !::IsWindow(hFrame); }));
    EXPECT_EQ(chooser.commands, std::vector<UINT>{ID_MAIN_EXIT});
    EXPECT_FALSE(::IsWindow(hFrame));
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].operation, DWORD(NIM_DELETE));
    EXPECT_EQ(shell.Calls()[0].data.hWnd, hFrame);
    EXPECT_EQ(shell.Calls()[0].data.uID, UINT(IDR_TRAYMENU));

    // The application's loop ends, and its end switches the skin off.
    ASSERT_TRUE(QuitWaiting()) << "the loop would run on";
    EXPECT_EQ(probe.Count(), 0);
    EXPECT_EQ(theApp.Run(), 0);
    EXPECT_EQ(probe.Count(), 1) << "USkin.dll ordinal 2, once";
    EXPECT_EQ(::GetThemeAppProperties(), 0u);
}

// A start whose frame cannot be created (the system refuses its status bar,
// so OnCreate fails and the frame deletes itself) ends there: nothing reads
// the deleted frame, no dialog shows and no icon stays behind.
TEST_F(MainFrameTest, AStartWhoseFrameCannotBeCreatedEndsWithoutTouchingIt) {
    struct RefuseStatusBar {
        static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
            char className[64] = {};
            if (code == HCBT_CREATEWND) ::GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className);
            if (lstrcmpiA(className, STATUSCLASSNAMEA) == 0) return 1;
            return ::CallNextHookEx(nullptr, code, wParam, lParam);
        }
    };
    FreedMemoryGuard guard;
    DialogDriver driver;  // any dialog would be unexpected
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, RefuseStatusBar::Hook, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    theApp.m_pMainWnd = nullptr;
    theApp.SetNotificationArea(&shell);
    const BOOL started = theApp.InitInstance();
    theApp.SetNotificationArea(nullptr);
    ::UnhookWindowsHookEx(hook);
    EXPECT_FALSE(started);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_EQ(guard.Violations(), 0) << "the deleted frame was used, first at " << guard.FirstViolation();
    EXPECT_EQ(shell.TakeOperations(), Ops{}) << "no icon was ever added";
    TakeQuitMessage();
    theApp.ExitInstance();  // what the framework does after a failed start
}

// The user waits at start-up for the Login dialog alone: the tray icon comes
// once it has painted, and the list window after the icon, made hidden
// without taking the activation from the dialog.
TEST_F(MainFrameTest, AStartShowsTheLoginDialogBeforeTheIconAndTheListWindow) {
    struct Watch : ShellRecorder {
        BOOL Notify(DWORD operation, NOTIFYICONDATAA* data) override {
            if (operation == NIM_ADD) {
                HWND login = ::FindWindowA(nullptr, "Login");
                loginPainted = login != nullptr && ::IsWindowVisible(login) && !::GetUpdateRect(login, nullptr, FALSE);
                listMade = theApp.m_wndView.GetSafeHwnd() != nullptr;
            }
            return ShellRecorder::Notify(operation, data);
        }
        bool loginPainted = false;
        bool listMade = true;
    } watch;
    theApp.m_wndView.DestroyWindow();
    theApp.m_pMainWnd = nullptr;
    theApp.SetNotificationArea(&watch);
    DialogDriver driver;
    static HWND s_activeAtCancel = nullptr;
    driver.ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) {
        // Cancels once the list window is there, from the dialog's own loop.
        ::SetTimer(dlg.Hwnd(), 1, USER_TIMER_MINIMUM, [](HWND hWnd, UINT, UINT_PTR id, DWORD) {
            if (theApp.m_wndView.GetSafeHwnd() == nullptr) return;
            ::KillTimer(hWnd, id);
            s_activeAtCancel = ::GetActiveWindow();
            ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        });
    });
    EXPECT_TRUE(theApp.InitInstance());
    theApp.SetNotificationArea(nullptr);
    frame = static_cast<CMainFrame*>(theApp.m_pMainWnd);
    hFrame = frame != nullptr ? frame->GetSafeHwnd() : nullptr;
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(watch.TakeOperations(), Ops{NIM_ADD});
    EXPECT_TRUE(watch.loginPainted);
    EXPECT_FALSE(watch.listMade);
    EXPECT_NE(s_activeAtCancel, theApp.m_wndView.GetSafeHwnd());
}

// Exit chosen in the tray menu while a dialog runs modally inside a handler
// of the frame (Config) or of the application (About, a login started by a
// tray click): the dialog ends as Cancel would, and the frame and its Config
// dialog live until that handler has returned. Every object deleted meanwhile
// is locked away, so a use after its deletion counts.
class ExitWhileADialogRuns : public MainFrameTest {
protected:
    // Opens the dialog with `open`, chooses Exit in the real tray menu from
    // inside it, and checks the end: no use of freed memory, the dialog gone,
    // the icon removed once, the loop ending and the skin switched off once.
    void ExitFrom(UINT templateId, const std::function<void()>& open) {
        FreedMemoryGuard guard;
        CreateFrame();
        shell.Calls().clear();
        ThemeProbe probe;
        TrayMenuWatch chooser;
        chooser.choose = 's';  // "Exit Pellucorda(&S)"
        chooser.HookWindow(hFrame);
        DialogDriver driver;
        HWND hDialog = nullptr;
        driver.ExpectDialog(templateId, [&](DialogContext& d) {
            hDialog = d.Hwnd();
            chooser.commands.clear();
            // The chosen command is posted; this dialog's loop delivers it.
            Tray(WM_RBUTTONUP);
        });
        open();
        EXPECT_TRUE(driver.Done());
        EXPECT_TRUE(PumpUntil(theApp, [&] { return !::IsWindow(hFrame); }));
        EXPECT_EQ(chooser.commands, std::vector<UINT>{ID_MAIN_EXIT});
        EXPECT_FALSE(::IsWindow(hDialog));
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_DELETE}));
        EXPECT_EQ(guard.Violations(), 0) << "a freed object was used, first at " << guard.FirstViolation();
        ASSERT_TRUE(QuitWaiting());
        EXPECT_EQ(theApp.Run(), 0);
        EXPECT_EQ(probe.Count(), 1) << "USkin.dll ordinal 2, once";
        EXPECT_FALSE(theApp.m_session.IsLoggedIn());
    }
};

TEST_F(ExitWhileADialogRuns, Config) {
    ExitFrom(IDD_CONFIG, [&] { ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_MAIN_CONFIG, 0), 0); });
}

TEST_F(ExitWhileADialogRuns, About) {
    ExitFrom(IDD_ABOUTBOX, [&] { ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0); });
}

TEST_F(ExitWhileADialogRuns, LoginFromATrayClick) {
    ExitFrom(IDD_LOGIN, [&] { EXPECT_EQ(Tray(WM_LBUTTONDOWN), 0); });
    EXPECT_FALSE(ListShown());
}

TEST_F(MainFrameTest, AboutAndHelpFromTheTrayMenuReachTheApplication) {
    CreateFrame();
    DialogDriver driver;
    driver.ExpectDialog(IDD_ABOUTBOX, [](DialogContext& dlg) { dlg.PressKey(VK_ESCAPE); });
    ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    EXPECT_TRUE(driver.Done());

    static std::vector<std::string> opened;
    opened.clear();
    struct RecordingShell : Shell {
        INT_PTR Open(const char* target) override {
            opened.emplace_back(target);
            return 42;
        }
    } helpShell;
    theApp.SetShell(&helpShell);
    ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_MAIN_HELP, 0), 0);
    theApp.SetShell(nullptr);
    char module[MAX_PATH];
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    EXPECT_EQ(opened, std::vector<std::string>{CPellucordaApp::HelpFilePath(module)});
}

// Windows locked, the user switched, a remote session dropped, the machine
// going to sleep: each locks as the Lock button does, taking back the copied
// password; other session news, or the setting off, changes nothing.
TEST_F(MainFrameTest, WindowsLockAndSleepLockTheVaultAndTakeBackTheClipboard) {
    CreateFrame();
    const std::pair<UINT, WPARAM> locks[] = {{WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK},
                                             {WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT},
                                             {WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT},
                                             {WM_POWERBROADCAST, PBT_APMSUSPEND}};
    for (const auto& event : locks) {
        SCOPED_TRACE(event.second);
        LogIn();
        theApp.m_wndView.ShowWindow(SW_SHOW);
        ASSERT_EQ(PutClipboardText(theApp.m_wndView.GetSafeHwnd(), "pw0"), ClipboardResult::Ok);
        ::SendMessageA(hFrame, event.first, event.second, 0);
        EXPECT_FALSE(theApp.m_session.IsLoggedIn());
        EXPECT_FALSE(ListShown());
        EXPECT_EQ(view_test::ClipboardText(), "<none>");
    }
    LogIn();
    ::SendMessageA(hFrame, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    ::SendMessageA(hFrame, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    theApp.m_settings.SaveValue(SettingLockOnSessionLock, 0);
    for (const auto& event : locks) ::SendMessageA(hFrame, event.first, event.second, 0);
    EXPECT_TRUE(theApp.m_session.IsLoggedIn());
}

TEST_F(MainFrameTest, IdleMinutesLockOnlyAfterThatLongWithoutInputAndOnlyWhileLoggedIn) {
    CreateFrame();
    frame->SetIdleClock(&g_fakeIdleClock);
    auto idleFor = [&](DWORD milliseconds) {
        g_idleTime = milliseconds;
        ::SendMessageA(hFrame, WM_TIMER, kIdleCheckTimerId, 0);
        return theApp.m_session.IsLoggedIn() == FALSE;
    };
    theApp.m_settings.SaveValue(SettingIdleMinutes, 5);
    LogIn();
    EXPECT_FALSE(idleFor(5 * 60000 - 1));
    EXPECT_TRUE(idleFor(5 * 60000));
    theApp.m_settings.SaveValue(SettingIdleMinutes, 0);
    LogIn();
    EXPECT_FALSE(idleFor(99 * 60000)) << "0 minutes: no idle lock";
}

// The check wakes the program only while logged in with idle minutes set.
TEST_F(MainFrameTest, TheIdleCheckRunsOnlyWhileLoggedInWithIdleMinutesSet) {
    CreateFrame();
    frame->SetIdleClock(&g_fakeIdleClock);
    g_idleTime = 0;
    auto checking = [&] {
        return ::KillTimer(hFrame, kIdleCheckTimerId) != FALSE && (::SendMessageA(hFrame, WM_IDLE_WATCH, 0, 0), true);
    };
    EXPECT_FALSE(checking()) << "nobody logged in";
    LogIn();
    EXPECT_FALSE(checking()) << "no idle minutes";
    theApp.m_session.SetIdleMinutes(5);
    EXPECT_TRUE(checking());
    theApp.m_session.Logout();
    EXPECT_FALSE(checking()) << "locked";
    LogIn();
    EXPECT_TRUE(checking());
    theApp.m_session.SetIdleMinutes(0);
    EXPECT_FALSE(checking());
}

// The key held elsewhere at start: the balloon waits for the icon, names the
// key and where to change it, and comes once however often the key is tried.
TEST_F(MainFrameTest, AHotkeyHeldElsewhereAtStartIsToldOnceInABalloonFromTheIcon) {
    theApp.m_wndView.m_hotKey.Enable(FALSE);
    HotKeyHolder other(MOD_WIN, 'A');
    ASSERT_TRUE(other.Holding());
    hFrame = CreateMainFrame(frame, shell);
    theApp.m_wndView.m_hotKey.Enable(TRUE);
    ASSERT_TRUE(PumpUntil(theApp, [&] { return shell.Calls().size() >= 2; }));
    EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_ADD, NIM_MODIFY}));
    const NOTIFYICONDATAA& balloon = frame->m_trayIcon.GetData();
    EXPECT_EQ(std::string(balloon.szInfoTitle), "Hotkey unavailable");
    EXPECT_EQ(std::string(balloon.szInfo).rfind("Windows+A is used by Windows or another program", 0), 0u);
    EXPECT_NE(std::string(balloon.szInfo).find("Security page"), std::string::npos);
    theApp.m_wndView.m_hotKey.Enable(FALSE);
    theApp.m_wndView.m_hotKey.Enable(TRUE);
    EXPECT_EQ(shell.TakeOperations(), Ops{}) << "told once";
}

TEST_F(MainFrameTest, TheAutoTypeKeyHeldElsewhereIsToldOnceInABalloonOfItsOwn) {
    CHotKey& autoType = theApp.m_wndView.m_autoTypeHotKey;
    autoType.Enable(FALSE);
    std::unique_ptr<HotKeyHolder> other(new HotKeyHolder(MOD_CONTROL | MOD_ALT, 'A'));
    ASSERT_TRUE(other->Holding());
    hFrame = CreateMainFrame(frame, shell);
    autoType.Enable(TRUE);
    ASSERT_TRUE(PumpUntil(theApp, [&] { return shell.Calls().size() >= 2; }));
    EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_ADD, NIM_MODIFY}));
    const std::string title = frame->m_trayIcon.GetData().szInfoTitle, text = frame->m_trayIcon.GetData().szInfo;
    EXPECT_EQ(title + ": " + text.substr(0, 73),
              "Auto-type key unavailable: Ctrl+Alt+A is used by Windows or another program, so it cannot auto-type.");
    autoType.Enable(FALSE);
    autoType.Enable(TRUE);
    EXPECT_EQ(shell.TakeOperations(), Ops{}) << "told once";
    other.reset();
    autoType.Enable(TRUE);
}

}  // namespace

// The backup after a login: a folder where none can be written is told, at
// each login; a backup kept because the vault was made from nothing is told
// once a run. The icon's balloon says where and what to do.
TEST_F(MainFrameTest, ABackupNotWrittenOrKeptIsToldInABalloon) {
    CreateFrame();
    shell.TakeOperations();
    const std::string missing = folder + "\\gone";
    theApp.m_settings.SavePath(SettingBackupPath, missing);
    const NOTIFYICONDATAA& balloon = frame->m_trayIcon.GetData();
    for (int login = 0; login < 2; ++login) {
        LogIn();
        EXPECT_EQ(shell.TakeOperations(), Ops{NIM_MODIFY}) << login;
        EXPECT_EQ(std::string(balloon.szInfoTitle), "Backup not written");
        EXPECT_NE(std::string(balloon.szInfo)
                      .find(missing + "; the previous one is kept. Choose a backup folder "
                                      "under Config, on the Local page"),
                  std::string::npos);
        theApp.m_session.Logout();
    }

    const std::string backup = folder + "\\logininfo.bak";
    HANDLE file = ::CreateFileA(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, "users", 5, &written, nullptr);
    ::CloseHandle(file);
    theApp.m_settings.SavePath(SettingBackupPath, folder);
    for (int login = 0; login < 2; ++login) {
        LogIn();
        EXPECT_EQ(shell.TakeOperations(), login == 0 ? Ops{NIM_MODIFY} : Ops{}) << "once a run";
        EXPECT_EQ(std::string(balloon.szInfoTitle), "Backup kept");
        theApp.m_session.Logout();
    }
    EXPECT_EQ(FileSize(backup), 5) << "the backup stays the users'";
}

// The tray icon against a recording stand-in for the shell (on the null
// display driver the real call always fails): when it adds, changes and
// removes the icon, what it remembers after a failure, the taskbar's
// re-creation, and the tray menu on real windows.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tray_icon.h"
#include "res/resource.h"
#include "tray_test_support.h"
#include "ui/app_messages.h"

namespace {

using Ops = std::vector<DWORD>;

std::vector<std::string> g_ownLog;

LRESULT CALLBACK NotifyWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TRAYNOTIFY) g_ownLog.push_back("own " + std::to_string(lParam));
    if (message == WM_COMMAND) g_ownLog.push_back("command " + std::to_string(LOWORD(wParam)));
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND MakeWindow(HWND parent = nullptr) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = NotifyWindowProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TrayTestWindow";
        registered = ::RegisterClassA(&wc) != 0;
    }
    return ::CreateWindowExA(0, "TrayTestWindow", "", parent != nullptr ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                             parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

// Runs posted messages until done() or about ten seconds have passed.
template <class Done>
bool PumpUntil(Done done) {
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    MSG msg;
    while (!done() && ::GetTickCount64() < deadline) {
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    return done();
}

// Records the mouse events it is given instead of acting on them.
class RecordingTrayIcon : public CTrayIcon {
public:
    RecordingTrayIcon() : CTrayIcon(IDR_TRAYMENU) {}
    std::vector<std::string> events;

    LRESULT OnTrayEvent(WPARAM id, LPARAM mouseMessage) override {
        events.push_back(std::to_string(id) + ":" + std::to_string(mouseMessage));
        return 1;
    }
};

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        g_ownLog.clear();
        hWnd = MakeWindow();
        ASSERT_NE(hWnd, nullptr);
        ASSERT_TRUE(wnd.Attach(hWnd));
        trayIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY));
        ASSERT_NE(trayIcon, nullptr);
        otherIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    }
    void TearDown() override { wnd.DestroyWindow(); }

    void TaskbarCreated(HWND target = nullptr) {
        ::SendMessageA(target != nullptr ? target : hWnd, CTrayIcon::s_uTaskbarRestart, 0, 0);
    }

    ShellRecorder shell;
    HWND hWnd = nullptr;
    CWnd wnd;
    HICON trayIcon = nullptr;
    HICON otherIcon = nullptr;
};

const UINT kAllFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;

TEST_F(TrayIcon, AddsThenChangesTheIconWithItsTooltipAndCallbackAndRemovesItOnDestruction) {
    {
        CTrayIcon icon(IDR_TRAYMENU);
        icon.SetNotificationArea(&shell);
        EXPECT_EQ(icon.GetData().cbSize, sizeof(NOTIFYICONDATAA));
        EXPECT_STREQ(icon.GetData().szTip, "") << "there is no string 134";
        icon.AttachWindow(&wnd, WM_TRAYNOTIFY);

        EXPECT_TRUE(icon.ShowResourceIcon(IDI_TRAY));
        ASSERT_EQ(shell.Calls().size(), 1u);
        const ShellCall& add = shell.Calls()[0];
        EXPECT_EQ(add.operation, DWORD(NIM_ADD));
        EXPECT_EQ(add.data.cbSize, sizeof(NOTIFYICONDATAA));
        EXPECT_EQ(add.data.uFlags, kAllFlags);
        EXPECT_EQ(add.data.hWnd, hWnd);
        EXPECT_EQ(add.data.uID, UINT(IDR_TRAYMENU));
        EXPECT_EQ(add.data.uCallbackMessage, UINT(WM_USER));
        EXPECT_EQ(add.data.hIcon, trayIcon);
        EXPECT_EQ(add.Tip(), "Pellucorda v1.0");
        shell.Calls().clear();

        EXPECT_TRUE(icon.ShowResourceIcon(IDI_TRAY));
        const std::string longTip(100, 'x');
        EXPECT_TRUE(icon.ShowIcon(otherIcon, longTip.c_str()));
        EXPECT_TRUE(icon.ShowIcon(trayIcon, nullptr));
        ASSERT_EQ(shell.Calls().size(), 3u);
        for (const ShellCall& call : shell.Calls()) {
            EXPECT_EQ(call.operation, DWORD(NIM_MODIFY)) << "an icon that is shown is changed, not added";
        }
        EXPECT_EQ(shell.Calls()[1].data.hIcon, otherIcon);
        EXPECT_EQ(shell.Calls()[1].Tip(), std::string(63, 'x')) << "cut to fit 64 bytes with its zero";
        EXPECT_EQ(shell.Calls()[2].Tip(), std::string(63, 'x')) << "no tip keeps the one there is";
        shell.Calls().clear();
    }
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].operation, DWORD(NIM_DELETE));
    EXPECT_EQ(shell.Calls()[0].data.hWnd, hWnd);
    EXPECT_EQ(shell.Calls()[0].data.uID, UINT(IDR_TRAYMENU));
}

TEST_F(TrayIcon, RemovesOnlyWhatIsShownAndAMissingResourceRemovesTheIcon) {
    CTrayIcon icon(IDR_TRAYMENU);
    icon.SetNotificationArea(&shell);
    icon.AttachWindow(&wnd, WM_TRAYNOTIFY);
    EXPECT_TRUE(icon.ShowIcon(nullptr, nullptr));
    EXPECT_TRUE(icon.ShowResourceIcon(0));
    EXPECT_EQ(shell.TakeOperations(), Ops{}) << "nothing to remove: the shell is not asked";

    icon.ShowResourceIcon(IDI_TRAY);
    EXPECT_TRUE(icon.ShowIcon(nullptr, nullptr));
    EXPECT_TRUE(icon.ShowIcon(nullptr, nullptr));
    EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_ADD, NIM_DELETE})) << "only the first removes";

    icon.ShowResourceIcon(IDI_TRAY);
    shell.Calls().clear();
    // Resource 9999 is neither an icon nor a string.
    icon.ShowResourceIcon(9999);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].operation, DWORD(NIM_DELETE));
    EXPECT_EQ(shell.Calls()[0].data.uFlags, UINT(NIF_MESSAGE)) << "the tooltip was emptied";
    shell.Calls().clear();
    icon.ShowIcon(trayIcon, nullptr);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].data.uFlags, UINT(NIF_ICON | NIF_MESSAGE)) << "no tooltip, no NIF_TIP";

    // Without a notification window the shell is given no callback.
    CTrayIcon loose(IDR_TRAYMENU);
    loose.SetNotificationArea(&shell);
    shell.Calls().clear();
    loose.ShowIcon(trayIcon, "tip");
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].data.uFlags, UINT(NIF_ICON | NIF_TIP));
}

// At a start with Windows the taskbar may not exist yet: the shell refuses
// the icon, and the icon must appear once the taskbar announces itself.
TEST_F(TrayIcon, AnIconTheShellRefusedIsAddedWhenTheTaskbarIsCreated) {
    CTrayIcon icon(IDR_TRAYMENU);
    icon.SetNotificationArea(&shell);
    icon.AttachWindow(&wnd, WM_TRAYNOTIFY);
    shell.Answer() = FALSE;
    EXPECT_FALSE(icon.ShowResourceIcon(IDI_TRAY));
    EXPECT_EQ(icon.GetData().hIcon, nullptr) << "no icon is shown";
    EXPECT_FALSE(icon.ShowIcon(otherIcon, nullptr));
    EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_ADD, NIM_ADD})) << "still no icon: the next show adds";

    shell.Answer() = TRUE;
    TaskbarCreated();
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].operation, DWORD(NIM_ADD));
    EXPECT_EQ(shell.Calls()[0].data.hIcon, otherIcon) << "the icon last asked for";
    EXPECT_EQ(shell.Calls()[0].data.uFlags, kAllFlags);
    EXPECT_EQ(shell.Calls()[0].Tip(), "Pellucorda v1.0");
    shell.Calls().clear();

    // A taskbar re-created while the icon is shown gets it added again.
    TaskbarCreated();
    EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_ADD}));
    icon.ShowIcon(trayIcon, nullptr);
    EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_MODIFY}));

    // The shell going away makes a change fail; the new taskbar gets the
    // changed icon.
    shell.Answer() = FALSE;
    EXPECT_FALSE(icon.ShowIcon(otherIcon, nullptr));
    shell.Answer() = TRUE;
    shell.Calls().clear();
    TaskbarCreated();
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].operation, DWORD(NIM_ADD));
    EXPECT_EQ(shell.Calls()[0].data.hIcon, otherIcon);
    shell.Calls().clear();

    // An icon removed after a refusal stays removed.
    icon.ShowIcon(nullptr, nullptr);
    shell.Answer() = FALSE;
    icon.ShowIcon(trayIcon, nullptr);
    EXPECT_TRUE(icon.ShowIcon(nullptr, nullptr));
    shell.Answer() = TRUE;
    TaskbarCreated();
    EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_DELETE, NIM_ADD})) << "nothing after the removal";
}

TEST_F(TrayIcon, TheHooksTakeTheCallbackFromTheNotificationWindowAndTheRestartFromItsTopLevelWindow) {
    HWND child = MakeWindow(hWnd);
    ASSERT_NE(child, nullptr);
    CWnd childWnd;
    childWnd.Attach(child);
    const LONG_PTR parentProc = ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC);
    const LONG_PTR childProc = ::GetWindowLongPtrA(child, GWLP_WNDPROC);
    {
        RecordingTrayIcon icon;
        icon.SetNotificationArea(&shell);
        icon.AttachWindow(&childWnd, WM_TRAYNOTIFY);
        icon.ShowResourceIcon(IDI_TRAY);
        shell.Calls().clear();

        ::SendMessageA(child, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_RBUTTONUP);
        ::SendMessageA(hWnd, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_LBUTTONDOWN);
        EXPECT_EQ(icon.events, std::vector<std::string>{"134:517"}) << "only the notification window's";
        EXPECT_EQ(g_ownLog, (std::vector<std::string>{"own 517", "own 513"}))
            << "both windows' own procedures still get the message";

        TaskbarCreated(hWnd);
        EXPECT_EQ(shell.TakeOperations(), (Ops{NIM_ADD})) << "announced to the top-level window";

        icon.AttachWindow(nullptr, 0);
        EXPECT_EQ(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC), parentProc);
        EXPECT_EQ(::GetWindowLongPtrA(child, GWLP_WNDPROC), childProc);
        icon.AttachWindow(&wnd, WM_TRAYNOTIFY);
        ::SendMessageA(hWnd, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_RBUTTONUP);
        EXPECT_EQ(icon.events.size(), 2u) << "attached again, to another window";
    }
    EXPECT_EQ(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC), parentProc) << "the destroyed icon unhooked";
    childWnd.DestroyWindow();
}

TEST_F(TrayIcon, ARightButtonReleaseOpensTheMenuAtTheCursorAndItsCommandReachesTheWindow) {
    CTrayIcon icon(IDR_TRAYMENU);
    icon.SetNotificationArea(&shell);
    icon.AttachWindow(&wnd, WM_TRAYNOTIFY);
    icon.ShowResourceIcon(IDI_TRAY);
    ::SetCursorPos(200, 150);
    POINT cursor;
    ::GetCursorPos(&cursor);

    TrayMenuWatch watch;
    watch.HookWindow(hWnd);
    ::SendMessageA(hWnd, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_RBUTTONUP);
    ASSERT_EQ(watch.opened, 1);
    EXPECT_EQ(watch.defaultId, UINT(ID_MAIN_CONFIG)) << "Config is the default item";
    EXPECT_EQ(watch.itemIds, (std::vector<UINT>{ID_MAIN_CONFIG, ID_MAIN_HELP, ID_APP_ABOUT, 0, ID_MAIN_EXIT}));
    EXPECT_EQ(watch.foreground, hWnd) << "so that a click elsewhere closes the menu";
    EXPECT_EQ(watch.menuRect.left, cursor.x);
    EXPECT_EQ(watch.menuRect.top, cursor.y);
    EXPECT_EQ(g_ownLog, (std::vector<std::string>{"own 517"})) << "the window's own handler runs after the menu";
    // A command would have been posted before the menu call returned, so it
    // would arrive ahead of this marker.
    ::PostMessageA(hWnd, WM_TRAYNOTIFY, 0, 0);
    EXPECT_TRUE(PumpUntil([] { return g_ownLog.size() == 2; }));
    EXPECT_EQ(watch.commands, std::vector<UINT>{}) << "closed without choosing";
    watch.HookWindow(nullptr);

    TrayMenuWatch chooser;
    chooser.choose = 's';
    chooser.HookWindow(hWnd);
    g_ownLog.clear();
    ::SendMessageA(hWnd, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_RBUTTONUP);
    EXPECT_TRUE(PumpUntil([&] { return !chooser.commands.empty(); }));
    EXPECT_EQ(chooser.commands, std::vector<UINT>{ID_MAIN_EXIT});
    EXPECT_EQ(g_ownLog, (std::vector<std::string>{"own 517", "command 32775"}));
    chooser.HookWindow(nullptr);

    // Nothing else opens the menu: a double-click, other buttons, another id.
    TrayMenuWatch idle;
    idle.HookWindow(hWnd);
    ::SendMessageA(hWnd, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_LBUTTONDBLCLK);
    ::SendMessageA(hWnd, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_LBUTTONDOWN);
    ::SendMessageA(hWnd, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_RBUTTONDOWN);
    ::SendMessageA(hWnd, WM_TRAYNOTIFY, IDR_TRAYMENU + 1, WM_RBUTTONUP);
    EXPECT_EQ(idle.opened, 0);
    idle.HookWindow(nullptr);
}

}  // namespace

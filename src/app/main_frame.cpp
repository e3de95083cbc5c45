#include "app/main_frame.h"

#include <wtsapi32.h>

#include "app/pellucorda_app.h"
#include "base/system_entry_win32.h"
#include "res/resource.h"
#include "ui/app_messages.h"

namespace {
// The classic id of a frame's client pane.
constexpr UINT kClientPaneId = 0xE900;
// Adds the tray icon and makes the list window once the Login dialog has
// painted.
constexpr UINT_PTR kStartTimer = 1;

DWORD IdleTimeSinceLastInput() {
    LASTINPUTINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetLastInputInfo(&info)) return 0;
    // Both are tick counts: the unsigned difference is right across the
    // 49-day wrap.
    return ::GetTickCount() - info.dwTime;
}
}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_TRAYNOTIFY, OnTrayNotify)
    ON_MESSAGE(WM_WTSSESSION_CHANGE, OnSessionChange)
    ON_MESSAGE(WM_POWERBROADCAST, OnPowerBroadcast)
    ON_MESSAGE(WM_IDLE_WATCH, OnIdleWatch)
    ON_MESSAGE(WM_ENTERIDLE, OnEnterIdle)
    ON_COMMAND(ID_MAIN_CONFIG, OnMainConfig)
    ON_COMMAND(ID_MAIN_EXIT, OnMainExit)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() : m_dlgConfig(theApp.m_session), m_trayIcon(IDR_TRAYMENU) {}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
    // Neither is ever seen; they exist so that a failure here, before the tray
    // icon is added, leaves nothing behind in the notification area.
    if (!m_wndStatusBar.Create(this)) return -1;
    RECT client;
    GetClientRect(&client);
    if (!m_wndClient.Create("STATIC", "", WS_CHILD | WS_VISIBLE, client, this, kClientPaneId)) return -1;
    m_trayIcon.AttachWindow(this, WM_TRAYNOTIFY);
    // The shell may take its time over a new icon (under Wine a few dozen
    // milliseconds), while the user waits for the Login dialog that start-up
    // shows next. A timer message comes only when the queue holds nothing
    // else, paints included.
    SetTimer(kStartTimer, 0);
    theApp.m_session.SetBalloonSink(&m_trayIcon);
    theApp.m_session.SetIdleWatch(m_hWnd);
    CheckIdleTime();
    return 0;
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kIdleCheckTimerId) {
        CheckIdleTime();
        return;
    }
    if (nIDEvent != kStartTimer) return;
    KillTimer(kStartTimer);
    // Disabled, the frame owns a modal dialog on its way: the timer came
    // through the dialog's loop before the dialog was shown. Its first idle
    // moment sets the timer again, and that one follows the dialog's paint.
    if (!::IsWindowEnabled(m_hWnd) && !m_bDialogIdle) return;
    FinishStart();
}

LRESULT CMainFrame::OnEnterIdle(WPARAM, LPARAM) {
    if (!m_bStarted && !m_bDialogIdle) {
        m_bDialogIdle = TRUE;
        SetTimer(kStartTimer, 0);
    }
    return 0;
}

void CMainFrame::FinishStart() {
    if (m_bStarted) return;
    m_bStarted = TRUE;
    KillTimer(kStartTimer);
    m_trayIcon.ShowResourceIcon(IDI_TRAY);
    // With its fonts and list view, after the icon: the user waits for
    // neither.
    theApp.CreateListWindow();
    // Whether they lock is decided when they come, so the setting takes
    // effect at once. Without the notifications (no session service), the
    // suspend broadcast and the idle time still lock.
    static const auto registerSession =
        SystemEntry<BOOL(WINAPI*)(HWND, DWORD)>("wtsapi32.dll", "WTSRegisterSessionNotification");
    if (registerSession != nullptr) registerSession(m_hWnd, NOTIFY_FOR_THIS_SESSION);
}

void CMainFrame::OnDestroy() {
    theApp.m_session.SetBalloonSink(nullptr);
    theApp.m_session.SetIdleWatch(nullptr);
    static const auto unregisterSession =
        SystemEntry<BOOL(WINAPI*)(HWND)>("wtsapi32.dll", "WTSUnRegisterSessionNotification");
    if (unregisterSession != nullptr) unregisterSession(m_hWnd);
    KillTimer(kIdleCheckTimerId);
    CFrameWnd::OnDestroy();
}

LRESULT CMainFrame::OnSessionChange(WPARAM wParam, LPARAM) {
    if (wParam == WTS_SESSION_LOCK || wParam == WTS_CONSOLE_DISCONNECT || wParam == WTS_REMOTE_DISCONNECT) {
        LockForWindows();
    }
    return 0;
}

LRESULT CMainFrame::OnIdleWatch(WPARAM, LPARAM) {
    CheckIdleTime();
    return 0;
}

LRESULT CMainFrame::OnPowerBroadcast(WPARAM wParam, LPARAM) {
    if (wParam == PBT_APMSUSPEND) LockForWindows();
    return TRUE;
}

void CMainFrame::LockForWindows() {
    // Also while nobody is logged in: a clipboard that could not be cleared
    // at the last lock gets another chance before somebody else sits down.
    if (theApp.m_settings.IsLockOnSessionLock()) theApp.m_session.Logout();
}

void CMainFrame::CheckIdleTime() {
    const DWORD minutes = theApp.m_settings.GetIdleMinutes();
    if (minutes == 0 || !theApp.m_session.IsLoggedIn()) {
        // Nothing to lock, or no setting asks: no timer wakes the program.
        KillTimer(kIdleCheckTimerId);
        return;
    }
    const DWORD limit = minutes * 60000u;
    const DWORD idle = m_pIdleClock != nullptr ? m_pIdleClock->IdleMilliseconds() : IdleTimeSinceLastInput();
    if (idle >= limit) {
        // The logout tells this frame, which stops the check.
        theApp.m_session.Logout();
        return;
    }
    // Input meanwhile puts the lock later: the check then looks again.
    SetTimer(kIdleCheckTimerId, limit - idle);
}

void CMainFrame::OnClose() {
    if (m_bExit) {
        // A dialog still running (ended, but its loop not yet returned) has
        // code of this frame or of its caller above it on the stack: close
        // once control is back in the main loop.
        if (AfxEndModalDialogs() > 0) {
            PostMsg(WM_CLOSE);
            return;
        }
        CFrameWnd::OnClose();
        return;
    }
    // A close from anywhere but the Exit command (another program, the
    // system) must not end the program that holds the user's logins.
    ShowWindow(SW_HIDE);
}

LRESULT CMainFrame::OnTrayNotify(WPARAM, LPARAM lParam) {
    // The tray icon's hook has handled the right button before this runs.
    if (lParam != WM_LBUTTONDOWN) return 0;
    theApp.m_wndView.RememberAutoTypeTarget();
    // The Login dialog runs a modal loop: the frame may be gone when it
    // returns (Exit chosen from the tray menu meanwhile), so only theApp is
    // used from here on.
    if (!theApp.m_session.IsLoggedIn() && !theApp.m_session.Login()) return 0;
    CViewDlg& view = theApp.m_wndView;
    view.ShowWindow(view.IsWindowVisible() ? SW_HIDE : SW_SHOW);
    view.UpdateWindow();
    return 0;
}

void CMainFrame::OnMainConfig() {
    Settings& settings = theApp.m_settings;
    CPathPage& local = m_dlgConfig.m_pageLocal;
    local.m_strWeb = settings.GetWebClient();
    local.m_strFtp = settings.GetFtpClient();
    local.m_strTelnet = settings.GetTelnetClient();
    // Returns at once when the dialog is already showing (the command came
    // again from the tray menu): there is never a second one.
    m_dlgConfig.DoModal();
    // However it was closed: the dialog has stored each change as it was made.
    settings.SetWebClient(local.m_strWeb);
    settings.SetFtpClient(local.m_strFtp);
    settings.SetTelnetClient(local.m_strTelnet);
}

void CMainFrame::OnMainExit() {
    m_bExit = TRUE;
    // Exit may come while Config, About or a Login runs modally inside a
    // handler of this frame or of the application: closing at once would
    // delete the frame (and its Config dialog) under them. They end as their
    // Cancel would, and the close follows through the queue.
    AfxEndModalDialogs();
    PostMsg(WM_CLOSE, 0, 0);
}

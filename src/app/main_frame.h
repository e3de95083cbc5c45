#pragma once
// The program's main window: never shown. It owns the icon in the
// notification area, toggles the list window on a left click there, and
// receives the tray menu's commands. It also hears from Windows when the
// session is locked or the machine goes to sleep, and watches for idle time:
// both lock the vault.
#include "app/tray_icon.h"
#include "framework/framework.h"
#include "ui/config/config_dlg.h"

// Milliseconds since the last keyboard or mouse input anywhere in the
// session; tests hand the frame a clock of their own.
class IdleClock {
public:
    virtual DWORD IdleMilliseconds() = 0;

protected:
    ~IdleClock() = default;
};

class CMainFrame : public CFrameWnd {
public:
    CMainFrame();

    CConfigDlg m_dlgConfig;  // one for the whole run, shown by the Config command
    CTrayIcon m_trayIcon;    // the notification-area icon and its menu
    BOOL m_bExit = FALSE;    // set by the Exit command; only then does a close end the program

    // The rest of start-up, once: the tray icon, then the list window.
    void FinishStart();

    // nullptr: the system's.
    void SetIdleClock(IdleClock* pClock) { m_pIdleClock = pClock; }

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnClose();
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    LRESULT OnSessionChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    // Starts, moves or stops the idle check for the session and the idle
    // minutes as they are now.
    LRESULT OnIdleWatch(WPARAM wParam, LPARAM lParam);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    // A modal dialog this frame owns has nothing to do.
    LRESULT OnEnterIdle(WPARAM wParam, LPARAM lParam);
    void OnMainConfig();
    void OnMainExit();

    // Windows was locked, the user switched or the machine is going to sleep:
    // locks as the list window's Lock button does, when the setting asks.
    void LockForWindows();
    // Locks once the idle minutes of the settings have passed without input;
    // until then looks again when they would have passed.
    void CheckIdleTime();

    IdleClock* m_pIdleClock = nullptr;
    BOOL m_bStarted = FALSE;
    // A modal dialog (the Login dialog at start-up) went idle once shown.
    BOOL m_bDialogIdle = FALSE;
    CStatusBar m_wndStatusBar;
    CWnd m_wndClient;

    DECLARE_MESSAGE_MAP()
};

// The frame's timer that looks at the idle time.
constexpr UINT_PTR kIdleCheckTimerId = 2;

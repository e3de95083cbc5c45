#pragma once
// The program's main window: never shown. It owns the icon in the
// notification area, toggles the list window on a left click there, and
// receives the tray menu's commands.
#include "app/tray_icon.h"
#include "framework/framework.h"
#include "settings/config_dlg.h"

class CMainFrame : public CFrameWnd {
public:
    CMainFrame();

    CConfigDlg m_dlgConfig;  // one for the whole run, shown by the Config command
    CTrayIcon m_trayIcon;    // the notification-area icon and its menu
    BOOL m_bExit = FALSE;    // set by the Exit command; only then does a close end the program

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnClose();
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnMainConfig();
    void OnMainExit();

    CStatusBar m_wndStatusBar;
    CWnd m_wndClient;

    DECLARE_MESSAGE_MAP()
};

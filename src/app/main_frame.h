#pragma once
// The program's main window: never shown. It owns what lives in the
// notification area and receives the tray menu's commands.
#include "framework/framework.h"

class CMainFrame : public CFrameWnd {
public:
    CMainFrame();

    BOOL m_bExit = FALSE;  // set by the Exit command; only then does a close end the program

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnClose();
    void OnMainConfig();
    void OnMainExit();

    CStatusBar m_wndStatusBar;
    CWnd m_wndClient;

    DECLARE_MESSAGE_MAP()
};

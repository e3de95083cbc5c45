#include "app/main_frame.h"

#include "res/resource.h"

namespace {
// The classic id of a frame's client pane.
constexpr UINT kClientPaneId = 0xE900;
}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_COMMAND(ID_MAIN_CONFIG, OnMainConfig)
    ON_COMMAND(ID_MAIN_EXIT, OnMainExit)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
    // Neither is ever seen; they exist so that a failure here, before the tray
    // icon is added, leaves nothing behind in the notification area.
    if (!m_wndStatusBar.Create(this)) return -1;
    RECT client;
    GetClientRect(&client);
    if (!m_wndClient.Create("STATIC", "", WS_CHILD | WS_VISIBLE, client, this, kClientPaneId)) return -1;
    return 0;
}

void CMainFrame::OnClose() {
    if (m_bExit) {
        CFrameWnd::OnClose();
        return;
    }
    // A close from anywhere but the Exit command (another program, the
    // system) must not end the program that holds the user's logins.
    ShowWindow(SW_HIDE);
}

void CMainFrame::OnMainConfig() {
    // The Config dialog is shown here.
}

void CMainFrame::OnMainExit() {
    m_bExit = TRUE;
    SendMsg(WM_CLOSE, 0, 0);
}

#include "view/view_dlg.h"

#include "app/app_messages.h"
#include "app/pellucorda_app.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CViewDlg, CDialog)
    ON_MESSAGE(WM_VIEW_REFILL, OnViewRefill)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CViewDlg::CViewDlg() : CDialog(IDD_VIEW) {}

void CViewDlg::StartLogoutTimer(BYTE minutes) {
    if (!theApp.IsLoggedIn()) return;
    if (m_nLogoutTimer != 0) {
        KillTimer(m_nLogoutTimer);
        m_nLogoutTimer = 0;
    }
    if (minutes != 0) m_nLogoutTimer = SetTimer(kLogoutTimerId, minutes * 60000u);
}

LRESULT CViewDlg::OnViewRefill(WPARAM, LPARAM) {
    StartLogoutTimer(theApp.GetLogoutTime());
    return 0;
}

void CViewDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kLogoutTimerId) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    KillTimer(m_nLogoutTimer);
    m_nLogoutTimer = 0;
    theApp.Logout();
}

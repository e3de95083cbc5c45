#include "view/view_dlg.h"

#include "app/app_messages.h"
#include "app/pellucorda_app.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CViewDlg, CDialog)
    ON_MESSAGE(WM_VIEW_REFILL, OnViewRefill)
    ON_WM_TIMER()
    ON_WM_HOTKEY()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CViewDlg::CViewDlg() : CDialog(IDD_VIEW) {}

BOOL CViewDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_nHotKeyId = GlobalAddAtomA(kHotKeyAtomName);
    EnableHotKey(theApp.m_settings.IsHotKeyEnabled() ? TRUE : FALSE);
    return TRUE;
}

void CViewDlg::EnableHotKey(BOOL bEnable) {
    if (m_hWnd == nullptr || m_nHotKeyId == 0) return;
    // Unregistering first makes a repeated "on" harmless.
    UnregisterHotKey(m_hWnd, m_nHotKeyId);
    if (bEnable) RegisterHotKey(m_hWnd, m_nHotKeyId, MOD_WIN, 'A');
}

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

void CViewDlg::OnHotKey(UINT nHotKeyId, UINT, UINT) {
    if (m_nHotKeyId == 0 || nHotKeyId != static_cast<UINT>(m_nHotKeyId)) return;
    if (!theApp.IsLoggedIn() && !theApp.Login()) return;
    ShowWindow(IsWindowVisible() ? SW_HIDE : SW_SHOWNORMAL);
}

void CViewDlg::OnDestroy() {
    if (m_nHotKeyId != 0) UnregisterHotKey(m_hWnd, m_nHotKeyId);
    CDialog::OnDestroy();
}

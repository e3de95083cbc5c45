#include "settings/config_dlg.h"

#include "res/resource.h"

namespace {

// The page values given to the tab control.
constexpr int kOptionPageData = 0;
constexpr int kLocalPageData = 1;
constexpr int kSecurityPageData = 2;

}  // namespace

BEGIN_MESSAGE_MAP(CConfigDlg, CDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CConfigDlg::CConfigDlg() : CDialog(IDD_CONFIG) {}

INT_PTR CConfigDlg::DoModal() {
    if (m_bOpen) {
        SendMsg(WM_SHOWWINDOW, TRUE, 0);
        return 0;
    }
    m_bOpen = TRUE;
    INT_PTR result = CDialog::DoModal();
    m_bOpen = FALSE;
    return result;
}

void CConfigDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONFIG_TAB, m_tabCtrl);
}

BOOL CConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // "Option" first: the tab control shows the first page it is given.
    m_pageOption.Create(IDD_CONTROLPAGE, this);
    m_tabCtrl.AddPage("Option", kOptionPageData, &m_pageOption);
    m_pageLocal.Create(IDD_PATHPAGE, this);
    m_tabCtrl.AddPage("Local", kLocalPageData, &m_pageLocal);
    m_pageSecurity.Create(IDD_SECURITYPAGE, this);
    m_tabCtrl.AddPage("Security", kSecurityPageData, &m_pageSecurity);
    UpdateData(FALSE);
    return TRUE;
}

void CConfigDlg::OnClose() {
    m_bOpen = FALSE;
    CDialog::OnClose();
}

#include "ui/login_dlg.h"

#include "base/secure_wipe.h"
#include "core/vault/login_store.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CLoginDlg, CDialog)
    ON_WM_SHOWWINDOW()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CLoginDlg::CLoginDlg(CWnd* pParent) : CDialog(IDD_LOGIN, pParent), m_nMaxChars(kMaxMasterPasswordChars) {}

CLoginDlg::~CLoginDlg() { WipeString(m_strPassword); }

void CLoginDlg::ResetPassword() { WipeString(m_strPassword); }

void CLoginDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LOGIN_PASSWORD, m_editPassword);
    DDX_Text(pDX, IDC_LOGIN_PASSWORD, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, m_nMaxChars);
}

void CLoginDlg::OnShowWindow(BOOL bShow, UINT nStatus) {
    CDialog::OnShowWindow(bShow, nStatus);
    // The user can type at once.
    m_editPassword.SetFocus();
}

void CLoginDlg::OnDestroy() {
    // The master password leaves nothing behind in the edit's memory.
    AfxWipeEditControls(m_hWnd);
    CDialog::OnDestroy();
}

void CLoginDlg::OnOK() {
    UpdateData(TRUE);
    CDialog::OnOK();
}

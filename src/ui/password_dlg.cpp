#include "ui/password_dlg.h"

#include "base/secure_wipe.h"
#include "core/vault/login_store.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CPasswordDlg, CDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CPasswordDlg::CPasswordDlg(CWnd* pParent) : CPasswordDlg(pParent, kMaxMasterPasswordChars) {}

CPasswordDlg::CPasswordDlg(CWnd* pParent, int nMaxChars)
    : CDialog(nMaxChars > kMaxMasterPasswordChars ? IDD_PASSWORD_LONG : IDD_PASSWORD, pParent),
      m_nMaxChars(nMaxChars) {}

CPasswordDlg::~CPasswordDlg() {
    WipeString(m_strNewPassword);
    WipeString(m_strOldPassword);
    WipeString(m_strConfirmPassword);
}

void CPasswordDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PASSWORD_NEW, m_strNewPassword);
    DDV_MaxChars(pDX, m_strNewPassword, m_nMaxChars);
    DDX_Text(pDX, IDC_PASSWORD_OLD, m_strOldPassword);
    DDV_MaxChars(pDX, m_strOldPassword, m_nMaxChars);
    DDX_Text(pDX, IDC_PASSWORD_CONFIRM, m_strConfirmPassword);
    DDV_MaxChars(pDX, m_strConfirmPassword, m_nMaxChars);
}

void CPasswordDlg::OnDestroy() {
    // The passwords typed leave nothing behind in the edits' memory.
    AfxWipeEditControls(m_hWnd);
    CDialog::OnDestroy();
}

void CPasswordDlg::OnOK() {
    UpdateData(TRUE);
    CDialog::OnOK();
}

#include "ui/vault_key_dlg.h"

#include <utility>

#include "base/secure_wipe.h"
#include "res/resource.h"

namespace {
const UINT_PTR kStillWantedTimer = 1;
}  // namespace

BEGIN_MESSAGE_MAP(CVaultKeyDlg, CDialog)
    ON_WM_DESTROY()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CVaultKeyDlg::CVaultKeyDlg(CWnd* pParent, std::string caption, std::string note, int nCurrentMaxChars, int nNewMaxChars)
    : CDialog(IDD_VAULTKEY, pParent),
      m_strCaption(std::move(caption)),
      m_strNote(std::move(note)),
      m_nCurrentMaxChars(nCurrentMaxChars),
      m_nNewMaxChars(nNewMaxChars) {}

CVaultKeyDlg::~CVaultKeyDlg() {
    WipeString(m_strCurrent);
    ResetNewPassword();
}

void CVaultKeyDlg::ResetNewPassword() {
    WipeString(m_strNew);
    WipeString(m_strConfirm);
}

void CVaultKeyDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_VAULTKEY_CURRENT, m_strCurrent);
    DDV_MaxChars(pDX, m_strCurrent, m_nCurrentMaxChars);
    DDX_Text(pDX, IDC_VAULTKEY_NEW, m_strNew);
    DDV_MaxChars(pDX, m_strNew, m_nNewMaxChars);
    DDX_Text(pDX, IDC_VAULTKEY_CONFIRM, m_strConfirm);
    DDV_MaxChars(pDX, m_strConfirm, m_nNewMaxChars);
}

BOOL CVaultKeyDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetWindowTextA(m_hWnd, m_strCaption.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_VAULTKEY_NOTE, m_strNote.c_str());
    // Asked again for a new password only: the current one is filled in.
    ::SetFocus(::GetDlgItem(m_hWnd, m_strCurrent.empty() ? IDC_VAULTKEY_CURRENT : IDC_VAULTKEY_NEW));
    if (m_stillWanted) SetTimer(kStillWantedTimer, 250);
    return FALSE;
}

void CVaultKeyDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kStillWantedTimer && !m_stillWanted()) {
        KillTimer(kStillWantedTimer);
        EndDialog(IDCANCEL);
    }
}

void CVaultKeyDlg::OnDestroy() {
    // The passwords typed leave nothing behind in the edits' memory.
    AfxWipeEditControls(m_hWnd);
    CDialog::OnDestroy();
}

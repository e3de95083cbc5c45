#pragma once
// The Modify Password dialog: the old master password and the new one twice.
// The caller compares and changes.
#include <string>

#include "framework/framework.h"

class CPasswordDlg : public CDialog {
public:
    // Fields of the compatible key's length (kMaxMasterPasswordChars).
    explicit CPasswordDlg(CWnd* pParent = nullptr);
    // Fields of `nMaxChars` each: the open vault's format decides. Longer
    // than the compatible key's, the fields scroll (template 172).
    CPasswordDlg(CWnd* pParent, int nMaxChars);
    ~CPasswordDlg() override;

    std::string m_strNewPassword;
    std::string m_strOldPassword;
    std::string m_strConfirmPassword;
    const int m_nMaxChars;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnDestroy();

    DECLARE_MESSAGE_MAP()
};

#pragma once
// The Modify Password dialog: the old master password and the new one twice.
// The caller compares and changes.
#include <string>

#include "framework/framework.h"

class CPasswordDlg : public CDialog {
public:
    explicit CPasswordDlg(CWnd* pParent = nullptr);
    ~CPasswordDlg() override;

    std::string m_strNewPassword;
    std::string m_strOldPassword;
    std::string m_strConfirmPassword;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnDestroy();

    DECLARE_MESSAGE_MAP()
};

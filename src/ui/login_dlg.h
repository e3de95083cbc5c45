#pragma once
// The Login dialog: collects the master password. It checks nothing but the
// length (m_nMaxChars); the caller hands the text to the store.
#include <string>

#include "framework/framework.h"

class CLoginDlg : public CDialog {
public:
    explicit CLoginDlg(CWnd* pParent = nullptr);
    ~CLoginDlg() override;

    // Empties (and wipes) the password, so each showing starts empty.
    void ResetPassword();

    CEdit m_editPassword;
    std::string m_strPassword;
    // The longest password the field takes: the vault's format decides, so
    // the caller sets it before each showing.
    int m_nMaxChars;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnDestroy();
    void OnOK() override;

    DECLARE_MESSAGE_MAP()
};

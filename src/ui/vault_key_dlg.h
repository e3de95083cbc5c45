#pragma once
// The passwords for switching the vault's key: the current master password,
// and a new one twice when the user wants one (left empty, the current one
// stays). The caller checks and switches.
#include <string>

#include "framework/framework.h"

class CVaultKeyDlg : public CDialog {
public:
    // `caption` and `note` name the key switched to. The current password's
    // field takes what the vault's key allows now (`nCurrentMaxChars`), the
    // new ones what the key switched to allows (`nNewMaxChars`).
    CVaultKeyDlg(CWnd* pParent, std::string caption, std::string note, int nCurrentMaxChars, int nNewMaxChars);
    ~CVaultKeyDlg() override;

    // Empties (and wipes) the new password and its confirmation, for asking
    // again with the current one kept.
    void ResetNewPassword();

    std::string m_strCurrent;
    std::string m_strNew;
    std::string m_strConfirm;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnDestroy();

private:
    const std::string m_strCaption;
    const std::string m_strNote;
    const int m_nCurrentMaxChars;
    const int m_nNewMaxChars;

    DECLARE_MESSAGE_MAP()
};

#pragma once
// The passwords for switching the vault's key: the current master password,
// and a new one twice when the user wants one (left empty, the current one
// stays). The caller checks and switches.
#include <functional>
#include <string>
#include <utility>

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
    // Asked while the dialog is up: once it says no (a lock closed the vault,
    // which ends only the list window's dialogs), the dialog ends as Cancel
    // does, so no typed password waits on screen for nothing.
    void SetStillWanted(std::function<bool()> stillWanted) { m_stillWanted = std::move(stillWanted); }

    std::string m_strCurrent;
    std::string m_strNew;
    std::string m_strConfirm;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnDestroy();
    void OnTimer(UINT_PTR nIDEvent);

private:
    const std::string m_strCaption;
    const std::string m_strNote;
    const int m_nCurrentMaxChars;
    const int m_nNewMaxChars;
    std::function<bool()> m_stillWanted;

    DECLARE_MESSAGE_MAP()
};

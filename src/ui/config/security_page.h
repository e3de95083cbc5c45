#pragma once
// The Config dialog's "Security" page: the hotkey, how long a copy stays on
// the clipboard, when the vault locks by itself, and which key the vault has.
// The hotkey and the check box take effect at once; each number when its edit
// loses the focus, after the same checks as the logout time on the "Option"
// page. The vault's key is switched by its button, with the master password.
#include <cstdint>

#include "ui/config/tab_page_ctrl.h"

class AppServices;

class CSecurityPage : public CTabPage {
public:
    explicit CSecurityPage(AppServices& services);

    UINT m_nClipboardSeconds = 0;
    UINT m_nIdleMinutes = 0;
    int m_nLockOnSessionLock = 0;  // check state

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Shown or hidden: the controls show the settings as they are now.
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnChangeHotKey();
    void OnClickedWindowsKey();
    void OnClickedSessionLock();
    void OnChangeClipboard();
    void OnKillFocusClipboard();
    void OnChangeIdle();
    void OnKillFocusIdle();
    void OnClickedSwitchKey();

private:
    // The key the hotkey field and the "Windows key" box show, in the
    // settings' packing; its virtual key is 0 while the field is empty.
    std::uint32_t GetChosenHotKey() const;
    // Registers and stores the chosen key, and says how that went.
    void ApplyHotKey();
    // What the hotkey of the settings does now, under the field.
    void ShowHotKeyState();
    void SetStatus(const std::string& text);
    // Which key the open vault has, and the button that switches it; while
    // nobody is logged in, that there is none to show and no button.
    void ShowVaultKey();
    // Reads and checks one control only (or fills it): a refused number in
    // one edit must not keep the other from being read.
    BOOL Exchange(int nIDC, BOOL bSaveAndValidate = TRUE);
    int m_nExchangeOnly = 0;  // the control Exchange reads; 0 for all

    AppServices& m_services;

    DECLARE_MESSAGE_MAP()
};

#pragma once
// The Config dialog's "Security" page: the two hotkeys (the list window's and
// auto-type's), how long a copy stays on the clipboard, when the vault locks
// by itself, and which key the vault has. The hotkeys and the check boxes
// take effect at once; each number when its edit loses the focus, after the
// same checks as the logout time on the "Option" page. The vault's key is switched by its button, with the master
// password.
#include <cstdint>

#include "ui/config/tab_page_ctrl.h"

class AppServices;
class CHotKey;

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
    void OnChangeAutoTypeHotKey();
    void OnClickedAutoTypeWindowsKey();
    void OnClickedSessionLock();
    void OnChangeClipboard();
    void OnKillFocusClipboard();
    void OnChangeIdle();
    void OnKillFocusIdle();
    void OnClickedSwitchKey();

private:
    // One of the two hotkeys: its field, its "Windows key" box, its status
    // line, and what it does.
    struct KeyControls {
        int field;
        int windowsKey;
        int status;
        CHotKey& (AppServices::*hotKey)();
        const char* name;   // as the other key's refusal names it
        const char* doing;  // what the key does, for its status line
    };
    static const KeyControls kShowKey;
    static const KeyControls kAutoTypeKey;

    // The key a field and its "Windows key" box show, in the settings'
    // packing; its virtual key is 0 while the field is empty.
    std::uint32_t GetChosenHotKey(const KeyControls& key) const;
    void ShowChosenHotKey(const KeyControls& key);
    // A whole combination in the field: registers and stores the chosen key,
    // and says how that went.
    void ChooseHotKey(const KeyControls& key);
    // What a hotkey of the settings does now, under its field.
    void ShowHotKeyState(const KeyControls& key);
    void SetStatus(const KeyControls& key, const std::string& text);
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

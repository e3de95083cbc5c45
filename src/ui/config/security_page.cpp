#include "ui/config/security_page.h"

#include <commctrl.h>
#include "core/settings/settings.h"
#include "ui/app_services.h"
#include "ui/hotkey.h"

#include <string>

#include "core/settings/hotkey_name.h"
#include "core/vault/login_store.h"
#include "res/resource.h"
#include "ui/vault_key.h"

namespace {

// The hotkey field's modifier flags and the settings' (RegisterHotKey's)
// differ for Shift and Alt; the field cannot show the Windows key at all.
std::uint32_t ModifiersFromField(UINT fieldFlags) {
    std::uint32_t modifiers = 0;
    if (fieldFlags & HOTKEYF_CONTROL) modifiers |= kHotKeyModControl;
    if (fieldFlags & HOTKEYF_ALT) modifiers |= kHotKeyModAlt;
    if (fieldFlags & HOTKEYF_SHIFT) modifiers |= kHotKeyModShift;
    return modifiers;
}

UINT FieldFromModifiers(std::uint32_t modifiers) {
    UINT flags = 0;
    if (modifiers & kHotKeyModControl) flags |= HOTKEYF_CONTROL;
    if (modifiers & kHotKeyModAlt) flags |= HOTKEYF_ALT;
    if (modifiers & kHotKeyModShift) flags |= HOTKEYF_SHIFT;
    return flags;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSecurityPage, CTabPage)
    ON_WM_SHOWWINDOW()
    ON_EN_CHANGE(IDC_SECURITY_HOTKEY, OnChangeHotKey)
    ON_BN_CLICKED(IDC_SECURITY_HOTKEY_WIN, OnClickedWindowsKey)
    ON_EN_CHANGE(IDC_SECURITY_AUTOTYPE_HOTKEY, OnChangeAutoTypeHotKey)
    ON_BN_CLICKED(IDC_SECURITY_AUTOTYPE_WIN, OnClickedAutoTypeWindowsKey)
    ON_BN_CLICKED(IDC_SECURITY_SESSION_LOCK, OnClickedSessionLock)
    ON_EN_CHANGE(IDC_SECURITY_CLIPBOARD, OnChangeClipboard)
    ON_EN_KILLFOCUS(IDC_SECURITY_CLIPBOARD, OnKillFocusClipboard)
    ON_EN_CHANGE(IDC_SECURITY_IDLE, OnChangeIdle)
    ON_EN_KILLFOCUS(IDC_SECURITY_IDLE, OnKillFocusIdle)
    ON_BN_CLICKED(IDC_SECURITY_KEY_SWITCH, OnClickedSwitchKey)
END_MESSAGE_MAP()

const CSecurityPage::KeyControls CSecurityPage::kShowKey = {
    IDC_SECURITY_HOTKEY,
    IDC_SECURITY_HOTKEY_WIN,
    IDC_SECURITY_HOTKEY_STATUS,
    &AppServices::HotKey,
    "the key that shows the list window",
    "shows and hides the list window.",
};
const CSecurityPage::KeyControls CSecurityPage::kAutoTypeKey = {
    IDC_SECURITY_AUTOTYPE_HOTKEY, IDC_SECURITY_AUTOTYPE_WIN, IDC_SECURITY_AUTOTYPE_STATUS,
    &AppServices::AutoTypeHotKey, "the auto-type key",       "types a login into the window in front.",
};

CSecurityPage::CSecurityPage(AppServices& services) : CTabPage(IDD_SECURITYPAGE), m_services(services) {}

void CSecurityPage::DoDataExchange(CDataExchange* pDX) {
    CTabPage::DoDataExchange(pDX);
    if (m_nExchangeOnly == 0 || m_nExchangeOnly == IDC_SECURITY_SESSION_LOCK) {
        DDX_Check(pDX, IDC_SECURITY_SESSION_LOCK, m_nLockOnSessionLock);
    }
    if (m_nExchangeOnly == 0 || m_nExchangeOnly == IDC_SECURITY_CLIPBOARD) {
        DDX_Text(pDX, IDC_SECURITY_CLIPBOARD, m_nClipboardSeconds);
        DDV_MinMaxUInt(pDX, m_nClipboardSeconds, 0, kMaxClipboardSeconds);
    }
    if (m_nExchangeOnly == 0 || m_nExchangeOnly == IDC_SECURITY_IDLE) {
        DDX_Text(pDX, IDC_SECURITY_IDLE, m_nIdleMinutes);
        DDV_MinMaxUInt(pDX, m_nIdleMinutes, 0, kMaxIdleMinutes);
    }
}

BOOL CSecurityPage::Exchange(int nIDC, BOOL bSaveAndValidate) {
    m_nExchangeOnly = nIDC;
    const BOOL bResult = UpdateData(bSaveAndValidate);
    m_nExchangeOnly = 0;
    return bResult;
}

void CSecurityPage::OnShowWindow(BOOL bShow, UINT nStatus) {
    CTabPage::OnShowWindow(bShow, nStatus);
    const Settings& settings = m_services.AppSettings();
    m_nClipboardSeconds = settings.GetClipboardSeconds();
    m_nIdleMinutes = settings.GetIdleMinutes();
    m_nLockOnSessionLock = settings.IsLockOnSessionLock() ? 1 : 0;
    UpdateData(FALSE);
    for (const KeyControls* key : {&kShowKey, &kAutoTypeKey}) {
        ShowChosenHotKey(*key);
        ShowHotKeyState(*key);
    }
    ShowVaultKey();
}

std::uint32_t CSecurityPage::GetChosenHotKey(const KeyControls& key) const {
    const auto field = static_cast<WORD>(SendDlgItemMessageA(m_hWnd, key.field, HKM_GETHOTKEY, 0, 0));
    std::uint32_t modifiers = ModifiersFromField(HIBYTE(field));
    if (IsDlgButtonChecked(m_hWnd, key.windowsKey) == BST_CHECKED) modifiers |= kHotKeyModWin;
    return MakeHotKey(modifiers, LOBYTE(field));
}

void CSecurityPage::ShowChosenHotKey(const KeyControls& key) {
    const Settings& settings = m_services.AppSettings();
    const std::uint32_t hotKey = (settings.*(m_services.*key.hotKey)().Role().stored)();
    SendDlgItemMessageA(m_hWnd, key.field, HKM_SETHOTKEY,
                        MAKEWORD(HotKeyVirtualKey(hotKey), FieldFromModifiers(HotKeyModifiers(hotKey))), 0);
    CheckDlgButton(m_hWnd, key.windowsKey,
                   (HotKeyModifiers(hotKey) & kHotKeyModWin) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void CSecurityPage::OnChangeHotKey() { ChooseHotKey(kShowKey); }

void CSecurityPage::OnClickedWindowsKey() { ChooseHotKey(kShowKey); }

void CSecurityPage::OnChangeAutoTypeHotKey() { ChooseHotKey(kAutoTypeKey); }

void CSecurityPage::OnClickedAutoTypeWindowsKey() { ChooseHotKey(kAutoTypeKey); }

void CSecurityPage::ChooseHotKey(const KeyControls& key) {
    // The field reports every key on the way to a whole combination ("Ctrl",
    // "Ctrl+Alt"): only a key ends it.
    const std::uint32_t chosen = GetChosenHotKey(key);
    if (HotKeyVirtualKey(chosen) == 0) return;
    const KeyControls& other = &key == &kShowKey ? kAutoTypeKey : kShowKey;
    CHotKey& hotKey = (m_services.*key.hotKey)();
    CHotKey& otherHotKey = (m_services.*other.hotKey)();
    const Settings& settings = m_services.AppSettings();
    const std::uint32_t current = (settings.*hotKey.Role().stored)();
    if (!IsUsableHotKey(chosen)) {
        SetStatus(key, HotKeyName(chosen) + " would take a key from every program: add Ctrl, Alt or the Windows key.");
        return;
    }
    if (chosen == (settings.*hotKey.Role().other)()) {
        SetStatus(key, HotKeyName(chosen) + " is " + other.name + " already: choose another key. " +
                           HotKeyName(current) + " stays.");
        return;
    }
    // The stored key again is a new try: the program holding it may have
    // let go since.
    if (!hotKey.Change(chosen) && chosen != current) {
        SetStatus(key, HotKeyName(chosen) + " is unavailable: Windows or another program uses it. " +
                           HotKeyName(current) + " stays.");
        return;
    }
    // A key this one held until now is free for the other again.
    if (otherHotKey.IsTakenByOther()) {
        otherHotKey.Enable(settings.IsHotKeyEnabled() ? TRUE : FALSE);
        ShowHotKeyState(other);
    }
    ShowHotKeyState(key);
}

void CSecurityPage::ShowHotKeyState(const KeyControls& key) {
    const Settings& settings = m_services.AppSettings();
    CHotKey& hotKey = (m_services.*key.hotKey)();
    const std::string name = HotKeyName((settings.*hotKey.Role().stored)());
    if (!settings.IsHotKeyEnabled()) {
        SetStatus(key, name + " is switched off on the Option page.");
    } else if (hotKey.IsTakenByOther()) {
        SetStatus(key, name + " is the list window's hotkey too, so it cannot auto-type. Choose another key.");
    } else if (hotKey.IsUnavailable()) {
        SetStatus(key, name + " is unavailable: Windows or another program uses it. Choose another key.");
    } else {
        SetStatus(key, name + " " + key.doing);
    }
}

void CSecurityPage::SetStatus(const KeyControls& key, const std::string& text) {
    SetDlgItemTextA(m_hWnd, key.status, text.c_str());
}

void CSecurityPage::OnClickedSessionLock() {
    Exchange(IDC_SECURITY_SESSION_LOCK);
    m_services.AppSettings().SaveValue(SettingLockOnSessionLock, m_nLockOnSessionLock > 0 ? 1 : 0);
}

void CSecurityPage::OnChangeClipboard() {
    // Checks the number and tells the user at once; nothing is stored until
    // the edit loses the focus.
    Exchange(IDC_SECURITY_CLIPBOARD);
}

void CSecurityPage::OnKillFocusClipboard() {
    // A refused number is bounded, as the logout time is.
    const UINT nSeconds = m_nClipboardSeconds > kMaxClipboardSeconds ? kMaxClipboardSeconds : m_nClipboardSeconds;
    m_services.AppSettings().SaveValue(SettingClipboardSeconds, nSeconds);
    // The field shows what is stored, not the refused number still in it.
    m_nClipboardSeconds = m_services.AppSettings().GetClipboardSeconds();
    Exchange(IDC_SECURITY_CLIPBOARD, FALSE);
}

void CSecurityPage::OnChangeIdle() { Exchange(IDC_SECURITY_IDLE); }

void CSecurityPage::OnKillFocusIdle() {
    const UINT nMinutes = m_nIdleMinutes > kMaxIdleMinutes ? kMaxIdleMinutes : m_nIdleMinutes;
    m_services.SetIdleMinutes(nMinutes);
    m_nIdleMinutes = m_services.AppSettings().GetIdleMinutes();
    Exchange(IDC_SECURITY_IDLE, FALSE);
}

void CSecurityPage::ShowVaultKey() {
    const LoginStore& store = m_services.Store();
    const bool open = m_services.IsLoggedIn() && store.IsOpen();
    const bool strong = open && store.GetFormat() == VaultFormat::Strong;
    SetDlgItemTextA(m_hWnd, IDC_SECURITY_KEY_TEXT,
                    open ? DescribeVaultKey(store.GetFormat(), store.GetStrongParameters()).c_str()
                         : "Vault key: nobody is logged in. Log in to see which key the vault has and to switch it.");
    HWND button = ::GetDlgItem(m_hWnd, IDC_SECURITY_KEY_SWITCH);
    ::SetWindowTextA(button, strong ? "Use the compatible &key..." : "Use the strong &key...");
    // A disabled button cannot keep the focus: Tab would stop nowhere.
    if (!open && ::GetFocus() == button) ::SendMessageA(::GetAncestor(m_hWnd, GA_ROOT), WM_NEXTDLGCTL, 0, FALSE);
    ::EnableWindow(button, open ? TRUE : FALSE);
}

void CSecurityPage::OnClickedSwitchKey() {
    SwitchVaultKey(*this, m_services);
    // Switched, refused or locked meanwhile: the page shows the vault as it is now.
    ShowVaultKey();
}

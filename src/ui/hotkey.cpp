#include "ui/hotkey.h"

#include "core/settings/hotkey_name.h"
#include "ui/app_services.h"

const HotKeyRole kShowHotKeyRole = {
    kHotKeyAtomName, SettingHotKeyCode,    &Settings::GetHotKey, &Settings::GetAutoTypeHotKey,
    false,           "Hotkey unavailable", "show Pellucorda",
};
const HotKeyRole kAutoTypeHotKeyRole = {
    kAutoTypeHotKeyAtomName,
    SettingAutoTypeHotKeyCode,
    &Settings::GetAutoTypeHotKey,
    &Settings::GetHotKey,
    true,
    "Auto-type key unavailable",
    "auto-type",
};

void CHotKey::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    if (m_nId == 0) m_nId = GlobalAddAtomA(m_role.atomName);
    Enable(m_services.AppSettings().IsHotKeyEnabled() ? TRUE : FALSE);
}

void CHotKey::Detach() {
    if (m_hWnd != nullptr && m_nId != 0) UnregisterHotKey(m_hWnd, m_nId);
    m_hWnd = nullptr;
}

void CHotKey::Enable(BOOL bEnable) {
    if (m_hWnd == nullptr || m_nId == 0) return;
    m_bTakenByOther = FALSE;
    if (!bEnable) {
        UnregisterHotKey(m_hWnd, m_nId);
        m_bUnavailable = FALSE;
        return;
    }
    const Settings& settings = m_services.AppSettings();
    const std::uint32_t hotKey = (settings.*m_role.stored)();
    if (m_role.yields && hotKey == (settings.*m_role.other)()) {
        // A key stored before there were two hotkeys can be the new one's
        // default: the older hotkey keeps it.
        UnregisterHotKey(m_hWnd, m_nId);
        m_bUnavailable = FALSE;
        m_bTakenByOther = TRUE;
        TellUnavailable(hotKey);
        return;
    }
    if (!RegisterFor(hotKey)) TellUnavailable(hotKey);
}

BOOL CHotKey::Change(std::uint32_t hotKey) {
    Settings& settings = m_services.AppSettings();
    // One combination cannot fire two things.
    if (hotKey == (settings.*m_role.other)()) return FALSE;
    if (!settings.IsHotKeyEnabled()) return settings.SaveValue(m_role.settingCode, hotKey) ? TRUE : FALSE;
    const std::uint32_t previous = (settings.*m_role.stored)();
    if (!RegisterFor(hotKey)) {
        // A previous key that the other hotkey holds stays unregistered.
        if (m_bTakenByOther) {
            m_bUnavailable = FALSE;
        } else {
            RegisterFor(previous);
        }
        return FALSE;
    }
    // Stored only once the system has given it: a refused key never becomes
    // the one the next start tries.
    settings.SaveValue(m_role.settingCode, hotKey);
    m_bTakenByOther = FALSE;
    return TRUE;
}

BOOL CHotKey::RegisterFor(std::uint32_t hotKey) {
    if (m_hWnd == nullptr || m_nId == 0) return FALSE;
    // Unregistering first makes a repeated "on" harmless and lets go of the
    // previous key.
    UnregisterHotKey(m_hWnd, m_nId);
    // Windows 7 and later: a held key does not fire again and again.
    const UINT modifiers = HotKeyModifiers(hotKey) | MOD_NOREPEAT;
    m_bUnavailable = !RegisterHotKey(m_hWnd, m_nId, modifiers, HotKeyVirtualKey(hotKey));
    return !m_bUnavailable;
}

void CHotKey::TellUnavailable(std::uint32_t hotKey) {
    // Never from a message box: the user hears it from the tray icon, once
    // for each key in a run.
    if (hotKey == m_nTold) return;
    const std::string holder =
        m_bTakenByOther ? " is Pellucorda's other hotkey already" : " is used by Windows or another program";
    if (m_services.TellInBalloon(m_role.unavailableTitle,
                                 HotKeyName(hotKey) + holder + ", so it cannot " + m_role.purpose +
                                     ". Choose another key under Config, on the Security page (right-click this "
                                     "icon).")) {
        m_nTold = hotKey;
    }
}

#include "ui/hotkey.h"

#include "core/settings/hotkey_name.h"
#include "core/settings/settings.h"
#include "ui/app_services.h"

void CHotKey::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    if (m_nId == 0) m_nId = GlobalAddAtomA(kHotKeyAtomName);
    Enable(m_services.AppSettings().IsHotKeyEnabled() ? TRUE : FALSE);
}

void CHotKey::Detach() {
    if (m_hWnd != nullptr && m_nId != 0) UnregisterHotKey(m_hWnd, m_nId);
    m_hWnd = nullptr;
}

void CHotKey::Enable(BOOL bEnable) {
    if (m_hWnd == nullptr || m_nId == 0) return;
    if (!bEnable) {
        UnregisterHotKey(m_hWnd, m_nId);
        m_bUnavailable = FALSE;
        return;
    }
    const std::uint32_t hotKey = m_services.AppSettings().GetHotKey();
    if (!RegisterFor(hotKey)) TellUnavailable(hotKey);
}

BOOL CHotKey::Change(std::uint32_t hotKey) {
    Settings& settings = m_services.AppSettings();
    if (!settings.IsHotKeyEnabled()) return settings.SaveValue(SettingHotKeyCode, hotKey) ? TRUE : FALSE;
    const std::uint32_t previous = settings.GetHotKey();
    if (!RegisterFor(hotKey)) {
        RegisterFor(previous);
        return FALSE;
    }
    // Stored only once the system has given it: a refused key never becomes
    // the one the next start tries.
    settings.SaveValue(SettingHotKeyCode, hotKey);
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
    if (m_services.TellInBalloon("Hotkey unavailable",
                                 HotKeyName(hotKey) +
                                     " is used by Windows or another program, so it cannot show Pellucorda. "
                                     "Choose another key under Config, on the Security page (right-click this "
                                     "icon).")) {
        m_nTold = hotKey;
    }
}

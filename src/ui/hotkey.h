#pragma once
// A hotkey of the program: its registration for the window its WM_HOTKEY goes
// to, switching it on and off with the setting, a change chosen in the Config
// dialog, and telling the user once when the system refuses it. The key and
// the switch are stored in the settings. There are two: the one that shows
// and hides the list window, and the one that types a login into the window
// in front; one switch governs both.
#include <windows.h>

#include <cstdint>

#include "core/settings/settings.h"

class AppServices;

// What sets one hotkey apart from the other.
struct HotKeyRole {
    // The global atom's name; the atom is the hotkey's identifier.
    const char* atomName;
    // Where the key is stored (a SaveValue code), and its getter.
    int settingCode;
    std::uint32_t (Settings::*stored)() const;
    // The other hotkey's key, which this one may never be set to.
    std::uint32_t (Settings::*other)() const;
    // Whether this key stays unregistered while it is the other's too (the
    // older key keeps it).
    bool yields;
    // For the balloon: its title, and what the key could not do ("show
    // Pellucorda").
    const char* unavailableTitle;
    const char* purpose;
};

extern const HotKeyRole kShowHotKeyRole;
extern const HotKeyRole kAutoTypeHotKeyRole;

class CHotKey {
public:
    explicit CHotKey(AppServices& services, const HotKeyRole& role = kShowHotKeyRole)
        : m_services(services), m_role(role) {}
    CHotKey(const CHotKey&) = delete;
    CHotKey& operator=(const CHotKey&) = delete;

    // The window the key's WM_HOTKEY goes to: registers the stored key when
    // the setting is on. Detach gives it up (the window is being destroyed).
    void Attach(HWND hWnd);
    void Detach();

    // Registers the stored key (TRUE) or gives it up (FALSE), at once. Before
    // a window is attached this does nothing (attaching reads the setting).
    // A key the system refuses is told to the user once, from the tray icon.
    void Enable(BOOL bEnable);
    // A key chosen in the Config dialog takes the place of the stored one:
    // registered at once and stored. FALSE when the system refuses it
    // (Windows or another program holds it), or when it is the other
    // hotkey's: the previous key is then kept, registered as before. While
    // the hotkey is switched off, it is only stored.
    BOOL Change(std::uint32_t hotKey);
    // The last registration was refused: Windows or another program holds it.
    BOOL IsUnavailable() const { return m_bUnavailable; }
    // The stored key is the other hotkey's as well, so this one is not
    // registered (only a key that yields).
    BOOL IsTakenByOther() const { return m_bTakenByOther; }
    // Whether a WM_HOTKEY's identifier is this key's.
    BOOL IsOurs(UINT nHotKeyId) const { return m_nId != 0 && nHotKeyId == static_cast<UINT>(m_nId); }
    const HotKeyRole& Role() const { return m_role; }

private:
    // Registers hotKey (the settings' packing) in place of the key held now.
    // FALSE when the system refuses it; no key is held then.
    BOOL RegisterFor(std::uint32_t hotKey);
    void TellUnavailable(std::uint32_t hotKey);

    AppServices& m_services;
    const HotKeyRole& m_role;
    HWND m_hWnd = nullptr;
    // The global atom of the hotkey's name, used as the hotkey's identifier.
    int m_nId = 0;
    BOOL m_bUnavailable = FALSE;
    BOOL m_bTakenByOther = FALSE;
    std::uint32_t m_nTold = 0;  // the last key told unavailable
};

constexpr char kHotKeyAtomName[] = "PELLUCORDA_V100";
constexpr char kAutoTypeHotKeyAtomName[] = "PELLUCORDA_AUTOTYPE_V100";

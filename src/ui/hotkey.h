#pragma once
// The hotkey that shows and hides the list window: its registration for the
// window it shows, switching it on and off with the setting, a change chosen
// in the Config dialog, and telling the user once when the system refuses
// it. The key and the switch are stored in the settings.
#include <windows.h>

#include <cstdint>

class AppServices;

class CHotKey {
public:
    explicit CHotKey(AppServices& services) : m_services(services) {}
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
    // (Windows or another program holds it): the previous key is then kept,
    // registered as before. While the hotkey is switched off, it is only stored.
    BOOL Change(std::uint32_t hotKey);
    // The last registration was refused: Windows or another program holds it.
    BOOL IsUnavailable() const { return m_bUnavailable; }
    // Whether a WM_HOTKEY's identifier is this key's.
    BOOL IsOurs(UINT nHotKeyId) const { return m_nId != 0 && nHotKeyId == static_cast<UINT>(m_nId); }

private:
    // Registers hotKey (the settings' packing) in place of the key held now.
    // FALSE when the system refuses it; no key is held then.
    BOOL RegisterFor(std::uint32_t hotKey);
    void TellUnavailable(std::uint32_t hotKey);

    AppServices& m_services;
    HWND m_hWnd = nullptr;
    // The global atom of the hotkey's name, used as the hotkey's identifier.
    int m_nId = 0;
    BOOL m_bUnavailable = FALSE;
    std::uint32_t m_nTold = 0;  // the last key told unavailable
};

constexpr char kHotKeyAtomName[] = "PELLUCORDA_V100";

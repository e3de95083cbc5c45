#pragma once
// The name of a hotkey as Windows users read it in menus and help: the
// modifiers in the order Windows, Ctrl, Alt, Shift, then the key, joined by
// "+" ("Windows+A", "Ctrl+Alt+P", "Ctrl+Shift+F5"). Key names are those of a
// US keyboard, so they read the same on every system.
#include <cstdint>
#include <string>

// The packed "HotKey" setting (virtual key and MOD_ flags, see settings.h).
std::string HotKeyName(std::uint32_t hotKey);

// One virtual-key code: "A", "7", "F12", "Space", "Num 5", ";". A code with no
// common name reads "Key 0xNN".
std::string VirtualKeyName(std::uint32_t virtualKey);

// Whether a hotkey can be given to the whole system without taking a key
// people type: it needs Ctrl, Alt or the Windows key (Shift alone would take
// a capital letter from every program), and a key.
bool IsUsableHotKey(std::uint32_t hotKey);

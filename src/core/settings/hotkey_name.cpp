#include "core/settings/hotkey_name.h"

#include <cstdio>

#include "core/settings/settings.h"

namespace {

struct NamedKey {
    std::uint32_t code;
    const char* name;
};

// Virtual-key codes are fixed by the platform; spelled out here so that this
// file needs no Windows header.
constexpr NamedKey kNamedKeys[] = {
    {0x08, "Backspace"}, {0x09, "Tab"},         {0x0D, "Enter"}, {0x13, "Pause"},
    {0x14, "Caps Lock"}, {0x1B, "Esc"},         {0x20, "Space"}, {0x21, "Page Up"},
    {0x22, "Page Down"}, {0x23, "End"},         {0x24, "Home"},  {0x25, "Left"},
    {0x26, "Up"},        {0x27, "Right"},       {0x28, "Down"},  {0x2C, "Print Screen"},
    {0x2D, "Insert"},    {0x2E, "Delete"},      {0x6A, "Num *"}, {0x6B, "Num +"},
    {0x6C, "Num Enter"}, {0x6D, "Num -"},       {0x6E, "Num ."}, {0x6F, "Num /"},
    {0x90, "Num Lock"},  {0x91, "Scroll Lock"}, {0xBA, ";"},     {0xBB, "="},
    {0xBC, ","},         {0xBD, "-"},           {0xBE, "."},     {0xBF, "/"},
    {0xC0, "`"},         {0xDB, "["},           {0xDC, "\\"},    {0xDD, "]"},
    {0xDE, "'"},
};

constexpr std::uint32_t kFirstNumpadDigit = 0x60;
constexpr std::uint32_t kFirstFunctionKey = 0x70;
constexpr std::uint32_t kFunctionKeyCount = 24;

}  // namespace

std::string VirtualKeyName(std::uint32_t virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        return std::string(1, static_cast<char>(virtualKey));
    }
    if (virtualKey >= kFirstFunctionKey && virtualKey < kFirstFunctionKey + kFunctionKeyCount) {
        return "F" + std::to_string(virtualKey - kFirstFunctionKey + 1);
    }
    if (virtualKey >= kFirstNumpadDigit && virtualKey < kFirstNumpadDigit + 10) {
        return "Num " + std::to_string(virtualKey - kFirstNumpadDigit);
    }
    for (const NamedKey& key : kNamedKeys) {
        if (key.code == virtualKey) return key.name;
    }
    char text[16] = {};
    std::snprintf(text, sizeof text, "Key 0x%02X", static_cast<unsigned>(virtualKey & 0xFF));
    return text;
}

std::string HotKeyName(std::uint32_t hotKey) {
    const std::uint32_t modifiers = HotKeyModifiers(hotKey);
    std::string name;
    if (modifiers & kHotKeyModWin) name += "Windows+";
    if (modifiers & kHotKeyModControl) name += "Ctrl+";
    if (modifiers & kHotKeyModAlt) name += "Alt+";
    if (modifiers & kHotKeyModShift) name += "Shift+";
    return name + VirtualKeyName(HotKeyVirtualKey(hotKey));
}

bool IsUsableHotKey(std::uint32_t hotKey) {
    return HotKeyVirtualKey(hotKey) != 0 &&
           (HotKeyModifiers(hotKey) & (kHotKeyModControl | kHotKeyModAlt | kHotKeyModWin)) != 0;
}

#include "core/settings/hotkey_name.h"

#include <gtest/gtest.h>

#include "core/settings/settings.h"

namespace {

TEST(HotKeyName, ReadsModifiersAsWindowsShowsThemAndRefusesKeysEveryProgramTypes) {
    EXPECT_EQ(HotKeyName(kDefaultHotKey), "Windows+A");
    EXPECT_EQ(HotKeyName(MakeHotKey(kHotKeyModShift | kHotKeyModAlt | kHotKeyModControl | kHotKeyModWin, '7')),
              "Windows+Ctrl+Alt+Shift+7");
    EXPECT_EQ(HotKeyName(MakeHotKey(kHotKeyModShift | kHotKeyModControl, 0x74)), "Ctrl+Shift+F5");
    EXPECT_EQ(VirtualKeyName(0x88), "Key 0x88") << "past F24";
    EXPECT_EQ(VirtualKeyName(0x65), "Num 5");
    EXPECT_EQ(VirtualKeyName(0xDC), "\\");
    EXPECT_FALSE(IsUsableHotKey(MakeHotKey(kHotKeyModShift, 'Q'))) << "would take capital Q from every program";
    EXPECT_FALSE(IsUsableHotKey(MakeHotKey(kHotKeyModControl, 0)));
}

}  // namespace

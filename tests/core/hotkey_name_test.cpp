#include "settings/hotkey_name.h"

#include <gtest/gtest.h>

#include "settings/settings.h"

namespace {

TEST(HotKeyName, NamesModifiersInTheOrderWindowsShowsThemAndKeysByTheirCommonNames) {
    EXPECT_EQ(HotKeyName(kDefaultHotKey), "Windows+A");
    EXPECT_EQ(HotKeyName(MakeHotKey(kHotKeyModControl | kHotKeyModAlt, 'P')), "Ctrl+Alt+P");
    EXPECT_EQ(HotKeyName(MakeHotKey(kHotKeyModShift | kHotKeyModAlt | kHotKeyModControl | kHotKeyModWin, '7')),
              "Windows+Ctrl+Alt+Shift+7");
    EXPECT_EQ(HotKeyName(MakeHotKey(kHotKeyModShift | kHotKeyModControl, 0x74)), "Ctrl+Shift+F5");
    EXPECT_EQ(VirtualKeyName(0x87), "F24");
    EXPECT_EQ(VirtualKeyName(0x88), "Key 0x88") << "past F24";
    EXPECT_EQ(VirtualKeyName(0x22), "Page Down");
    EXPECT_EQ(VirtualKeyName(0x65), "Num 5");
    EXPECT_EQ(VirtualKeyName(0xDC), "\\");
}

TEST(HotKeyName, ASystemWideKeyNeedsCtrlAltOrWindowsAndAKey) {
    EXPECT_TRUE(IsUsableHotKey(MakeHotKey(kHotKeyModAlt | kHotKeyModShift, 'Q')));
    EXPECT_FALSE(IsUsableHotKey(MakeHotKey(kHotKeyModShift, 'Q'))) << "would take capital Q from every program";
    EXPECT_FALSE(IsUsableHotKey(MakeHotKey(kHotKeyModControl, 0)));
}

}  // namespace

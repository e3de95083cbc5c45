#pragma once
// What a user's click on a tab sends the tab control.
#include <gtest/gtest.h>

#include "framework/framework.h"

inline void ClickTab(CTabCtrl& tabs, int index) {
    RECT item;
    ASSERT_TRUE(tabs.GetItemRect(index, &item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    tabs.SendMsg(WM_LBUTTONDOWN, MK_LBUTTON, at);
    tabs.SendMsg(WM_LBUTTONUP, 0, at);
}

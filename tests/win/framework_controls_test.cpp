// The wrappers that do more than pass a message on: list texts of any length
// (read through the wide message), the selected row, font and menu handles
// and who destroys them.
#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

#include "framework/framework.h"
#include "framework_test_res.h"

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, "STATIC", "parent", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
    }
    void TearDown() override { parent.DestroyWindow(); }

    CWinApp app{"Framework Tests"};
    CWnd parent;
};

TEST_F(Controls, ListTextsOfAnyLengthAndTheSelectedRow) {
    CListCtrl list;
    RECT rect = {0, 0, 300, 200};
    ASSERT_TRUE(list.Create(WC_LISTVIEWA, nullptr, LVS_REPORT, rect, &parent, 10));
    EXPECT_EQ(list.InsertColumn(0, "no.", LVCFMT_LEFT, 30), 0);
    EXPECT_EQ(list.InsertColumn(1, "hidden", LVCFMT_LEFT, 0), 1);
    EXPECT_EQ(ListView_GetColumnWidth(list.m_hWnd, 1), 0);
    EXPECT_EQ(list.InsertItem(0, "0"), 0);
    EXPECT_EQ(list.InsertItem(1, "1"), 1);
    const std::string longText(300, 'x');
    ASSERT_TRUE(list.SetItemText(1, 1, longText.c_str()));

    EXPECT_EQ(list.GetItemText(1, 1), longText);
    char buffer[256];
    EXPECT_EQ(list.GetItemText(1, 1, buffer, sizeof buffer), 255);
    EXPECT_EQ(std::string(buffer), longText.substr(0, 255));
    EXPECT_EQ(list.GetItemText(7, 0), "");

    EXPECT_EQ(list.GetFirstSelectedItem(), -1);
    ListView_SetItemState(list.m_hWnd, 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetFirstSelectedItem(), 1);

    ASSERT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetFirstSelectedItem(), -1);
}

TEST(Font, CreatesOnceAndReportsItsLogicalFont) {
    CFont font;
    ASSERT_TRUE(font.Create(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_STRING_PRECIS,
                            CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial"));
    LOGFONTA logFont = {};
    ASSERT_GT(font.GetLogFont(&logFont), 0);
    EXPECT_EQ(logFont.lfHeight, 16);
    EXPECT_STREQ(logFont.lfFaceName, "Arial");
    // A font that may be selected into a window is not replaced behind its back.
    HFONT first = font;
    EXPECT_FALSE(font.CreateIndirect(&logFont));
    EXPECT_EQ(font.GetSafeHandle(), first);

    CFont copy;
    ASSERT_TRUE(copy.CreateIndirect(&logFont));
    EXPECT_NE(copy.GetSafeHandle(), first);
    EXPECT_TRUE(font.DeleteObject());
    EXPECT_EQ(font.GetSafeHandle(), nullptr);
    EXPECT_EQ(font.GetLogFont(&logFont), 0);
}

TEST(Menu, PopupsAreViewsOfTheLoadedMenu) {
    CMenu menu;
    EXPECT_FALSE(menu.Load(IDD_FW_MISSING));
    ASSERT_TRUE(menu.Load(IDR_FW_FRAME));
    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(menu.GetSubMenu(0), popup);
    EXPECT_EQ(menu.GetSubMenu(1), nullptr);
    EXPECT_EQ(::GetMenuItemID(*popup, 0), static_cast<UINT>(ID_FW_FRAME_ONLY));
    ASSERT_TRUE(popup->SetDefaultItem(0, TRUE));
    EXPECT_EQ(::GetMenuDefaultItem(*popup, TRUE, 0), 0u);

    HMENU hMenu = menu;
    HMENU hPopup = *popup;
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(::IsMenu(hMenu));
    EXPECT_FALSE(::IsMenu(hPopup));
    EXPECT_EQ(menu.GetSubMenu(0), nullptr);
}

}  // namespace

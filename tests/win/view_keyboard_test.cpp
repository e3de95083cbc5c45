// The list window's shortcuts as real keys: they act on the selected row, and
// the query edit keeps its own Ctrl+C and Delete.
#include "view_fixture.h"

using namespace view_test;

TEST_F(ViewTest, ShortcutsActOnTheSelectedRowAndTheQueryEditKeepsItsOwnKeys) {
    LogInWith(3);
    view.ShowWindow(SW_SHOWNORMAL);
    SetForegroundWindow(view);
    ::SetFocus(view.m_listItem.m_hWnd);
    SetClipboardTextAsAnotherProgram("kept");
    DialogDriver driver;
    driver.ExpectMessageBox([](DialogContext& box) { box.Click(IDOK); });  // "Please Select one Item"
    EXPECT_TRUE(PressKey('C', true, [&] { return driver.Done(); }));
    EXPECT_EQ(ClipboardText(), "kept") << "no row: the user's clipboard is left alone";

    Select(1);
    EXPECT_TRUE(PressKey('B', true, [] { return ClipboardText() == "user1"; }));
    EXPECT_TRUE(PressKey('C', true, [] { return ClipboardText() == "pw1"; }));
    driver.ExpectMessageBox([](DialogContext& box) { box.Click(IDOK); });  // "Are you sure?"
    EXPECT_TRUE(PressKey(VK_DELETE, false, [&] { return driver.Done(); }));
    EXPECT_EQ(Column(ViewColumnUserName), (std::vector<std::string>{"user0", "user2"}));

    // Ctrl+F selects the query's text: the edit's own copy and delete take it.
    ::SetWindowTextA(view.m_editQuery.m_hWnd, "svc");
    EXPECT_TRUE(PressKey('F', true, [&] { return ::GetFocus() == view.m_editQuery.m_hWnd; }));
    EXPECT_TRUE(PressKey('C', true, [] { return ClipboardText() == "svc"; }));
    EXPECT_TRUE(PressKey(VK_DELETE, false, [&] { return ::GetWindowTextLengthA(view.m_editQuery.m_hWnd) == 0; }));
    EXPECT_EQ(Reopen()->GetCount(), 2u) << "no item deleted from the query";
}

// The list window's keyboard shortcuts, pressed as real keys: they act on
// the selected row, and leave the query edit its own copy and delete.
#include "view_fixture.h"

using namespace view_test;

TEST_F(ViewTest, ShortcutsActOnTheSelectedRowAndTheQueryEditKeepsItsOwnKeys) {
    LogInWith(3);
    view.ShowWindow(SW_SHOWNORMAL);
    SetForegroundWindow(view);
    ::SetFocus(view.m_listItem.m_hWnd);
    SetClipboardTextAsAnotherProgram("kept");
    DialogDriver driver;
    driver.ExpectMessageBox([](DialogContext& box) {
        EXPECT_EQ(box.MessageText(), "Please Select one Item");
        box.Click(IDOK);
    });
    EXPECT_TRUE(PressKey('C', true, [&] { return driver.Done(); }));
    EXPECT_EQ(ClipboardText(), "kept") << "no row: the clipboard is left alone";

    Select(1);
    EXPECT_TRUE(PressKey('B', true, [] { return ClipboardText() == "user1"; }));
    EXPECT_TRUE(PressKey('C', true, [] { return ClipboardText() == "pw1"; }));
    driver.ExpectMessageBox([](DialogContext& box) {
        EXPECT_EQ(box.MessageText(), "Are you sure?");
        box.Click(IDOK);
    });
    EXPECT_TRUE(PressKey(VK_DELETE, false, [&] { return driver.Done(); }));
    EXPECT_EQ(Column(ViewColumnUserName), (std::vector<std::string>{"user0", "user2"}));
    driver.ExpectDialog(IDD_ITEM, [](DialogContext& d) { d.PressKey(VK_ESCAPE); });
    EXPECT_TRUE(PressKey('N', true, [&] { return driver.Done(); }));

    ::SetWindowTextA(view.m_editQuery.m_hWnd, "svc");
    EXPECT_TRUE(PressKey('F', true, [&] { return ::GetFocus() == view.m_editQuery.m_hWnd; }));
    DWORD start = 1;
    DWORD end = 0;
    view.m_editQuery.SendMsg(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u) << "the query's text selected";
    EXPECT_TRUE(PressKey('C', true, [] { return ClipboardText() == "svc"; })) << "the edit's own copy";
    EXPECT_TRUE(PressKey(VK_DELETE, false, [&] { return ::GetWindowTextLengthA(view.m_editQuery.m_hWnd) == 0; }))
        << "the edit's own delete, no question asked";
    EXPECT_EQ(Reopen()->GetCount(), 2u);
}

// The item form on its own: what it opens with, when it cleans the address,
// what OK writes back and what Cancel keeps.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "support/dialog_driver.h"
#include "ui/item_dlg.h"
#include "ui/widgets/subclass_wnd.h"
#include "view_fixture.h"

using view_test::MakeItem;

namespace {

LoginItem RunOk(CItemDlg& dialog, const DialogDriver::Action& action) {
    DialogDriver driver;
    driver.ExpectDialog(IDD_ITEM, action);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Done());
    LoginItem result;
    dialog.GetResultItem(result);
    return result;
}

}  // namespace

TEST(ItemDialog, AddressLosesItsSchemeWhenTheFieldLosesFocusOrTheTypeListCloses) {
    CItemDlg dialog;
    dialog.ResetItem();
    LoginItem item = RunOk(dialog, [](DialogContext& d) {
        EXPECT_EQ(d.ComboCount(IDC_ITEM_TYPE), 5);
        EXPECT_EQ(d.ComboText(IDC_ITEM_TYPE, 4), "local program");
        EXPECT_EQ(d.ComboSelection(IDC_ITEM_TYPE), 0);
        d.Type(IDC_ITEM_ADDRESS, "  http://mail.example.org/in");
        d.Type(IDC_ITEM_USER, "alice");  // the focus moves on
        EXPECT_EQ(d.Text(IDC_ITEM_ADDRESS), "mail.example.org/in");

        d.SetText(IDC_ITEM_ADDRESS, "ftp://http://files.example.org");
        SendMessageA(d.Item(IDC_ITEM_TYPE), CB_SHOWDROPDOWN, TRUE, 0);
        SendMessageA(d.Item(IDC_ITEM_TYPE), CB_SHOWDROPDOWN, FALSE, 0);
        EXPECT_EQ(d.Text(IDC_ITEM_ADDRESS), "http://files.example.org") << "each prefix once, in order";
        EXPECT_EQ(d.Text(IDC_ITEM_USER), "alice") << "the other fields survive";

        d.SetText(IDC_ITEM_ADDRESS, "telnet://term.example.org");
        d.Type(IDC_ITEM_ADDRESS, "");  // the focus is in the address
        d.Click(IDOK);                 // and moves to the button first
    });
    EXPECT_STREQ(item.serviceAddress, "term.example.org");
    EXPECT_STREQ(item.userName, "alice");
    EXPECT_EQ(item.addressType, ADDRESS_TELNET) << "the last scheme taken off";

    // Enter while the address still has the focus keeps the text as typed.
    dialog.ResetItem();
    item = RunOk(dialog, [](DialogContext& d) {
        d.Type(IDC_ITEM_ADDRESS, "https://kept.example.org");
        d.PressKey(VK_RETURN);
    });
    EXPECT_STREQ(item.serviceAddress, "https://kept.example.org");
}

// The user sees the limit while typing: nothing is cut after OK.
TEST(ItemDialog, EachEditTakesNoMoreThanItsFieldHoldsAndEnterInTheDescriptionPressesOk) {
    CItemDlg dialog;
    dialog.ResetItem();
    const std::string password43(43, 'p');
    LoginItem item = RunOk(dialog, [&](DialogContext& d) {
        const std::pair<int, size_t> limits[] = {{IDC_ITEM_SERVICE, 63},
                                                 {IDC_ITEM_USER, 31},
                                                 {IDC_ITEM_PASSWORD, 31},
                                                 {IDC_ITEM_ADDRESS, 511},
                                                 {IDC_ITEM_DESCRIPTION, 1023}};
        for (const auto& limit : limits) {
            d.Type(limit.first, std::string(limit.second + 5, 'x'));
            EXPECT_EQ(d.Text(limit.first).size(), limit.second) << "control " << limit.first;
        }
        d.SetText(IDC_ITEM_PASSWORD, "");
        d.Type(IDC_ITEM_PASSWORD, password43);
        d.SetText(IDC_ITEM_DESCRIPTION, "");
        d.Type(IDC_ITEM_DESCRIPTION, "one line");
        d.PressKey(VK_RETURN);
    });
    EXPECT_EQ(std::string(item.password), password43.substr(0, 31)) << "what the field showed";
    EXPECT_EQ(std::string(item.serviceName), std::string(63, 'x'));
    EXPECT_STREQ(item.description, "one line");

    // A text put there past the limit is refused with a word, not cut.
    std::string message;
    DialogDriver driver;
    driver
        .ExpectDialog(IDD_ITEM,
                      [](DialogContext& d) {
                          d.SetText(IDC_ITEM_USER, std::string(40, 'u'));
                          d.Click(IDOK);
                          d.PressKey(VK_ESCAPE);
                      })
        .ExpectMessageBox([&](DialogContext& box) {
            message = box.MessageText();
            box.Click(IDOK);
        });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(message, "Please enter no more than 31 characters.");
}

// "https://" typed and taken off must not leave an HTTP item behind.
TEST(ItemDialog, TheSchemeTakenOffTheAddressChoosesTheAddressType) {
    CItemDlg dialog;
    const std::pair<const char*, int> cases[] = {
        {"https://bank.example", ADDRESS_HTTPS},       {" ftp://files.example", ADDRESS_FTP},
        {"telnet://bbs.example", ADDRESS_TELNET},      {"http://plain.example", ADDRESS_HTTP},
        {"https://http://odd.example", ADDRESS_HTTPS}, {"no-scheme.example", ADDRESS_LOCAL}};
    for (const auto& c : cases) {
        dialog.LoadItem(MakeItem("s", "u", "p", "", ADDRESS_LOCAL));
        LoginItem item = RunOk(dialog, [&](DialogContext& d) {
            d.Type(IDC_ITEM_ADDRESS, c.first);
            d.Type(IDC_ITEM_USER, "");  // the focus leaves the address
            EXPECT_EQ(d.ComboSelection(IDC_ITEM_TYPE), c.second) << c.first;
            d.Click(IDOK);
        });
        EXPECT_EQ(item.addressType, c.second) << c.first;
    }
}

// However the form ends, the texts typed (the password shown in clear) are
// overwritten in the edits before they go.
TEST(ItemDialog, EditsAreWipedWhenTheFormEnds) {
    class LastText : public CSubclassWnd {
    public:
        std::string atDestroy = "<not destroyed>";

    protected:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_DESTROY) {
                char text[64] = {};
                ::GetWindowTextA(m_hWndHooked, text, sizeof text);
                atDestroy = text;
            }
            return CSubclassWnd::WindowProc(message, wParam, lParam);
        }
    };
    CItemDlg dialog;
    for (UINT key : {VK_ESCAPE, VK_RETURN}) {
        dialog.ResetItem();
        LastText password;
        DialogDriver driver;
        driver.ExpectDialog(IDD_ITEM, [&](DialogContext& d) {
            password.HookWindow(d.Item(IDC_ITEM_PASSWORD));
            d.Type(IDC_ITEM_PASSWORD, "s3cret!");
            d.PressKey(key);
        });
        dialog.DoModal();
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(password.atDestroy, "") << "key " << key;
    }
}

TEST(ItemDialog, CancelKeepsTheHeldItemAndNewStartsEmptyAfterIt) {
    CItemDlg dialog;
    const LoginItem loaded = MakeItem("Mail", "bob", "pw", "mail.example.org", ADDRESS_TELNET);
    dialog.LoadItem(loaded);
    DialogDriver driver;
    driver.ExpectDialog(IDD_ITEM, [](DialogContext& d) {
        EXPECT_EQ(d.Text(IDC_ITEM_USER), "bob");
        EXPECT_EQ(d.Text(IDC_ITEM_PASSWORD), "pw");
        EXPECT_EQ(d.ComboSelection(IDC_ITEM_TYPE), ADDRESS_TELNET);
        d.SetText(IDC_ITEM_USER, "mallory");
        d.CloseBox();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    LoginItem held;
    dialog.GetResultItem(held);
    EXPECT_EQ(std::memcmp(&held, &loaded, sizeof held), 0);

    dialog.ResetItem();
    driver.ExpectDialog(IDD_ITEM, [](DialogContext& d) {
        for (int id : {IDC_ITEM_SERVICE, IDC_ITEM_USER, IDC_ITEM_PASSWORD, IDC_ITEM_ADDRESS, IDC_ITEM_DESCRIPTION}) {
            EXPECT_EQ(d.Text(id), "") << id;
        }
        EXPECT_EQ(d.ComboSelection(IDC_ITEM_TYPE), 0);
        d.PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Done());
}

TEST(ItemDialog, OkWithNoTypeSelectedKeepsAReservedCodeAndMendsAnUnknownOne) {
    CItemDlg dialog;
    for (const auto& c : {std::make_pair(6, 6), std::make_pair(42, 0), std::make_pair(-3, 0)}) {
        dialog.LoadItem(MakeItem("s", "u", "p", "a", c.first));
        LoginItem item = RunOk(dialog, [](DialogContext& d) {
            EXPECT_EQ(d.ComboSelection(IDC_ITEM_TYPE), -1);
            d.Click(IDOK);
        });
        EXPECT_EQ(item.addressType, c.second) << "loaded " << c.first;
    }
}

// Generate fills the password afresh at each press (a click, Alt+G), and OK
// stores the one shown.
TEST(ItemDialog, GenerateFillsTheFieldWithAFreshSixteenCharacterPassword) {
    CItemDlg dialog;
    dialog.ResetItem();
    std::string first;
    const LoginItem item = RunOk(dialog, [&](DialogContext& d) {
        d.Click(IDC_ITEM_GENERATE);
        first = d.Text(IDC_ITEM_PASSWORD);
        MSG altG = {d.Focus(), WM_SYSCHAR, 'g', 1 | (1 << 29), 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageA(d.Hwnd(), &altG));
        d.Click(IDOK);
    });
    EXPECT_EQ(std::string(item.password).size(), 16u);
    EXPECT_NE(first, item.password);
}

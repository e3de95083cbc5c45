// The list window's item commands on a real vault: paging and the "no."
// column, the query, New, Modify, Delete, the Password button; every change
// is checked in the vault file as a fresh store reads it.
#include "view_fixture.h"

#include "ui/password_dlg.h"

using namespace view_test;

namespace {

void FillItem(DialogContext& d, const std::string& service, const std::string& user) {
    d.Type(IDC_ITEM_SERVICE, service);
    d.Type(IDC_ITEM_USER, user);
    d.Type(IDC_ITEM_PASSWORD, "secret");
    d.Type(IDC_ITEM_ADDRESS, "http://new.example.org");
    d.Click(IDOK);
}

}  // namespace

TEST_F(ViewTest, NewAppendsMovesToTheLastPageAndSaves) {
    struct Case {
        int before;
        int first, last;
    };
    for (const Case& c : {Case{25, 20, 25}, Case{29, 20, 29}, Case{30, 30, 30}}) {
        theApp.m_session.Logout();
        LogInWith(c.before);
        EXPECT_EQ(Column(ViewColumnIndex), Numbers(0, 9)) << "the first page starts at row \"0\"";
        DialogDriver driver;
        driver.ExpectDialog(IDD_ITEM, [](DialogContext& d) {
            EXPECT_EQ(d.Text(IDC_ITEM_SERVICE), "");
            EXPECT_EQ(d.ComboSelection(IDC_ITEM_TYPE), 0);
            FillItem(d, "added", "newuser");
        });
        Press(IDC_VIEW_NEW);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(Column(ViewColumnIndex), Numbers(c.first, c.last)) << c.before << " items before";
        EXPECT_EQ(Column(ViewColumnServiceName).back(), "added");
        EXPECT_EQ(Column(ViewColumnType).back(), "HTTP");
        EXPECT_EQ(Column(ViewColumnServiceAddress).back(), "new.example.org") << "typed with its scheme";
        auto saved = Reopen();
        ASSERT_EQ(saved->GetCount(), static_cast<std::uint32_t>(c.before + 1));
        LoginItem item;
        saved->GetItem(c.before, item);
        EXPECT_STREQ(item.userName, "newuser");
        EXPECT_STREQ(item.password, "secret");
    }
}

TEST_F(ViewTest, PagesMoveByTenAndStopAtBothEnds) {
    LogInWith(21);
    Press(IDC_VIEW_PREV);
    EXPECT_EQ(Column(ViewColumnIndex), Numbers(0, 9));
    Press(IDC_VIEW_NEXT);
    Press(IDC_VIEW_NEXT);
    EXPECT_EQ(Column(ViewColumnIndex), Numbers(20, 20));
    Select(0);
    Press(IDC_VIEW_NEXT);
    EXPECT_EQ(Column(ViewColumnIndex), Numbers(20, 20)) << "the last page stays";
    EXPECT_EQ(view.m_listItem.GetFirstSelectedItem(), -1) << "refilled: the selection is gone";

    // Deleting the only row of the last page leaves an empty list; "<--"
    // brings back the page before.
    Select(0);
    DialogDriver driver;
    driver.ExpectMessageBox([](DialogContext& box) {
        EXPECT_EQ(box.MessageText(), "Are you sure?");
        box.Click(IDOK);
    });
    Press(IDC_VIEW_DELETE);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(view.m_listItem.GetItemCount(), 0);
    Press(IDC_VIEW_PREV);
    EXPECT_EQ(Column(ViewColumnIndex), Numbers(10, 19));
}

TEST_F(ViewTest, QueryShowsThePageOfTheFirstCaseSensitiveMatch) {
    LogInWith(25, [](int i) {
        const char* name = i == 3 ? "Webmail" : i == 17 ? "mail" : "other";
        return MakeItem(name, "u", "p", "h", ADDRESS_HTTP);
    });
    Press(IDC_VIEW_NEXT);
    ::SetWindowTextA(view.m_editQuery.m_hWnd, "mail");
    Press(IDC_VIEW_QUERY);
    EXPECT_EQ(Column(ViewColumnIndex), Numbers(0, 9)) << "Webmail at 3 comes first";
    EXPECT_EQ(view.m_listItem.GetFirstSelectedItem(), -1);

    Press(IDC_VIEW_NEXT);
    Press(IDC_VIEW_NEXT);
    for (const char* query : {"Mail", ""}) {
        ::SetWindowTextA(view.m_editQuery.m_hWnd, query);
        Press(IDC_VIEW_QUERY);
        EXPECT_EQ(Column(ViewColumnIndex), Numbers(20, 24)) << "query \"" << query << "\" keeps the page";
    }
}

TEST_F(ViewTest, ModifyAndDeleteWorkOnTheSelectedRowsItem) {
    LogInWith(12);
    Press(IDC_VIEW_NEXT);
    DialogDriver driver;
    for (int id : {IDC_VIEW_MODIFY, IDC_VIEW_DELETE}) {
        Select(-1);
        std::string message;
        driver.ExpectMessageBox([&](DialogContext& box) {
            message = box.MessageText();
            box.Click(IDOK);
        });
        Press(id);
        EXPECT_EQ(message, "Please Select one Item");
    }

    // Row 1 of the second page is item 11.
    Select(1);
    driver.ExpectDialog(IDD_ITEM, [](DialogContext& d) {
        EXPECT_EQ(d.Text(IDC_ITEM_SERVICE), "svc11");
        EXPECT_EQ(d.Text(IDC_ITEM_PASSWORD), "pw11");
        EXPECT_EQ(d.Text(IDC_ITEM_ADDRESS), "host11.example.org");
        d.SetText(IDC_ITEM_USER, "changed");
        d.PressKey(VK_ESCAPE);
    });
    Press(IDC_VIEW_MODIFY);
    EXPECT_EQ(Column(ViewColumnUserName)[1], "user11") << "a cancelled Modify changes nothing";

    Select(1);
    driver.ExpectDialog(IDD_ITEM, [](DialogContext& d) {
        d.SetText(IDC_ITEM_USER, "changed");
        SendMessageA(d.Item(IDC_ITEM_TYPE), CB_SETCURSEL, ADDRESS_FTP, 0);
        d.Click(IDOK);
    });
    Press(IDC_VIEW_MODIFY);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(Column(ViewColumnIndex), Numbers(10, 11)) << "the page stays";
    EXPECT_EQ(Column(ViewColumnUserName)[1], "changed");
    EXPECT_EQ(Column(ViewColumnType)[1], "FTP");
    LoginItem item;
    Reopen()->GetItem(11, item);
    EXPECT_STREQ(item.userName, "changed");
    EXPECT_EQ(item.addressType, ADDRESS_FTP);

    // Delete asks first; Cancel keeps the item.
    for (int answer : {IDCANCEL, IDOK}) {
        Select(0);
        driver.ExpectMessageBox([&](DialogContext& box) { box.Click(answer); });
        Press(IDC_VIEW_DELETE);
    }
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(Column(ViewColumnServiceName), (std::vector<std::string>{"svc11"}));
    EXPECT_EQ(Column(ViewColumnIndex), Numbers(10, 10));
    auto saved = Reopen();
    EXPECT_EQ(saved->GetCount(), 11u);
    saved->GetItem(10, item);
    EXPECT_STREQ(item.serviceName, "svc11");
}

// Nobody types a whole item only to lose it: a full vault says so before
// the form opens. The check after OK stays for a vault that fills meanwhile.
TEST_F(ViewTest, AFullVaultRefusesNewBeforeTheFormOpens) {
    LogInWith(100);
    std::vector<std::string> messages;
    HWND owner = nullptr;
    auto record = [&](DialogContext& box) {
        messages.push_back(box.MessageText() + " | " + box.Title());
        owner = GetWindow(box.Hwnd(), GW_OWNER);
        box.Click(IDOK);
    };
    DialogDriver driver;
    driver.ExpectMessageBox(record);  // and no item form
    Press(IDC_VIEW_NEW);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(owner, view.GetSafeHwnd());

    theApp.m_store.DeleteItem(99);
    driver
        .ExpectDialog(IDD_ITEM,
                      [](DialogContext& d) {
                          LoginItem other = MakeItem("added meanwhile", "u", "p", "h", ADDRESS_HTTP);
                          theApp.m_store.AddItem(other);
                          FillItem(d, "one too many", "u");
                      })
        .ExpectMessageBox(record);
    Press(IDC_VIEW_NEW);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(messages, std::vector<std::string>(2, "Reach the max item limit! | Pellucorda"));
    EXPECT_EQ(theApp.m_store.GetCount(), 100u);
    EXPECT_EQ(Reopen()->GetCount(), 100u);
}

TEST_F(ViewTest, TypeColumnNamesReservedAndUnknownCodes) {
    LogInWith(3, [](int i) { return MakeItem("s", "u", "p", "h", i == 0 ? 4 : i == 1 ? 6 : 42); });
    EXPECT_EQ(Column(ViewColumnType), (std::vector<std::string>{"LOCAL", "RESERVED", "UNKNOWN"}));
}

TEST_F(ViewTest, PasswordButtonTellsEachOutcome) {
    DialogDriver driver;
    std::vector<std::string> messages;
    auto record = [&](DialogContext& box) {
        messages.push_back(box.MessageText());
        box.Click(IDOK);
    };
    auto answer = [](const char* old, const char* fresh, const char* confirm) {
        return [=](DialogContext& d) {
            d.Type(IDC_PASSWORD_OLD, old);
            d.Type(IDC_PASSWORD_NEW, fresh);
            d.Type(IDC_PASSWORD_CONFIRM, confirm);
            d.Click(IDOK);
        };
    };

    driver.ExpectMessageBox(record);  // logged out: no vault open
    Press(IDC_VIEW_PASSWORD);

    LogInWith(2);
    driver.ExpectDialog(IDD_PASSWORD, [](DialogContext& d) { d.PressKey(VK_ESCAPE); });
    Press(IDC_VIEW_PASSWORD);
    driver.ExpectDialog(IDD_PASSWORD, answer(kPassword, "newpass", "newPass")).ExpectMessageBox(record);
    Press(IDC_VIEW_PASSWORD);
    driver.ExpectDialog(IDD_PASSWORD, answer("wrong", "newpass", "newpass")).ExpectMessageBox(record);
    Press(IDC_VIEW_PASSWORD);

    // Another opener holds the vault: the save, and so the change, fails.
    HANDLE held = CreateFileA(VaultPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    driver.ExpectDialog(IDD_PASSWORD, answer(kPassword, "newpass", "newpass"))
        .ExpectMessageBox(record)
        .ExpectMessageBox(record);
    Press(IDC_VIEW_PASSWORD);
    CloseHandle(held);

    driver.ExpectDialog(IDD_PASSWORD, answer(kPassword, "newpass", "newpass")).ExpectMessageBox(record);
    Press(IDC_VIEW_PASSWORD);
    EXPECT_TRUE(driver.Done());

    EXPECT_EQ(messages, (std::vector<std::string>{
                            "Please check whether the service information file exists.",
                            "The two new password not matched!",
                            "Not modified, because old password dismatched!",
                            "Write file failed!",
                            "Modify password failed!",
                            "Modify password success!",
                        }));
    std::unique_ptr<LoginStore> saved(new LoginStore);
    EXPECT_EQ(saved->Open("newpass", VaultPath()), VaultOk);
    EXPECT_EQ(saved->GetCount(), 2u);
}

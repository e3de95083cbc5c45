// The vault's key switched on the Security page against a real vault (the
// strong key made cheap), and the Login and Modify Password fields' lengths.
#include "support/tab_click.h"
#include "ui/config/config_dlg.h"
#include "view_fixture.h"

namespace view_test {
namespace {

// The file's bytes; empty when there is none.
std::string Bytes(const std::string& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

class VaultKeyTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        theApp.m_store.SetNewStrongParameters({64, 1, 1});
    }

    std::string BackupPath() const { return folder + "\\logininfo.bak"; }

    // Logged in to a vault of one item that an earlier run made: the backup
    // of a vault made in this run is not replaced.
    void LogInToEarlierVault() {
        ASSERT_EQ(std::unique_ptr<LoginStore>(new LoginStore)->Open(kPassword, VaultPath()), VaultOk);
        ASSERT_TRUE(theApp.m_store.OpenDefault(kPassword));
        theApp.m_session.m_bLoggedIn = TRUE;
    }

    // Opens the Security page, checks what it says, presses the switch button
    // and closes; `answers` are queued for what the button opens.
    void SwitchOnThePage(const char* shownBefore, const std::function<void(DialogDriver&)>& answers) {
        DialogDriver driver;
        CConfigDlg config(theApp.m_session);
        driver.ExpectDialog(IDD_CONFIG, [&](DialogContext& d) {
            ClickTab(config.m_tabCtrl, 2);
            const HWND page = config.m_pageSecurity.GetSafeHwnd();
            char text[256] = {};
            GetDlgItemTextA(page, IDC_SECURITY_KEY_TEXT, text, sizeof text);
            EXPECT_NE(std::string(text).find(shownBefore), std::string::npos) << text;
            const HWND button = GetDlgItem(page, IDC_SECURITY_KEY_SWITCH);
            EXPECT_EQ(IsWindowEnabled(button) != FALSE, theApp.m_session.IsLoggedIn() != FALSE);
            if (IsWindowEnabled(button)) SendMessageA(button, BM_CLICK, 0, 0);
            d.CloseBox();
        });
        answers(driver);
        config.DoModal();
        EXPECT_TRUE(driver.Done());
    }
};

// A wrong password changes nothing; a password kept that is too long for the
// compatible key is refused until a new one is given.
TEST_F(VaultKeyTest, SwitchingChangesTheVaultAndItsBackupAndAWrongPasswordChangesNothing) {
    SwitchOnThePage("nobody is logged in", [](DialogDriver&) {});
    LogInToEarlierVault();
    const char* const kLong = "a-password-of-twenty";  // more than the compatible key takes
    struct Step {
        const char* name;
        const char* shownBefore;
        const char* current;
        const char* fresh;
        const char* thenFresh;  // asked again for a new one, the current kept; nullptr: not
        const char* told;
        VaultFormat after;
        const char* passwordAfter;
    };
    const Step steps[] = {
        {"to strong, a longer password", "fast and compatible", kPassword, kLong, nullptr,
         "The vault now has the strong key. So has its backup.", VaultFormat::Strong, kLong},
        {"wrong password", "strong (Argon2id, 64 KiB, 1 pass)", "wrong", "", nullptr,
         "Not modified, because old password dismatched!", VaultFormat::Strong, kLong},
        {"to compatible, the long password refused", "strong", kLong, "", "fresh",
         "The vault now has the compatible key. So has its backup.", VaultFormat::Compatible, "fresh"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const std::string vaultBefore = Bytes(VaultPath());
        const std::string backupBefore = Bytes(BackupPath());
        const bool warned = theApp.m_store.GetFormat() == VaultFormat::Strong;
        std::vector<std::string> told;
        SwitchOnThePage(step.shownBefore, [&](DialogDriver& driver) {
            auto record = [&](DialogContext& box) {
                told.push_back(box.MessageText());
                box.Click(box.Item(IDYES) != nullptr ? IDYES : IDOK);
            };
            if (warned) driver.ExpectMessageBox(record);
            for (const char* current : {step.current, step.thenFresh == nullptr ? nullptr : ""}) {
                if (current == nullptr) break;
                const char* fresh = *current != '\0' ? step.fresh : step.thenFresh;
                driver.ExpectDialog(IDD_VAULTKEY, [=](DialogContext& d) {
                    d.Type(IDC_VAULTKEY_CURRENT, current);
                    d.Type(IDC_VAULTKEY_NEW, fresh);
                    d.Type(IDC_VAULTKEY_CONFIRM, fresh);
                    d.Click(IDOK);
                });
                driver.ExpectMessageBox(record);
            }
        });
        ASSERT_EQ(told.size(), (warned ? 2u : 1u) + (step.thenFresh != nullptr ? 1u : 0u));
        EXPECT_EQ(told.back(), step.told);
        EXPECT_EQ(theApp.m_store.FormatOnDisk(VaultPath()), step.after);
        EXPECT_EQ(theApp.m_store.FormatOnDisk(BackupPath()), step.after);
        if (std::string(step.told).rfind("The vault now", 0) == 0) {
            EXPECT_TRUE(Bytes(VaultPath()) != vaultBefore);
            EXPECT_TRUE(Bytes(BackupPath()) == Bytes(VaultPath())) << "the backup is written at once";
        } else {
            EXPECT_TRUE(Bytes(VaultPath()) == vaultBefore) << "the vault is as it was";
            EXPECT_TRUE(Bytes(BackupPath()) == backupBefore) << "the backup is as it was";
        }
        // Logged in again with the password in force; the fields take what the key allows.
        const std::size_t limit = step.after == VaultFormat::Strong ? 64 : 16;
        const std::string tooLong(70, 'x');
        theApp.m_session.Logout();
        DialogDriver driver;
        driver
            .ExpectDialog(IDD_LOGIN,
                          [&](DialogContext& d) {
                              d.Type(IDC_LOGIN_PASSWORD, tooLong);
                              EXPECT_EQ(d.Text(IDC_LOGIN_PASSWORD).size(), limit);
                              d.SetText(IDC_LOGIN_PASSWORD, step.passwordAfter);
                              d.Click(IDOK);
                          })
            .ExpectDialog(step.after == VaultFormat::Strong ? IDD_PASSWORD_LONG : IDD_PASSWORD, [&](DialogContext& d) {
                d.Type(IDC_PASSWORD_OLD, tooLong);
                EXPECT_EQ(d.Text(IDC_PASSWORD_OLD).size(), limit);
                d.PressKey(VK_ESCAPE);
            });
        ASSERT_TRUE(theApp.m_session.Login());
        Press(IDC_VIEW_PASSWORD);
        EXPECT_TRUE(driver.Done());
    }
}

// A lock ends only the list window's dialogs; the passwords' dialog ends by itself.
TEST_F(VaultKeyTest, ALockWhileThePasswordsAreAskedForEndsTheirDialog) {
    LogInToEarlierVault();
    SwitchOnThePage("fast and compatible", [](DialogDriver& driver) {
        driver.ExpectDialog(IDD_VAULTKEY, [](DialogContext& d) {
            d.Type(IDC_VAULTKEY_CURRENT, kPassword);
            theApp.m_session.Logout();
        });
    });
    EXPECT_EQ(theApp.m_store.FormatOnDisk(VaultPath()), VaultFormat::Compatible);
}

}  // namespace
}  // namespace view_test

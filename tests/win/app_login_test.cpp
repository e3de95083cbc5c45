// Start-up's login loop and the application object's operations, driven in
// process: the Login dialog is filled and pressed by the dialog driver, the
// vault is real and lives in a fresh folder, settings in the real registry.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/pellucorda_app.h"
#include "res/resource.h"
#include "support/dialog_driver.h"
#include "support/temp_folder.h"
#include "ui/app_messages.h"
#include "ui/password_dlg.h"

namespace {

BYTE RegistryByte(const char* name) {
    BYTE value = 0;
    DWORD size = 1;
    RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda\\Config", name, RRF_RT_REG_BINARY, nullptr, &value,
                 &size);
    return value;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
        folder = MakeTempFolder("plc");
        GetCurrentDirectoryA(MAX_PATH, previous);
        SetCurrentDirectoryA(folder.c_str());
        theApp.m_settings.LoadFromRegistry();
        theApp.m_settings.SavePath(SettingBackupPath, folder + "\\backup");
        CreateDirectoryA((folder + "\\backup").c_str(), nullptr);
        if (theApp.m_wndView.GetSafeHwnd() == nullptr) {
            ASSERT_TRUE(theApp.m_wndView.Create(IDD_VIEW));
        }
        theApp.m_session.Logout();
    }

    void TearDown() override {
        theApp.m_session.Logout();
        SetCurrentDirectoryA(previous);
        DeleteFileA((folder + "\\logininfo.dat").c_str());
        DeleteFileA((folder + "\\logininfo.dat.lock").c_str());
        DeleteFileA((folder + "\\backup\\logininfo.bak").c_str());
        RemoveDirectoryA((folder + "\\backup").c_str());
        RemoveDirectoryA(folder.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
    }

    std::string folder;
    char previous[MAX_PATH] = {};
};

}  // namespace

TEST_F(AppTest, ARejectedPasswordBringsTheDialogBackEmptyUntilTheVaultOpens) {
    ASSERT_EQ(std::make_unique<LoginStore>()->Open(kDefaultMasterPassword, folder + "\\logininfo.dat"), VaultOk)
        << "a vault of an earlier run";
    DialogDriver driver;
    std::string message;
    driver
        .ExpectDialog(IDD_LOGIN,
                      [](DialogContext& dlg) {
                          EXPECT_EQ(dlg.FocusId(), IDC_LOGIN_PASSWORD) << "the user can type at once";
                          EXPECT_EQ(dlg.Text(IDC_LOGIN_PASSWORD), "");
                          dlg.Type(IDC_LOGIN_PASSWORD, "not the one");
                          dlg.Click(IDOK);
                      })
        .ExpectMessageBox([&](DialogContext& box) {
            message = box.MessageText();
            EXPECT_EQ(box.Title(), "Pellucorda");
            box.Click(IDOK);
        })
        .ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) {
            EXPECT_EQ(dlg.Text(IDC_LOGIN_PASSWORD), "") << "the rejected text is gone";
            dlg.Type(IDC_LOGIN_PASSWORD, "quillmarsh");
            dlg.Click(IDOK);
        });
    EXPECT_TRUE(theApp.m_session.Login());
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(message, "please input correct password!");
    EXPECT_TRUE(theApp.m_session.IsLoggedIn());
    EXPECT_TRUE(theApp.m_store.IsOpen());
    EXPECT_EQ(theApp.m_store.GetCount(), 1u);
    EXPECT_EQ(FileSize(folder + "\\logininfo.dat"), 1728);
    EXPECT_EQ(FileSize(folder + "\\backup\\logininfo.bak"), 1728) << "the backup follows a successful login";

    theApp.m_session.Logout();
    EXPECT_FALSE(theApp.m_session.IsLoggedIn());
    EXPECT_FALSE(theApp.m_store.IsOpen());
    EXPECT_EQ(theApp.m_store.GetCount(), 0u);
    EXPECT_FALSE(theApp.m_wndView.IsWindowVisible());
}

TEST_F(AppTest, EscapeAndTheCloseBoxCancelWhileAnEmptyPasswordIsStillTried) {
    DialogDriver driver;
    driver.ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) { dlg.PressKey(VK_ESCAPE); });
    EXPECT_FALSE(theApp.m_session.Login());
    EXPECT_FALSE(theApp.m_session.IsLoggedIn());
    EXPECT_EQ(FileSize(folder + "\\logininfo.dat"), -1) << "a cancelled login touches no file";

    std::string message;
    driver.ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) { dlg.PressKey(VK_RETURN); })
        .ExpectMessageBox([&](DialogContext& box) {
            message = box.MessageText();
            box.Click(IDOK);
        })
        .ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) { dlg.CloseBox(); });
    EXPECT_FALSE(theApp.m_session.Login());
    EXPECT_TRUE(driver.Done());
    // Enter hands the empty text to the store, which finds no vault and makes one.
    EXPECT_EQ(message.rfind("No vault was found at " + folder +
                                "\\logininfo.dat, so a new one was made with the "
                                "default master password \"quillmarsh\".",
                            0),
              0u)
        << message;
    EXPECT_NE(message.find("No backup was found at " + folder + "\\backup\\logininfo.bak"), std::string::npos);
    EXPECT_EQ(FileSize(folder + "\\logininfo.dat"), 1728) << "the first try created the default vault";
    EXPECT_FALSE(theApp.m_session.IsLoggedIn());
}

TEST_F(AppTest, PasswordFieldsTakeAtMostSixteenCharacters) {
    DialogDriver driver;
    driver.ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) {
        dlg.Type(IDC_LOGIN_PASSWORD, "abcdefghijklmnopqrstuvwxyz");
        EXPECT_EQ(dlg.Text(IDC_LOGIN_PASSWORD), "abcdefghijklmnop");
        dlg.PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(theApp.m_session.Login());

    CPasswordDlg passwords;
    driver.ExpectDialog(IDD_PASSWORD, [](DialogContext& dlg) {
        dlg.Type(IDC_PASSWORD_OLD, "quillmarsh");
        dlg.Type(IDC_PASSWORD_NEW, "0123456789abcdefXYZ");
        dlg.Type(IDC_PASSWORD_CONFIRM, "different");
        dlg.Click(IDOK);
    });
    EXPECT_EQ(passwords.DoModal(), IDOK);
    EXPECT_EQ(passwords.m_strOldPassword, "quillmarsh");
    EXPECT_EQ(passwords.m_strNewPassword.size(), 16u);
    EXPECT_EQ(passwords.m_strConfirmPassword, "different") << "comparing is the caller's business";

    driver.ExpectDialog(IDD_PASSWORD, [](DialogContext& dlg) { dlg.PressKey(VK_ESCAPE); });
    EXPECT_EQ(passwords.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Done());
}

TEST_F(AppTest, ALoginRequestWhileTheDialogIsUpBringsThatDialogForward) {
    DialogDriver driver;
    BOOL nested = TRUE;
    driver.ExpectDialog(IDD_LOGIN, [&](DialogContext& dlg) {
        // What a tray click or the hotkey does while the dialog waits.
        nested = theApp.m_session.Login();
        EXPECT_EQ(GetForegroundWindow(), dlg.Hwnd());
        dlg.Type(IDC_LOGIN_PASSWORD, "quillmarsh");
        dlg.Click(IDOK);
    });
    EXPECT_TRUE(theApp.m_session.Login());
    EXPECT_FALSE(nested) << "no second, nested login";
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(theApp.m_session.IsLoggedIn());
}

TEST_F(AppTest, OpacityIsBoundedStoredAndPostedToTheListWindow) {
    MSG msg;
    while (PeekMessageA(&msg, theApp.m_wndView.GetSafeHwnd(), WM_VIEW_SETALPHA, WM_VIEW_SETALPHA, PM_REMOVE)) {
    }
    const std::vector<std::pair<BYTE, BYTE>> cases = {{100, 128}, {200, 200}, {128, 128}, {255, 255}, {0, 128}};
    for (const auto& c : cases) {
        theApp.m_session.SetViewAlpha(c.first);
        EXPECT_EQ(RegistryByte("Alpha"), c.second) << int(c.first);
        EXPECT_EQ(theApp.m_settings.GetAlpha(), c.second);
        ASSERT_TRUE(PeekMessageA(&msg, theApp.m_wndView.GetSafeHwnd(), WM_VIEW_SETALPHA, WM_VIEW_SETALPHA, PM_REMOVE));
        EXPECT_EQ(msg.wParam, c.second);
        EXPECT_EQ(msg.lParam, 0);
    }
}

TEST_F(AppTest, HelpOpensTheFileBesideTheProgramAndFallsBackToTheWebPage) {
    EXPECT_EQ(CPellucordaApp::HelpFilePath("C:\\Programs\\Pellucorda\\pellucorda.exe"),
              "C:\\Programs\\Pellucorda\\Pellucorda.txt");
    EXPECT_EQ(CPellucordaApp::HelpFilePath("C:\\pellucorda.exe"), "C:\\Pellucorda.txt");

    static std::vector<std::string> opened;
    static INT_PTR answer;
    opened.clear();
    struct RecordingShell : Shell {
        INT_PTR Open(const char* target) override {
            opened.emplace_back(target);
            return opened.size() == 1 ? answer : 42;
        }
    } shell;
    theApp.SetShell(&shell);
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);

    answer = SE_ERR_FNF;
    EXPECT_TRUE(theApp.OnCmdMsg(ID_MAIN_HELP, CN_COMMAND, nullptr));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], CPellucordaApp::HelpFilePath(module));
    EXPECT_EQ(opened[1], kHelpPageAddress);

    for (INT_PTR other : {INT_PTR(42), INT_PTR(SE_ERR_ACCESSDENIED), INT_PTR(SE_ERR_NOASSOC)}) {
        opened.clear();
        answer = other;
        theApp.OnCmdMsg(ID_MAIN_HELP, CN_COMMAND, nullptr);
        EXPECT_EQ(opened.size(), 1u) << "only a missing file falls back, not error " << other;
    }
    theApp.SetShell(nullptr);
}

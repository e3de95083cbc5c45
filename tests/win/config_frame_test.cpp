// The Config command of the hidden main frame, chosen in the real tray menu:
// the paths the dialog leaves behind reach the settings in memory however it
// was closed, and the command again while the dialog shows opens no second
// one. The shell's notification-area call is recorded, as in the frame's own
// tests.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/pellucorda_app.h"
#include "res/resource.h"
#include "support/dialog_driver.h"
#include "support/message_pump.h"
#include "support/tab_click.h"
#include "tray_test_support.h"
#include "ui/app_messages.h"

namespace {

std::string ConfigString(const char* name) {
    char value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kConfigKeyPath, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return value;
}

class ConfigCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
        theApp.m_settings.LoadFromRegistry();
        theApp.m_pMainWnd = nullptr;
        if (theApp.m_wndView.GetSafeHwnd() == nullptr) {
            ASSERT_TRUE(theApp.m_wndView.Create(IDD_VIEW));
        }
        hFrame = CreateMainFrame(frame, shell);
        ASSERT_NE(hFrame, nullptr);
    }

    void TearDown() override {
        DestroyMainFrame(frame, hFrame);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
    }

    // Chooses "Config(&C)" in the tray menu and waits until the dialog the
    // driver expects has come and gone; the commands that reached the frame.
    std::vector<UINT> ChooseConfig(DialogDriver& driver) {
        TrayMenuWatch chooser;
        chooser.choose = 'c';
        chooser.HookWindow(hFrame);
        ::SendMessageA(hFrame, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_RBUTTONUP);
        EXPECT_TRUE(PumpUntil(
            theApp, [&] { return driver.Done(); }, 20000));
        return chooser.commands;
    }

    ShellRecorder shell;
    CMainFrame* frame = nullptr;
    HWND hFrame = nullptr;
};

TEST_F(ConfigCommandTest, PathsTypedInTheDialogReachTheSettingsHoweverItCloses) {
    const char* ways[] = {"close box", "Escape"};
    for (const char* way : ways) {
        SCOPED_TRACE(way);
        const std::string typed = std::string("C:\\Tools\\") + (way[0] == 'c' ? "box" : "esc") + ".exe";
        CConfigDlg& config = frame->m_dlgConfig;
        DialogDriver driver;
        driver.ExpectDialog(IDD_CONFIG, [&](DialogContext& d) {
            EXPECT_EQ(::GetWindow(d.Hwnd(), GW_OWNER), hFrame);
            ClickTab(config.m_tabCtrl, 1);
            HWND web = ::GetDlgItem(config.m_pageLocal.GetSafeHwnd(), IDC_PATH_WEB);
            ::SetFocus(web);
            ::SendMessageA(web, EM_SETSEL, 0, -1);
            for (char c : typed) ::SendMessageA(web, WM_CHAR, static_cast<unsigned char>(c), 1);
            if (way[0] == 'c') {
                d.CloseBox();
            } else {
                d.PressKey(VK_ESCAPE);
            }
        });
        EXPECT_EQ(ChooseConfig(driver), std::vector<UINT>{ID_MAIN_CONFIG});
        EXPECT_FALSE(config.m_bOpen);
        EXPECT_EQ(theApp.m_settings.GetWebClient(), typed);
        EXPECT_EQ(ConfigString(kWebClientValue), typed);
    }
}

TEST_F(ConfigCommandTest, TheCommandAgainWhileTheDialogShowsOpensNoSecondOne) {
    theApp.m_settings.SavePath(SettingFtpClient, "ftp.exe");
    DialogDriver driver;
    int openDuringSecond = 0;
    driver.ExpectDialog(IDD_CONFIG, [&](DialogContext& d) {
        // The tray menu's loop runs inside the dialog's: its command arrives
        // at the frame while the first is still showing the dialog.
        ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_MAIN_CONFIG, 0), 0);
        openDuringSecond = frame->m_dlgConfig.m_bOpen;
        EXPECT_TRUE(::IsWindowVisible(d.Hwnd()));
        d.CloseBox();
    });
    EXPECT_EQ(ChooseConfig(driver), (std::vector<UINT>{ID_MAIN_CONFIG, ID_MAIN_CONFIG}));
    EXPECT_TRUE(openDuringSecond) << "the first showing went on";
    EXPECT_EQ(theApp.m_settings.GetFtpClient(), "ftp.exe") << "nothing was lost in the copies";

    // And the dialog opens again afterwards.
    driver.ExpectDialog(IDD_CONFIG, [&](DialogContext& d) { d.PressKey(VK_ESCAPE); });
    EXPECT_EQ(ChooseConfig(driver), std::vector<UINT>{ID_MAIN_CONFIG});
}

}  // namespace

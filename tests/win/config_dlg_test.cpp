// The Config dialog driven in process against the real registry: what each
// page shows, what each control stores and when, the warnings of the logout
// time and the security numbers, the opacity bar's steps and what reaches the
// list window, choosing a hotkey, and how the dialog closes and refuses a
// second run.
#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/pellucorda_app.h"
#include "res/resource.h"
#include "support/dialog_driver.h"
#include "support/dpi_process.h"
#include "support/hotkey_holder.h"
#include "support/temp_folder.h"
#include "ui/app_messages.h"
#include "ui/config/config_dlg.h"

namespace {

std::string RegString(const char* key, const char* name) {
    char value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return value;
}

std::string ConfigString(const char* name) { return RegString(kConfigKeyPath, name); }

int ConfigByte(const char* name) {
    BYTE value = 0;
    DWORD size = 1;
    if (RegGetValueA(HKEY_CURRENT_USER, kConfigKeyPath, name, RRF_RT_REG_BINARY, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return -1;
    }
    return value;
}

DWORD ConfigDword(const char* name) {
    DWORD value = 0xDEAD;
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, kConfigKeyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

void PutConfigString(const char* name, const std::string& text) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kConfigKeyPath, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

HWND Item(CWnd& page, int id) { return ::GetDlgItem(page.GetSafeHwnd(), id); }

std::string TextOf(HWND hWnd) {
    char text[512] = {};
    ::GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

bool IsChecked(HWND hWnd) { return ::SendMessageA(hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void ClickTab(CTabCtrl& tabs, int nIndex) {
    RECT item;
    ASSERT_TRUE(tabs.GetItemRect(nIndex, &item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    tabs.SendMsg(WM_LBUTTONDOWN, MK_LBUTTON, at);
    tabs.SendMsg(WM_LBUTTONUP, 0, at);
}

// Types into an edit as a user would, replacing what it holds.
void Retype(HWND edit, const std::string& text) {
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : text) ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// A key press handled at once by the window that has the focus.
void Key(HWND hWnd, UINT vk) {
    ::SendMessageA(hWnd, WM_KEYDOWN, vk, 1);
    ::SendMessageA(hWnd, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
}

// The opacities posted to the list window since the last call.
std::vector<int> TakePostedAlphas() {
    std::vector<int> alphas;
    MSG msg;
    while (::PeekMessageA(&msg, theApp.m_wndView.GetSafeHwnd(), WM_VIEW_SETALPHA, WM_VIEW_SETALPHA, PM_REMOVE)) {
        alphas.push_back(static_cast<int>(msg.wParam));
    }
    return alphas;
}

class ConfigDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
        theApp.m_settings.LoadFromRegistry();
        if (theApp.m_wndView.GetSafeHwnd() == nullptr) {
            ASSERT_TRUE(theApp.m_wndView.Create(IDD_VIEW));
        }
        theApp.m_session.Logout();
        TakePostedAlphas();
    }

    void TearDown() override {
        theApp.m_session.Logout();
        ::KillTimer(theApp.m_wndView.GetSafeHwnd(), kLogoutTimerId);
        TakePostedAlphas();
        RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvanet\\Pellucorda");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
    }

    // Runs the dialog with the action inside it; the action closes it.
    INT_PTR Run(const std::function<void(DialogContext&)>& action, DialogDriver& driver) {
        driver.ExpectDialog(IDD_CONFIG, action);
        return dlg.DoModal();
    }
    INT_PTR Run(const std::function<void(DialogContext&)>& action) {
        DialogDriver driver;
        INT_PTR result = Run(action, driver);
        EXPECT_TRUE(driver.Done());
        return result;
    }

    CConfigDlg dlg{theApp.m_session};
};

TEST_F(ConfigDlgTest, OpensOnOptionShowingTheSettingsThenLocalShowsThePaths) {
    Settings& settings = theApp.m_settings;
    settings.SaveValue(SettingAutoRun, 0);
    settings.SaveValue(SettingHotKey, 1);
    settings.SaveValue(SettingAlpha, 200);
    settings.SaveValue(SettingLogoutTime, 15);
    settings.SavePath(SettingWebClient, "C:\\web.exe");
    settings.SavePath(SettingFtpClient, "C:\\ftp.exe");
    settings.SavePath(SettingTelnetClient, "C:\\telnet.exe");
    settings.SavePath(SettingBackupPath, "D:\\backup");

    const INT_PTR result = Run([&](DialogContext& d) {
        EXPECT_TRUE(dlg.m_bOpen);
        EXPECT_EQ(d.Title(), "Config");
        ASSERT_EQ(dlg.m_tabCtrl.GetPageCount(), 3);
        std::string title;
        dlg.m_tabCtrl.GetPageTitle(0, title);
        EXPECT_EQ(title, "Option");
        dlg.m_tabCtrl.GetPageTitle(1, title);
        EXPECT_EQ(title, "Local");
        dlg.m_tabCtrl.GetPageTitle(2, title);
        EXPECT_EQ(title, "Security");
        EXPECT_EQ(dlg.m_tabCtrl.GetPageData(0), 0);
        EXPECT_EQ(dlg.m_tabCtrl.GetPageData(1), 1);
        EXPECT_EQ(dlg.m_tabCtrl.GetSelectedPage(), 0);
        EXPECT_TRUE(dlg.m_pageOption.IsWindowVisible());
        EXPECT_FALSE(dlg.m_pageLocal.IsWindowVisible());

        CWnd& option = dlg.m_pageOption;
        EXPECT_FALSE(IsChecked(Item(option, IDC_CONTROL_AUTORUN)));
        EXPECT_TRUE(IsChecked(Item(option, IDC_CONTROL_HOTKEY)));
        EXPECT_EQ(TextOf(Item(option, IDC_CONTROL_LOGOUT)), "15");
        HWND bar = Item(option, IDC_CONTROL_ALPHA);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar, dlg.m_pageOption.m_scrollAlpha.GetSafeHwnd());
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(bar, GWL_STYLE)), 0x50010004u);
        int low = 0;
        int high = 0;
        ::GetScrollRange(bar, SB_CTL, &low, &high);
        EXPECT_EQ(low, 128);
        EXPECT_EQ(high, 255);
        EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 200);

        ClickTab(dlg.m_tabCtrl, 1);
        EXPECT_TRUE(dlg.m_pageLocal.IsWindowVisible());
        EXPECT_FALSE(dlg.m_pageOption.IsWindowVisible());
        CWnd& local = dlg.m_pageLocal;
        EXPECT_EQ(TextOf(Item(local, IDC_PATH_WEB)), "C:\\web.exe");
        EXPECT_EQ(TextOf(Item(local, IDC_PATH_FTP)), "C:\\ftp.exe");
        EXPECT_EQ(TextOf(Item(local, IDC_PATH_TELNET)), "C:\\telnet.exe");
        EXPECT_EQ(TextOf(Item(local, IDC_PATH_BACKUP)), "D:\\backup");
        d.CloseBox();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(dlg.m_bOpen);
    EXPECT_EQ(dlg.m_pageOption.GetSafeHwnd(), nullptr) << "the pages' windows end with the dialog";
    EXPECT_EQ(dlg.m_pageLocal.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dlg.m_tabCtrl.GetSafeHwnd(), nullptr);
    EXPECT_TRUE(TakePostedAlphas().empty()) << "opening changes no opacity";
}

// Where the opacity bar sits, in the page's own coordinates, at whatever
// scaling this process runs: between the "low" and "high" labels, inside its
// group box and clear of the check boxes' group, with the system's height.
TEST_F(ConfigDlgTest, TheOpacityBarSitsBetweenItsLabelsInsideItsGroup) {
    int dpi = 0;
    ASSERT_NO_FATAL_FAILURE(ExpectAskedDpi(dpi));
    Run([&](DialogContext& d) {
        HWND page = dlg.m_pageOption.GetSafeHwnd();
        auto rectOf = [page](HWND hWnd) {
            RECT rect = {};
            ::GetWindowRect(hWnd, &rect);
            ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
            return rect;
        };
        auto byText = [page](const char* text) {
            for (HWND c = ::GetWindow(page, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
                if (TextOf(c) == text) return c;
            }
            return static_cast<HWND>(nullptr);
        };
        const RECT bar = rectOf(Item(dlg.m_pageOption, IDC_CONTROL_ALPHA));
        const RECT low = rectOf(byText("low"));
        const RECT high = rectOf(byText("high"));
        const RECT group = rectOf(byText("Opacity of View Window"));
        const RECT checks = rectOf(byText("Contral"));
        SCOPED_TRACE(testing::Message() << dpi << " dpi: bar " << bar.left << "," << bar.top << "," << bar.right << ","
                                        << bar.bottom);
        EXPECT_GE(bar.left, low.right);
        EXPECT_LE(bar.right, high.left);
        EXPECT_GT(bar.right - bar.left, (high.left - low.right) / 2) << "the bar spans the room between the labels";
        EXPECT_GT(bar.bottom, low.top) << "level with the labels";
        EXPECT_LT(bar.top, low.bottom);
        EXPECT_GE(bar.top, checks.bottom) << "over the check boxes' group";
        EXPECT_GT(bar.top, group.top);
        EXPECT_LT(bar.bottom, group.bottom);
        EXPECT_NEAR(bar.bottom - bar.top, ::GetSystemMetrics(SM_CYHSCROLL), 1);
        d.CloseBox();
    });
}

// The same at 144 dpi (150 %): a new process of this program, started with
// the prefix's LogPixels raised, runs the test above.
TEST(ConfigDlgScaling, TheOpacityBarSitsBetweenItsLabelsAt144Dpi) {
    EXPECT_EQ(RunTestsAtDpi("ConfigDlgTest.TheOpacityBarSitsBetweenItsLabelsInsideItsGroup", 144), 0u)
        << "the test failed at 144 dpi (its output is above)";
}

TEST_F(ConfigDlgTest, EachPathEditStoresItsOwnValueAtEveryKeystroke) {
    // What the settings hold in memory differs from the registry: showing the
    // page fills the edits from memory, and must write nothing.
    PutConfigString(kWebClientValue, "stored");
    theApp.m_settings.SetWebClient("in memory");
    const std::string setupPath = ConfigString(kSetupPathValue);
    const std::string backupPath = ConfigString(kBackupPathValue);

    std::string afterShowing;
    std::string afterOneKey;
    const INT_PTR result = Run([&](DialogContext& d) {
        ClickTab(dlg.m_tabCtrl, 1);
        CWnd& local = dlg.m_pageLocal;
        EXPECT_EQ(TextOf(Item(local, IDC_PATH_WEB)), "in memory");
        afterShowing = ConfigString(kWebClientValue);

        ::SetFocus(Item(local, IDC_PATH_WEB));
        ::SendMessageA(Item(local, IDC_PATH_WEB), EM_SETSEL, 9, 9);
        ::SendMessageA(Item(local, IDC_PATH_WEB), WM_CHAR, '!', 1);
        afterOneKey = ConfigString(kWebClientValue);
        EXPECT_EQ(theApp.m_settings.GetWebClient(), "in memory!");

        Retype(Item(local, IDC_PATH_TELNET), "telnet.exe -x");
        EXPECT_EQ(ConfigString(kTelnetClientValue), "telnet.exe -x");
        EXPECT_EQ(ConfigString(kWebClientValue), "in memory!");
        EXPECT_EQ(ConfigString(kFtpClientValue), "");
        EXPECT_EQ(ConfigString(kSetupPathValue), setupPath);
        EXPECT_EQ(ConfigString(kBackupPathValue), backupPath);

        Retype(Item(local, IDC_PATH_FTP), "ftp.exe");
        Retype(Item(local, IDC_PATH_BACKUP), "E:\\copies");
        EXPECT_EQ(ConfigString(kFtpClientValue), "ftp.exe");
        EXPECT_EQ(ConfigString(kBackupPathValue), "E:\\copies");
        EXPECT_EQ(theApp.m_settings.GetBackupPath(), "E:\\copies");
        EXPECT_EQ(ConfigString(kSetupPathValue), setupPath);

        // A stored path holds 255 characters: typing stops there.
        Retype(Item(local, IDC_PATH_WEB), std::string(300, 'w'));
        EXPECT_EQ(TextOf(Item(local, IDC_PATH_WEB)), std::string(255, 'w'));
        EXPECT_EQ(ConfigString(kWebClientValue), std::string(255, 'w'));
        Retype(Item(local, IDC_PATH_WEB), "in memory!");
        d.CloseBox();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(afterShowing, "stored");
    EXPECT_EQ(afterOneKey, "in memory!");
    EXPECT_EQ(ConfigString(kWebClientValue), "in memory!") << "the close box undoes nothing";
    EXPECT_EQ(dlg.m_pageLocal.m_strTelnet, "telnet.exe -x");
}

// The open-file dialog's name field: the edit inside its (extended) combo box.
HWND FileNameField(HWND dialog) {
    HWND field = ::GetDlgItem(dialog, cmb13);
    char name[16] = {};
    while (field != nullptr && (::GetClassNameA(field, name, sizeof name), lstrcmpiA(name, "Edit") != 0)) {
        field = ::GetWindow(field, GW_CHILD);
    }
    return field;
}

// Browse opens where the edit's path lies, and the chosen program reaches
// the edit and the settings as typing its path would; a cancelled dialog,
// the backup folder's here, changes nothing.
TEST_F(ConfigDlgTest, BrowseStoresTheChosenPathAsTypingItAndCancelChangesNothing) {
    const std::string folder = MakeTempFolder("plb");
    const std::string program = folder + "\\tool.exe";
    ::CloseHandle(::CreateFileA(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    theApp.m_settings.SavePath(SettingWebClient, folder + "\\old.exe");
    theApp.m_settings.SavePath(SettingBackupPath, folder);
    std::string chosen;
    DialogDriver driver;
    Run(
        [&](DialogContext& d) {
            ClickTab(dlg.m_tabCtrl, 1);
            CWnd& local = dlg.m_pageLocal;
            driver.ExpectAny([](DialogContext& open) {
                HWND name = FileNameField(open.Hwnd());
                ASSERT_NE(name, nullptr) << DescribeDialog(open.Hwnd());
                Retype(name, "tool.exe");  // only the name: the folder is where it opened
                open.PressKey(VK_RETURN);
            });
            ::SendMessageA(Item(local, IDC_PATH_WEB_BROWSE), BM_CLICK, 0, 0);
            chosen = TextOf(Item(local, IDC_PATH_WEB));
            const std::string stored = ConfigString(kWebClientValue);
            Retype(Item(local, IDC_PATH_FTP), chosen);
            EXPECT_EQ(stored, ConfigString(kFtpClientValue)) << "stored as typing the path stores it";
            EXPECT_EQ(theApp.m_settings.GetWebClient(), theApp.m_settings.GetFtpClient());

            driver.ExpectAny([](DialogContext& browse) { browse.PressKey(VK_ESCAPE); });
            ::SendMessageA(Item(local, IDC_PATH_BACKUP_BROWSE), BM_CLICK, 0, 0);
            EXPECT_EQ(TextOf(Item(local, IDC_PATH_BACKUP)), folder);
            EXPECT_EQ(ConfigString(kBackupPathValue), folder);
            d.CloseBox();
        },
        driver);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(::lstrcmpiA(chosen.c_str(), program.c_str()), 0) << chosen << " chosen";
    ::DeleteFileA(program.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

TEST_F(ConfigDlgTest, OpacityMovesInStepsOfFourWithinItsRangeAndReachesTheListWindow) {
    theApp.m_settings.SaveValue(SettingAlpha, 253);
    Run([&](DialogContext& d) {
        CControlPage& option = dlg.m_pageOption;
        HWND bar = option.m_scrollAlpha.GetSafeHwnd();
        ::SetFocus(bar);

        Key(bar, VK_RIGHT);  // a step to the right
        EXPECT_EQ(ConfigByte(kAlphaValue), 255);
        EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 255);
        EXPECT_EQ(TakePostedAlphas(), std::vector<int>{255});
        // The end of a scroll restates where the bar is.
        option.SendMsg(WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 255);
        EXPECT_EQ(TakePostedAlphas(), std::vector<int>{255});

        // Dragging the thumb stores every position on the way.
        option.SendMsg(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 180), reinterpret_cast<LPARAM>(bar));
        option.SendMsg(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 130), reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(ConfigByte(kAlphaValue), 130);
        EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 130);
        EXPECT_EQ(TakePostedAlphas(), (std::vector<int>{180, 130}));

        Key(bar, VK_LEFT);
        EXPECT_EQ(ConfigByte(kAlphaValue), 128);
        EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 128);
        EXPECT_EQ(TakePostedAlphas(), std::vector<int>{128});

        // A click in the trough and the jumps to either end move nothing.
        theApp.m_settings.SaveValue(SettingAlpha, 140);
        ::SetScrollPos(bar, SB_CTL, 140, TRUE);
        for (UINT vk : {VK_NEXT, VK_PRIOR, VK_HOME, VK_END}) {
            SCOPED_TRACE(vk);
            Key(bar, vk);
            EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 140);
            EXPECT_EQ(ConfigByte(kAlphaValue), 140);
        }
        for (int alpha : TakePostedAlphas()) EXPECT_EQ(alpha, 140);
        d.CloseBox();
    });
    EXPECT_EQ(theApp.m_settings.GetAlpha(), 140);
}

TEST_F(ConfigDlgTest, LogoutTimeIsStoredWhenTheEditLosesTheFocus) {
    theApp.m_session.m_bLoggedIn = TRUE;  // the list window runs its logout timer only then
    HWND view = theApp.m_wndView.GetSafeHwnd();
    int whileTyping = -1;
    bool timerWith45 = false;
    bool timerWith0 = true;
    Run([&](DialogContext& d) {
        CWnd& option = dlg.m_pageOption;
        HWND logout = Item(option, IDC_CONTROL_LOGOUT);
        Retype(logout, "45");
        whileTyping = ConfigByte(kLogoutTimeValue);
        ::SetFocus(Item(option, IDC_CONTROL_AUTORUN));
        EXPECT_EQ(ConfigByte(kLogoutTimeValue), 45);
        EXPECT_EQ(theApp.m_settings.GetLogoutTime(), 45);
        timerWith45 = ::KillTimer(view, kLogoutTimerId) != FALSE;
        // Running again, so that switching it off below has something to stop.
        ::SetTimer(view, kLogoutTimerId, 45 * 60000, nullptr);

        Retype(logout, "0");
        ::SetFocus(Item(option, IDC_CONTROL_AUTORUN));
        EXPECT_EQ(ConfigByte(kLogoutTimeValue), 0);
        timerWith0 = ::KillTimer(view, kLogoutTimerId) != FALSE;
        d.CloseBox();
    });
    EXPECT_EQ(whileTyping, 0) << "typing alone stores nothing";
    EXPECT_TRUE(timerWith45) << "the list window's timer runs with the new time";
    EXPECT_FALSE(timerWith0) << "0 switches the automatic logout off";

    // Closing the dialog takes the focus from the edit too.
    Run([&](DialogContext& d) {
        Retype(Item(dlg.m_pageOption, IDC_CONTROL_LOGOUT), "33");
        d.CloseBox();
    });
    EXPECT_EQ(ConfigByte(kLogoutTimeValue), 33);
}

TEST_F(ConfigDlgTest, ABadLogoutTimeWarnsAndLeavingTheEditStoresWhatIsSound) {
    theApp.m_settings.SaveValue(SettingLogoutTime, 20);
    struct Case {
        const char* typed;
        const char* warning;
        int stored;
    };
    const Case cases[] = {
        {"75", "Please enter a number between 0 and 60.", 60},
        {"", "Please enter a whole number.", 20},
        // Taken as a number but refused: a byte would wrap it to 44 minutes.
        {"300", "Please enter a number between 0 and 60.", 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        theApp.m_settings.SaveValue(SettingLogoutTime, 20);
        std::vector<std::string> warnings;
        int beforeLeaving = -1;
        int selStart = -1;
        int selEnd = -1;
        HWND focusAfterWarning = nullptr;
        HWND logout = nullptr;
        std::string shownAfterLeaving;
        DialogDriver driver;
        driver.ExpectDialog(IDD_CONFIG, [&](DialogContext& d) {
            logout = Item(dlg.m_pageOption, IDC_CONTROL_LOGOUT);
            if (*c.typed != '\0') {
                Retype(logout, c.typed);
            } else {
                ::SetFocus(logout);
                ::SendMessageA(logout, EM_SETSEL, 0, -1);
                ::SendMessageA(logout, WM_CLEAR, 0, 0);
            }
            focusAfterWarning = ::GetFocus();
            ::SendMessageA(logout, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
            beforeLeaving = ConfigByte(kLogoutTimeValue);
            ::SetFocus(Item(dlg.m_pageOption, IDC_CONTROL_HOTKEY));
            shownAfterLeaving = TextOf(logout);
            d.CloseBox();
        });
        driver.ExpectMessageBox([&](DialogContext& box) {
            warnings.push_back(box.MessageText());
            EXPECT_EQ(box.Title(), "Pellucorda");
            box.Click(IDOK);
        });
        dlg.DoModal();
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(warnings, std::vector<std::string>{c.warning});
        EXPECT_EQ(focusAfterWarning, logout) << "the user is taken back to the edit";
        EXPECT_EQ(selStart, 0);
        EXPECT_EQ(selEnd, static_cast<int>(strlen(c.typed)));
        EXPECT_EQ(beforeLeaving, 20);
        EXPECT_EQ(ConfigByte(kLogoutTimeValue), c.stored);
        EXPECT_EQ(shownAfterLeaving, std::to_string(c.stored)) << "the field shows what is stored";
    }
}

TEST_F(ConfigDlgTest, CheckBoxesStoreAtOnceEvenWhenTheLogoutTimeIsRefused) {
    theApp.m_settings.SaveValue(SettingAutoRun, 0);
    theApp.m_settings.SaveValue(SettingHotKey, 1);
    const std::string program = theApp.m_settings.GetSetupPath();
    DialogDriver driver;
    driver.ExpectDialog(IDD_CONFIG, [&](DialogContext& d) {
        CWnd& option = dlg.m_pageOption;
        ::SendMessageA(Item(option, IDC_CONTROL_AUTORUN), BM_CLICK, 0, 0);
        EXPECT_EQ(RegString(kRunKeyPath, kRunValueName), program);
        EXPECT_TRUE(theApp.m_settings.IsAutoRun());
        ::SendMessageA(Item(option, IDC_CONTROL_AUTORUN), BM_CLICK, 0, 0);
        EXPECT_EQ(RegString(kRunKeyPath, kRunValueName), "") << "switched off, the value stays, empty";
        EXPECT_FALSE(theApp.m_settings.IsAutoRun());

        // A refused logout time in the edit: the click takes the focus from
        // it, which stores and shows the time bounded, and the check box is
        // stored all the same.
        ::SendMessageA(Item(option, IDC_CONTROL_LOGOUT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("99"));
        ::SendMessageA(Item(option, IDC_CONTROL_HOTKEY), BM_CLICK, 0, 0);
        EXPECT_EQ(ConfigByte(kEnableHotKeyValue), 0);
        EXPECT_FALSE(theApp.m_settings.IsHotKeyEnabled());
        d.CloseBox();
    });
    int warnings = 0;
    driver.ExpectMessageBox([&](DialogContext& box) {
        ++warnings;
        box.Click(IDOK);
    });
    dlg.DoModal();
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(warnings, 1);
}

// Whether a key (Windows+A unless named) is held by some window (a thread
// may not take it then).
bool HotKeyTaken(UINT modifiers = MOD_WIN, UINT vk = 'A') {
    const int id = 0x5A5A;
    if (!::RegisterHotKey(nullptr, id, modifiers, vk)) return true;
    ::UnregisterHotKey(nullptr, id);
    return false;
}

TEST_F(ConfigDlgTest, TheHotkeyCheckBoxTakesAndReleasesWindowsAAtOnce) {
    theApp.m_settings.SaveValue(SettingHotKey, 1);
    theApp.m_wndView.m_hotKey.Enable(TRUE);
    ASSERT_TRUE(HotKeyTaken());
    bool takenWhenOff = true;
    bool takenWhenOn = false;
    Run([&](DialogContext& d) {
        HWND check = Item(dlg.m_pageOption, IDC_CONTROL_HOTKEY);
        ASSERT_TRUE(IsChecked(check));
        ::SendMessageA(check, BM_CLICK, 0, 0);
        takenWhenOff = HotKeyTaken() || HotKeyTaken(MOD_CONTROL | MOD_ALT, 'A');
        EXPECT_EQ(ConfigByte(kEnableHotKeyValue), 0);
        ::SendMessageA(check, BM_CLICK, 0, 0);
        takenWhenOn = HotKeyTaken() && HotKeyTaken(MOD_CONTROL | MOD_ALT, 'A');
        EXPECT_EQ(ConfigByte(kEnableHotKeyValue), 1);
        d.CloseBox();
    });
    EXPECT_FALSE(takenWhenOff);
    EXPECT_TRUE(takenWhenOn);
}

TEST_F(ConfigDlgTest, EnterOrEscapeInAPageClosesAndASecondRunIsRefusedMeanwhile) {
    struct Way {
        const char* name;
        UINT vk;
        INT_PTR result;
    };
    for (const Way& way : {Way{"Escape", VK_ESCAPE, IDCANCEL}, Way{"Enter", VK_RETURN, IDOK}}) {
        SCOPED_TRACE(way.name);
        INT_PTR second = -1;
        const INT_PTR result = Run([&](DialogContext& d) {
            // The tray menu's Config command again, from a loop running
            // inside the dialog's: no nested dialog.
            second = dlg.DoModal();
            EXPECT_TRUE(dlg.m_bOpen);
            ClickTab(dlg.m_tabCtrl, 1);
            ::SetFocus(Item(dlg.m_pageLocal, IDC_PATH_FTP));
            d.PressKey(way.vk);
        });
        EXPECT_EQ(second, 0);
        EXPECT_EQ(result, way.result);
        EXPECT_FALSE(dlg.m_bOpen);
    }
}

// Each number is checked as the logout time is, on its own: a refused one
// warns at once, and leaving its edit stores it bounded. The check box stores
// at once.
TEST_F(ConfigDlgTest, TheSecurityPageShowsItsSettingsAndStoresEachWithinItsBounds) {
    Settings& settings = theApp.m_settings;
    settings.SaveValue(SettingClipboardSeconds, 45);
    settings.SaveValue(SettingLockOnSessionLock, 0);
    settings.SaveValue(SettingIdleMinutes, 5);
    std::vector<std::string> warnings;
    DialogDriver driver;
    driver.ExpectDialog(IDD_CONFIG, [&](DialogContext& d) {
        ClickTab(dlg.m_tabCtrl, 2);
        CSecurityPage& page = dlg.m_pageSecurity;
        HWND seconds = Item(page, IDC_SECURITY_CLIPBOARD);
        HWND idle = Item(page, IDC_SECURITY_IDLE);
        HWND lock = Item(page, IDC_SECURITY_SESSION_LOCK);
        EXPECT_EQ(TextOf(seconds), "45");
        EXPECT_EQ(TextOf(idle), "5");
        EXPECT_FALSE(IsChecked(lock));

        ::SendMessageA(lock, BM_CLICK, 0, 0);
        EXPECT_EQ(ConfigByte(kLockOnSessionLockValue), 1);
        Retype(seconds, "120");
        EXPECT_EQ(ConfigDword(kClipboardSecondsValue), 45u) << "typing alone stores nothing";
        ::SetFocus(idle);
        EXPECT_EQ(ConfigDword(kClipboardSecondsValue), 120u);

        Retype(seconds, "5000");  // warns
        Retype(idle, "75");       // warns about itself only; leaving the seconds stored them bounded
        EXPECT_EQ(ConfigDword(kClipboardSecondsValue), 3600u);
        ::SetFocus(lock);
        EXPECT_EQ(ConfigByte(kIdleMinutesValue), 60);
        EXPECT_EQ(TextOf(seconds) + " " + TextOf(idle), "3600 60") << "each field shows what is stored";
        Retype(idle, "0");
        d.CloseBox();
    });
    for (int i = 0; i < 2; ++i) {
        driver.ExpectMessageBox([&](DialogContext& box) {
            warnings.push_back(box.MessageText());
            box.Click(IDOK);
        });
    }
    dlg.DoModal();
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(warnings, (std::vector<std::string>{"Please enter a number between 0 and 3600.",
                                                  "Please enter a number between 0 and 60."}));
    EXPECT_EQ(ConfigByte(kIdleMinutesValue), 0) << "closing the dialog stores the last edit";
}

// What a hotkey field sends once the user has pressed a combination.
void ChooseHotKey(CSecurityPage& page, UINT fieldFlags, UINT vk, bool windowsKey, int id = IDC_SECURITY_HOTKEY,
                  int windowsId = IDC_SECURITY_HOTKEY_WIN) {
    HWND field = Item(page, id);
    ::SendMessageA(field, HKM_SETHOTKEY, MAKEWORD(vk, fieldFlags), 0);
    ::SendMessageA(Item(page, windowsId), BM_SETCHECK, windowsKey ? BST_CHECKED : BST_UNCHECKED, 0);
    page.SendMsg(WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(field));
}

// The stored key held by another program shows as unavailable on both pages;
// a free key chosen replaces the old one at once; a held or a bare key is
// refused and the previous one keeps working.
TEST_F(ConfigDlgTest, AHotkeyHeldElsewhereIsShownUnavailableAndAFreeOneChosenTakesItsPlace) {
    theApp.m_settings.SaveValue(SettingHotKey, 1);
    theApp.m_wndView.m_hotKey.Enable(FALSE);
    HotKeyHolder other(MOD_WIN, 'A');
    ASSERT_TRUE(other.Holding());
    theApp.m_wndView.m_hotKey.Enable(TRUE);
    const std::uint32_t ctrlAltP = MakeHotKey(kHotKeyModControl | kHotKeyModAlt, 'P');
    Run([&](DialogContext& d) {
        EXPECT_EQ(TextOf(Item(dlg.m_pageOption, IDC_CONTROL_HOTKEY)), "Enable Hotkey(Windows+A) - unavailable");
        ClickTab(dlg.m_tabCtrl, 2);
        CSecurityPage& page = dlg.m_pageSecurity;
        HWND status = Item(page, IDC_SECURITY_HOTKEY_STATUS);
        EXPECT_EQ(TextOf(status), "Windows+A is unavailable: Windows or another program uses it. Choose another key.");

        ChooseHotKey(page, HOTKEYF_CONTROL | HOTKEYF_ALT, 'P', false);
        EXPECT_EQ(ConfigDword(kHotKeyValue), ctrlAltP);
        EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'P'));
        EXPECT_EQ(TextOf(status), "Ctrl+Alt+P shows and hides the list window.");

        ChooseHotKey(page, 0, 'A', true);
        EXPECT_EQ(TextOf(status), "Windows+A is unavailable: Windows or another program uses it. Ctrl+Alt+P stays.");
        ChooseHotKey(page, HOTKEYF_SHIFT, 'S', false);  // would take capital S from every program
        EXPECT_NE(TextOf(status).find("add Ctrl, Alt or the Windows key"), std::string::npos);
        EXPECT_EQ(ConfigDword(kHotKeyValue), ctrlAltP);
        EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'P')) << "the previous key still works";

        ChooseHotKey(page, HOTKEYF_SHIFT, 'S', true);  // the box adds what the field cannot show
        EXPECT_EQ(ConfigDword(kHotKeyValue), MakeHotKey(kHotKeyModWin | kHotKeyModShift, 'S'));
        EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'P')) << "the old key is released";
        ClickTab(dlg.m_tabCtrl, 0);
        EXPECT_EQ(TextOf(Item(dlg.m_pageOption, IDC_CONTROL_HOTKEY)), "Enable Hotkey(Windows+Shift+S)");
        d.CloseBox();
    });
}

// The two keys never share a combination: either field refuses the other's
// key and says whose it is. A key stored as both (chosen for the list window
// before there was an auto-type key) leaves auto-type without one until
// either changes.
TEST_F(ConfigDlgTest, TheTwoHotkeysNeverShareACombination) {
    CHotKey& autoType = theApp.m_wndView.m_autoTypeHotKey;
    autoType.Enable(FALSE);
    theApp.m_settings.SaveValue(SettingHotKeyCode, kDefaultAutoTypeHotKey);
    theApp.m_wndView.m_hotKey.Enable(TRUE);
    autoType.Enable(TRUE);
    Run([&](DialogContext& d) {
        ClickTab(dlg.m_tabCtrl, 2);
        CSecurityPage& page = dlg.m_pageSecurity;
        const auto status = [&](int id) { return TextOf(Item(page, id)); };
        const int autoTypeKey[] = {IDC_SECURITY_AUTOTYPE_HOTKEY, IDC_SECURITY_AUTOTYPE_WIN};
        EXPECT_EQ(status(IDC_SECURITY_AUTOTYPE_STATUS),
                  "Ctrl+Alt+A is the list window's hotkey too, so it cannot auto-type. Choose another key.");
        ChooseHotKey(page, 0, 'A', true);
        EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'A')) << "freed by the other key, auto-type takes it";
        ChooseHotKey(page, 0, 'A', true, autoTypeKey[0], autoTypeKey[1]);
        EXPECT_EQ(status(IDC_SECURITY_AUTOTYPE_STATUS),
                  "Windows+A is the key that shows the list window already: choose another key. Ctrl+Alt+A stays.");
        ChooseHotKey(page, HOTKEYF_CONTROL | HOTKEYF_ALT, 'A', false);
        EXPECT_EQ(status(IDC_SECURITY_HOTKEY_STATUS),
                  "Ctrl+Alt+A is the auto-type key already: choose another key. Windows+A stays.");
        ChooseHotKey(page, HOTKEYF_CONTROL | HOTKEYF_SHIFT, 'K', false, autoTypeKey[0], autoTypeKey[1]);
        EXPECT_EQ(status(IDC_SECURITY_AUTOTYPE_STATUS), "Ctrl+Shift+K types a login into the window in front.");
        EXPECT_EQ(std::make_pair(ConfigDword(kHotKeyValue), ConfigDword(kAutoTypeHotKeyValue)),
                  std::make_pair(DWORD{0x841}, DWORD{0x64B}));  // Windows+A, Ctrl+Shift+K
        EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_SHIFT, 'K') && !HotKeyTaken(MOD_CONTROL | MOD_ALT, 'A'));
        d.CloseBox();
    });
    theApp.m_settings.SaveValue(SettingAutoTypeHotKeyCode, kDefaultAutoTypeHotKey);
    autoType.Enable(TRUE);
}

}  // namespace

#pragma once
// The application object: start-up, the login loop, logging out, and the
// services the windows are handed.
#include <cstdint>
#include <string>

#include "core/settings/settings.h"
#include "core/vault/login_store.h"
#include "framework/framework.h"
#include "ui/app_services.h"
#include "ui/view_dlg.h"
#include "ui/widgets/shell_open.h"

class CLoginDlg;

class CPellucordaApp : public CWinApp, public AppServices {
public:
    CPellucordaApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The services the windows use.
    BOOL IsLoggedIn() const override;
    // While a Login dialog is already up, brings it forward and returns
    // FALSE: the request that is already running answers for both.
    BOOL Login() override;
    void Logout() override;
    LoginStore& Store() override { return m_store; }
    Settings& AppSettings() override { return m_settings; }
    CHotKey& HotKey() override { return m_wndView.m_hotKey; }
    void SetViewAlpha(BYTE alpha) override;
    void SetLogoutTime(BYTE minutes) override;
    BOOL TellInBalloon(const char* title, const std::string& text) override;

    CViewDlg m_wndView{*this};
    LoginStore m_store;
    Settings m_settings;
    BOOL m_bLoggedIn = FALSE;

    // How the Help command opens the help file or page; replaceable for tests.
    ShellOpenFn m_pfnShellOpen = ShellOpen;

    // The folder of a module's path, without a trailing backslash.
    static std::string ModuleFolder(const char* modulePath);
    // Where the Help command looks for the help file: the program's folder.
    static std::string HelpFilePath(const char* modulePath);

protected:
    void OnAppAbout();
    void OnMainHelp();

    // The single-instance rule; FALSE when another copy runs.
    BOOL CheckSingleInstance();
    // Makes the program's folder the current folder.
    static void EnterProgramFolder();

private:
    // The backup after a login; a backup not written, or kept on purpose, is
    // told in a balloon from the tray icon.
    void BackUp();
    // The typed password met a vault just made from nothing: says so, and
    // where the backup (and a vault the program left behind) lies.
    void TellVaultCreated();

    CLoginDlg* m_pActiveLogin = nullptr;
    BOOL m_bBackupKeptTold = FALSE;  // said once a run

    DECLARE_MESSAGE_MAP()
};

extern CPellucordaApp theApp;

// Fixed names of the program.
extern const char kAppTitle[];  // mutex name and the window title searched for
extern const char kSkinFileName[];
extern const char kHelpFileName[];
extern const char kHelpPageAddress[];

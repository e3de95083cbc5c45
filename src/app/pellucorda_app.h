#pragma once
// The application object: start-up, the login loop, logging out, and the
// operations the windows reach through theApp.
#include <cstdint>
#include <string>

#include "core/settings/settings.h"
#include "core/vault/login_store.h"
#include "framework/framework.h"
#include "ui/view_dlg.h"
#include "ui/widgets/shell_open.h"

class CLoginDlg;

class CPellucordaApp : public CWinApp {
public:
    CPellucordaApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    BOOL IsLoggedIn() const;
    // Shows the Login dialog until the vault opens (TRUE) or the user gives
    // up (FALSE). While a Login dialog is already up, brings it forward and
    // returns FALSE: the request that is already running answers for both.
    BOOL Login();
    void Logout();
    void SetViewAlpha(BYTE alpha);
    BYTE GetAlpha() const;
    BYTE GetLogoutTime() const;
    // How long a copied text stays on the clipboard; 0: until replaced.
    std::uint32_t GetClipboardSeconds() const;
    void SetLogoutTime(BYTE minutes);
    // A hotkey chosen in the Config dialog takes the place of the stored one:
    // registered at once and stored. FALSE when the system refuses it (Windows
    // or another program holds it): the previous key is then kept, registered
    // as before. While the hotkey is switched off, it is only stored.
    BOOL ChangeHotKey(std::uint32_t hotKey);
    // The hotkey could not be registered: the user hears it from the tray
    // icon, once for each key in a run, never from a message box.
    void TellHotKeyUnavailable(std::uint32_t hotKey);

    CViewDlg m_wndView;
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
    void TellInBalloon(const char* title, const std::string& text);

    CLoginDlg* m_pActiveLogin = nullptr;
    BOOL m_bBackupKeptTold = FALSE;   // said once a run
    std::uint32_t m_nHotKeyTold = 0;  // the last key told unavailable

    DECLARE_MESSAGE_MAP()
};

extern CPellucordaApp theApp;

// Fixed names of the program.
extern const char kAppTitle[];  // mutex name and the window title searched for
extern const char kSkinFileName[];
extern const char kHelpFileName[];
extern const char kHelpPageAddress[];

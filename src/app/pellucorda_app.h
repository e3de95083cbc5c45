#pragma once
// The application object: start-up, the single-instance rule, the Help and
// About commands. It makes the list window, the store, the settings and the
// session, and hands the windows the session.
#include <cstdint>
#include <string>

#include "core/settings/settings.h"
#include "core/vault/login_store.h"
#include "framework/framework.h"
#include "ui/session.h"
#include "ui/view_dlg.h"
#include "ui/widgets/shell_open.h"

class NotificationArea;

class CPellucordaApp : public CWinApp {
public:
    CPellucordaApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    CViewDlg m_wndView{m_session};
    LoginStore m_store;
    Settings m_settings;
    // What the windows are handed: logging in and out, the store, the settings.
    CSession m_session{m_store, m_settings, m_wndView};

    // Where the main frame's tray icon goes; nullptr: the shell's
    // notification area. Tests record the calls instead.
    void SetNotificationArea(NotificationArea* pArea) { m_pNotificationArea = pArea; }

    // How the Help command opens the help file or page; nullptr: the shell.
    void SetShell(Shell* pShell) { m_pShell = pShell; }

    // Makes the list window, hidden at its place, unless it is there: start-up
    // leaves it until the Login dialog has painted.
    void CreateListWindow();

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
    NotificationArea* m_pNotificationArea = nullptr;
    Shell* m_pShell = nullptr;

    DECLARE_MESSAGE_MAP()
};

extern CPellucordaApp theApp;

// Fixed names of the program.
extern const char kAppTitle[];  // mutex name and the window title searched for
extern const char kSkinFileName[];
extern const char kHelpFileName[];
extern const char kHelpPageAddress[];

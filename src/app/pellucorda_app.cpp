#include "app/pellucorda_app.h"

#include <shellapi.h>

#include "app/main_frame.h"
#include "core/settings/hotkey_name.h"
#include "res/resource.h"
#include "skin/uskin.h"
#include "ui/about_dlg.h"
#include "ui/app_messages.h"
#include "ui/clipboard.h"
#include "ui/login_dlg.h"
#include "ui/vault_message.h"

const char kAppTitle[] = "Pellucorda";
const char kSkinFileName[] = "skin.msstyles";
const char kHelpFileName[] = "Pellucorda.txt";
const char kHelpPageAddress[] = "http://pellucorda.example.org/help.html";

namespace {

constexpr int kViewWidth = 300;
constexpr int kViewHeight = 310;

}  // namespace

CPellucordaApp theApp;

BEGIN_MESSAGE_MAP(CPellucordaApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_MAIN_HELP, OnMainHelp)
END_MESSAGE_MAP()

CPellucordaApp::CPellucordaApp() : CWinApp(kAppTitle) {}

BOOL CPellucordaApp::CheckSingleInstance() {
    // The handle is kept until the process ends: holding the mutex is the rule.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kAppTitle);
    if (mutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) return TRUE;
    if (FindWindowA(nullptr, kAppTitle) != nullptr) {
        AfxMessageBox("The Pellucorda tool is already running!");
    }
    return FALSE;
}

std::string CPellucordaApp::ModuleFolder(const char* modulePath) {
    const std::string path(modulePath);
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void CPellucordaApp::EnterProgramFolder() {
    char modulePath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::string folder = ModuleFolder(modulePath);
    if (folder.empty()) return;
    // A drive root keeps its backslash ("C:\"), or it would name the drive's
    // current folder instead.
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    SetCurrentDirectoryA(folder.c_str());
}

BOOL CPellucordaApp::InitInstance() {
    if (!CheckSingleInstance()) return FALSE;

    // The vault and the settings' default paths are relative to the current
    // folder. A start at Windows logon (the auto-run value) begins in the
    // system folder, where the vault is not and cannot be written; starting
    // from the program's own folder, as a user does, is what they assume.
    EnterProgramFolder();

    USkinEnable(nullptr, nullptr, kSkinFileName);

    char modulePath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    if (length != 0 && length < MAX_PATH) m_settings.SetProgramPath(modulePath);
    m_settings.DetectBrowser();
    m_settings.LoadFromRegistry();

    CMainFrame* frame = new CMainFrame;
    m_pMainWnd = frame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) {
        // The frame has deleted itself. Without it there is no tray icon and
        // no Exit: a program nobody can reach or end must not start.
        m_pMainWnd = nullptr;
        return FALSE;
    }
    frame->ShowWindow(SW_HIDE);
    frame->UpdateWindow();

    m_wndView.Create(IDD_VIEW);

    RECT workArea;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        AfxMessageBox("Initial failed, error code:101!");
        return FALSE;
    }
    // The top edge is the screen's, not the work area's.
    m_wndView.SetWindowPos(&CWnd::wndTopMost, workArea.right - kViewWidth, 0, kViewWidth, kViewHeight, SWP_HIDEWINDOW);
    if (Login()) {
        m_wndView.SetWindowPos(&CWnd::wndTopMost, workArea.right - kViewWidth, 0, kViewWidth, kViewHeight,
                               SWP_SHOWWINDOW);
    }
    return TRUE;
}

int CPellucordaApp::ExitInstance() {
    // A password copied before the exit must not outlive the program.
    ForgetClipboardText(nullptr);
    USkinDisable();
    return CWinApp::ExitInstance();
}

BOOL CPellucordaApp::IsLoggedIn() const { return m_bLoggedIn; }

BOOL CPellucordaApp::Login() {
    if (m_pActiveLogin != nullptr) {
        // A tray click or the hotkey while the Login dialog is up: a nested
        // login would leave the outer one's outcome wrong, so point the user
        // at the dialog that is already waiting.
        if (m_pActiveLogin->GetSafeHwnd() != nullptr) SetForegroundWindow(m_pActiveLogin->GetSafeHwnd());
        return FALSE;
    }
    CLoginDlg dialog;
    m_pActiveLogin = &dialog;
    INT_PTR result = IDOK;
    while (result != IDCANCEL) {
        dialog.ResetPassword();
        result = dialog.DoModal();
        if (result == IDOK) {
            VaultResult why = VaultOk;
            const BOOL opened = m_store.OpenDefault(dialog.m_strPassword.c_str(), &why);
            dialog.ResetPassword();
            ShowVaultMessage(m_store);
            if (opened) {
                m_bLoggedIn = TRUE;
                m_wndView.SendMsg(WM_VIEW_REFILL, 0, 0);
                BackUp();
                m_pActiveLogin = nullptr;
                return TRUE;
            }
            if (why == VaultCreatedNew) TellVaultCreated();
            m_bLoggedIn = FALSE;
        } else if (result != IDCANCEL) {
            // The dialog could not be shown: give up as a cancel would.
            result = IDCANCEL;
        }
    }
    m_pActiveLogin = nullptr;
    m_bLoggedIn = FALSE;
    return FALSE;
}

namespace {

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length != 0 && length < MAX_PATH ? std::string(full) : path;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

void CPellucordaApp::TellVaultCreated() {
    const std::string vault = FullPath(kVaultFileName);
    const std::string backup = FullPath(BackupFilePath(m_settings.GetBackupPath()));
    std::string text = "No vault was found at " + vault +
                       ", so a new one was made with the default master password \"" + kDefaultMasterPassword +
                       "\". The password you typed is not that one.\n\n";
    if (FileExists(backup)) {
        text += "Your logins may be in the backup " + backup + ". To restore it, exit Pellucorda, copy it over " +
                vault + " and start Pellucorda again: it opens with the master password in force when it was written.";
    } else {
        text += "No backup was found at " + backup + " either.";
    }
    // A copy that moved or was started from a new place: the vault it used
    // stayed in the folder it came from.
    const std::string previous = m_settings.GetPreviousSetupPath();
    const std::size_t separator = previous.find_last_of("\\/");
    if (separator != std::string::npos) {
        const std::string earlier = previous.substr(0, separator + 1) + kVaultFileName;
        if (FileExists(earlier) && FullPath(earlier) != vault) {
            text += "\n\nPellucorda was last started from " + previous.substr(0, separator) +
                    ", and a vault is there: " + earlier + ". To use it here, exit Pellucorda and copy it over " +
                    vault + ".";
        }
    }
    AfxMessageBox(text);
}

void CPellucordaApp::BackUp() {
    const std::string folder = m_settings.GetBackupPath().empty() ? FullPath(".") : m_settings.GetBackupPath();
    switch (m_store.BackupTo(m_settings.GetBackupPath())) {
    case BackupResult::Written: break;
    case BackupResult::KeptPrevious:
        if (!m_bBackupKeptTold) {
            m_bBackupKeptTold = TRUE;
            TellInBalloon("Backup kept", "The backup in " + folder +
                                             " was not replaced: this vault was made new and may lack your logins. To "
                                             "restore the backup, exit Pellucorda and copy it over logininfo.dat.");
        }
        break;
    case BackupResult::Failed:
        TellInBalloon("Backup not written", "No backup could be written to " + folder +
                                                "; the previous one is kept. Choose a backup folder under Config, on "
                                                "the Local page (right-click this icon).");
        break;
    }
}

void CPellucordaApp::TellInBalloon(const char* title, const std::string& text) {
    auto* pFrame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    if (pFrame != nullptr) pFrame->m_trayIcon.ShowBalloon(title, text.c_str());
}

void CPellucordaApp::Logout() {
    // No form stays on screen with a secret in it, and nothing typed there
    // is saved: the dialogs end as their Cancel would.
    m_wndView.EndOpenDialogs();
    m_store.Reset();
    m_bLoggedIn = FALSE;
    m_wndView.ShowWindow(SW_HIDE);
    // Nothing of the locked vault stays in the list or on the clipboard.
    m_wndView.ClearAfterLogout();
}

void CPellucordaApp::SetViewAlpha(BYTE alpha) {
    if (alpha < 128) alpha = 128;
    m_settings.SaveValue(SettingAlpha, alpha);
    m_wndView.PostMsg(WM_VIEW_SETALPHA, alpha, 0);
}

BYTE CPellucordaApp::GetAlpha() const { return m_settings.GetAlpha(); }

BYTE CPellucordaApp::GetLogoutTime() const { return m_settings.GetLogoutTime(); }

std::uint32_t CPellucordaApp::GetClipboardSeconds() const { return m_settings.GetClipboardSeconds(); }

void CPellucordaApp::SetLogoutTime(BYTE minutes) {
    m_settings.SetLogoutTime(minutes);
    m_wndView.StartLogoutTimer(minutes);
}

BOOL CPellucordaApp::ChangeHotKey(std::uint32_t hotKey) {
    if (!m_settings.IsHotKeyEnabled()) return m_settings.SaveValue(SettingHotKeyCode, hotKey) ? TRUE : FALSE;
    const std::uint32_t previous = m_settings.GetHotKey();
    if (!m_wndView.RegisterHotKeyFor(hotKey)) {
        m_wndView.RegisterHotKeyFor(previous);
        return FALSE;
    }
    // Stored only once the system has given it: a refused key never becomes
    // the one the next start tries.
    m_settings.SaveValue(SettingHotKeyCode, hotKey);
    return TRUE;
}

void CPellucordaApp::TellHotKeyUnavailable(std::uint32_t hotKey) {
    if (dynamic_cast<CMainFrame*>(m_pMainWnd) == nullptr || hotKey == m_nHotKeyTold) return;
    m_nHotKeyTold = hotKey;
    TellInBalloon("Hotkey unavailable", HotKeyName(hotKey) +
                                            " is used by Windows or another program, so it cannot show Pellucorda. "
                                            "Choose another key under Config, on the Security page (right-click this "
                                            "icon).");
}

void CPellucordaApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal();
}

std::string CPellucordaApp::HelpFilePath(const char* modulePath) {
    const std::string folder = ModuleFolder(modulePath);
    if (!folder.empty() && folder.back() == '\\') return folder + kHelpFileName;
    return folder + "\\" + kHelpFileName;
}

void CPellucordaApp::OnMainHelp() {
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    const std::string path = HelpFilePath(modulePath);
    if (m_pfnShellOpen(path.c_str()) == SE_ERR_FNF) {
        m_pfnShellOpen(kHelpPageAddress);
    }
}

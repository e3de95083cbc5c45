#include "app/pellucorda_app.h"

#include <shellapi.h>

#include "app/main_frame.h"
#include "res/resource.h"
#include "skin/uskin.h"
#include "ui/about_dlg.h"
#include "ui/app_messages.h"
#include "ui/clipboard.h"

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
    frame->m_trayIcon.SetNotificationArea(m_pNotificationArea);
    m_pMainWnd = frame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) {
        // The frame has deleted itself. Without it there is no tray icon and
        // no Exit: a program nobody can reach or end must not start.
        m_pMainWnd = nullptr;
        return FALSE;
    }
    frame->ShowWindow(SW_HIDE);
    frame->UpdateWindow();

    // The frame adds the tray icon and makes the list window once the Login
    // dialog has painted: the user waits for nothing else. Here, unless that
    // dialog never went idle (it could not be shown, or the password came
    // typed ahead), or Exit came while it was up.
    const BOOL loggedIn = m_session.Login();
    if (m_pMainWnd != nullptr) static_cast<CMainFrame*>(m_pMainWnd)->FinishStart();
    CreateListWindow();
    if (m_wndView.GetSafeHwnd() == nullptr) {
        AfxMessageBox("Initial failed, error code:101!");
        return FALSE;
    }
    if (loggedIn) m_wndView.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return TRUE;
}

void CPellucordaApp::CreateListWindow() {
    if (m_wndView.GetSafeHwnd() != nullptr || !m_wndView.Create(IDD_VIEW)) return;
    RECT workArea;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        m_wndView.DestroyWindow();
        return;
    }
    // The top edge is the screen's, not the work area's. The Login dialog may
    // be up: it keeps the activation and the keys typed into it.
    m_wndView.SetWindowPos(&CWnd::wndTopMost, workArea.right - kViewWidth, 0, kViewWidth, kViewHeight,
                           SWP_HIDEWINDOW | SWP_NOACTIVATE);
}

int CPellucordaApp::ExitInstance() {
    // A password copied before the exit must not outlive the program.
    ForgetClipboardText(nullptr);
    USkinDisable();
    return CWinApp::ExitInstance();
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
    Shell& shell = m_pShell != nullptr ? *m_pShell : SystemShell();
    if (shell.Open(path.c_str()) == SE_ERR_FNF) shell.Open(kHelpPageAddress);
}

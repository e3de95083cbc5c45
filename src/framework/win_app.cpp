#include "framework/win_app.h"

#include "framework/thread_state.h"
#include "framework/wnd.h"

namespace {

CWinApp* g_pApp = nullptr;

// Where a program without a name of its own keeps its title: the string
// resource the classic framework reserves for it.
constexpr UINT kAppTitleStringId = 57344;

std::string LoadAppTitle() {
    char title[256] = {};
    if (::LoadStringA(AfxGetResourceHandle(), kAppTitleStringId, title, sizeof title) > 0) return title;
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : 0);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

}  // namespace

CWinApp::CWinApp(const char* lpszAppName)
    : m_hInstance(::GetModuleHandleA(nullptr)),
      m_strAppName(lpszAppName != nullptr ? std::string(lpszAppName) : LoadAppTitle()),
      m_pPreviousApp(g_pApp) {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = m_pPreviousApp;
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr; }

std::string AfxGetAppTitle() { return g_pApp != nullptr ? g_pApp->m_strAppName : LoadAppTitle(); }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nExitCode; }

int CWinApp::Run() {
    for (;;) {
        LONG idleCount = 0;
        MSG peek;
        while (!::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idleCount++)) {
        }
        if (!PumpMessage()) break;
    }
    return ExitInstance();
}

BOOL CWinApp::PumpMessage() {
    MSG msg;
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
        m_nExitCode = static_cast<int>(msg.wParam);
        return FALSE;
    }
    if (got == -1) {
        // The queue itself failed: end rather than spin.
        m_nExitCode = -1;
        return FALSE;
    }
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return TRUE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg)) return TRUE;
        if ((::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) == 0) break;
    }
    return FALSE;
}

BOOL CWinApp::OnIdle(LONG lCount) {
    if (lCount == 0) AfxDeleteTemporaryWnds();
    return FALSE;
}

HICON CWinApp::LoadResourceIcon(UINT nIDResource) const {
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_nCmdShow = nCmdShow;
    AfxEnsureCommonControls();
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd != nullptr) pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}

int AfxMessageBox(const char* lpszText, UINT nType) {
    HWND hWndOwner = ::GetActiveWindow();
    if (hWndOwner == nullptr) {
        CWnd* pMainWnd = AfxGetMainWnd();
        if (pMainWnd != nullptr) hWndOwner = pMainWnd->m_hWnd;
    }
    std::string title = AfxGetAppTitle();
    return ::MessageBoxA(hWndOwner, lpszText, title.c_str(), nType);
}

int AfxMessageBox(const std::string& text, UINT nType) { return AfxMessageBox(text.c_str(), nType); }

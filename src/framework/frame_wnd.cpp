#include "framework/frame_wnd.h"

#include <cstdio>
#include <cstring>

#include "framework/win_app.h"

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

namespace {

// One window class per resource id, so each frame gets its own icon.
bool RegisterFrameClass(UINT nIDResource, char (&className)[64]) {
    std::snprintf(className, sizeof className, "PellucordaFrame:%u", nIDResource);
    HINSTANCE hInstance = AfxGetResourceHandle();
    WNDCLASSA existing = {};
    if (::GetClassInfoA(hInstance, className, &existing)) return true;
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    // Frames are bound and subclassed as they are created; the class's own
    // procedure is their default processing.
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = hInstance;
    wc.hIcon = ::LoadIconA(hInstance, MAKEINTRESOURCEA(nIDResource));
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = className;
    return ::RegisterClassA(&wc) != 0;
}

}  // namespace

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd) {
    char className[64];
    if (!RegisterFrameClass(nIDResource, className)) {
        delete this;
        return FALSE;
    }
    HINSTANCE hInstance = AfxGetResourceHandle();
    char title[256] = {};
    ::LoadStringA(hInstance, nIDResource, title, sizeof title);
    if (char* newline = std::strchr(title, '\n')) *newline = '\0';
    HMENU hMenu = ::LoadMenuA(hInstance, MAKEINTRESOURCEA(nIDResource));
    bool deleted = false;
    m_pbDeleted = &deleted;
    BOOL created = CreateEx(0, className, title, dwDefaultStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, hMenu);
    // A menu that did not end up in a window is ours to free.
    if (!created && hMenu != nullptr && ::IsMenu(hMenu)) ::DestroyMenu(hMenu);
    if (deleted) return FALSE;
    m_pbDeleted = nullptr;
    // A creation refused before the window was bound never reached
    // PostNcDestroy: the object goes all the same, so a failure means the
    // same to every caller.
    if (!created) delete this;
    return created;
}

CFrameWnd::~CFrameWnd() {
    if (m_pbDeleted != nullptr) *m_pbDeleted = true;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra)) return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) { return CWnd::OnCreate(lpCreateStruct); }

void CFrameWnd::OnClose() { DestroyWindow(); }

void CFrameWnd::PostNcDestroy() { delete this; }

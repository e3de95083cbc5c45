#include "framework/wnd.h"

#include <commctrl.h>

#include <vector>

#include "base/secure_wipe.h"
#include "framework/font.h"
#include "framework/thread_state.h"
#include "framework/win_app.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

const CWnd CWnd::wndTopMost(HWND_TOPMOST);

namespace {

LONG_PTR FrameworkProc() { return reinterpret_cast<LONG_PTR>(&AfxWndProc); }

}  // namespace

// ---------------------------------------------------------------------------
// Per-thread state, creation hook, current message

AfxThreadState& AfxGetThreadState() {
    thread_local AfxThreadState* state = nullptr;
    if (state == nullptr) state = new AfxThreadState;
    return *state;
}

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    AfxThreadState& state = AfxGetThreadState();
    if (code == HCBT_CREATEWND && state.pWndInit != nullptr) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        // Only the window asked for: the system may create others on the way
        // (the input-method window comes with a thread's first window).
        bool wanted = IS_INTRESOURCE(state.pendingClass);
        if (!wanted) {
            char className[256] = {};
            ::GetClassNameA(hWnd, className, sizeof className);
            wanted = ::lstrcmpiA(className, state.pendingClass) == 0;
        }
        if (wanted) {
            CWnd* pWnd = state.pWndInit;
            state.pWndInit = nullptr;
            pWnd->m_hWnd = hWnd;
            state.permanentMap[hWnd] = pWnd;
            pWnd->m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, FrameworkProc()));
        }
    }
    return ::CallNextHookEx(state.hCreateHook, code, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* pWnd, const char* lpszClass) {
    AfxThreadState& state = AfxGetThreadState();
    // One hook per thread for the thread's life: modal dialogs run their loop
    // inside the creating call, and windows created there need it too.
    if (state.hCreateHook == nullptr) {
        state.hCreateHook = ::SetWindowsHookExA(WH_CBT, AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
    }
    state.pWndInit = pWnd;
    state.pendingClass = lpszClass;
}

void AfxUnhookWindowCreate() {
    AfxThreadState& state = AfxGetThreadState();
    state.pWndInit = nullptr;
    state.pendingClass = nullptr;
}

MSG* AfxGetCurrentMessage() { return &AfxGetThreadState().currentMessage; }

CCurrentMessageScope::CCurrentMessageScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG& current = AfxGetThreadState().currentMessage;
    m_saved = current;
    current.hwnd = hWnd;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;
    current.time = static_cast<DWORD>(::GetMessageTime());
    DWORD pos = ::GetMessagePos();
    current.pt.x = static_cast<short>(LOWORD(pos));
    current.pt.y = static_cast<short>(HIWORD(pos));
}

CCurrentMessageScope::~CCurrentMessageScope() { AfxGetThreadState().currentMessage = m_saved; }

const MSG* CWnd::GetCurrentMessage() { return AfxGetCurrentMessage(); }

// ---------------------------------------------------------------------------
// Window procedure

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr) return ::DefWindowProcA(hWnd, message, wParam, lParam);
    CCurrentMessageScope scope(hWnd, message, wParam, lParam);
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) pWnd->OnNcDestroyed();
    return result;
}

void CWnd::OnNcDestroyed() {
    // The main window's end is the application's end.
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) {
        pApp->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    Detach();
    PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

// ---------------------------------------------------------------------------
// Objects and handles

CWnd::CWnd() = default;

CWnd::CWnd(HWND hWndSpecial) : m_hWnd(hWndSpecial) {}

CWnd::~CWnd() {
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) pApp->m_pMainWnd = nullptr;
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        HWND hWnd = Detach();
        ::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    AfxThreadState& state = AfxGetThreadState();
    auto it = state.permanentMap.find(hWnd);
    return it == state.permanentMap.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    if (CWnd* pWnd = FromHandlePermanent(hWnd)) return pWnd;
    return AfxTemporaryWnd<CWnd>(hWnd);
}

CWnd* AfxWndFromHandle(HWND hWnd) { return CWnd::FromHandle(hWnd); }

void AfxDeleteTemporaryWnds() {
    AfxThreadState& state = AfxGetThreadState();
    auto temporaries = std::move(state.temporaryMap);
    state.temporaryMap.clear();
    for (auto& entry : temporaries) entry.second->m_hWnd = nullptr;
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWndNew) != nullptr) return FALSE;
    m_hWnd = hWndNew;
    AfxGetThreadState().permanentMap[hWndNew] = this;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr) return nullptr;
    // Put the window's own procedure back unless another hook sits on top of
    // ours (it then keeps calling us; unbound, we pass to DefWindowProc).
    if (m_pfnSuper != nullptr && ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == FrameworkProc()) {
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    AfxGetThreadState().permanentMap.erase(hWnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd)) return FALSE;
    LONG_PTR old = ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, FrameworkProc());
    if (old == 0) {
        Detach();
        return FALSE;
    }
    m_pfnSuper = reinterpret_cast<WNDPROC>(old);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == nullptr || pParent->m_hWnd == nullptr) return FALSE;
    HWND hWndControl = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return hWndControl != nullptr && SubclassWindow(hWndControl);
}

// ---------------------------------------------------------------------------
// Creation and destruction

void AfxEnsureCommonControls() {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    done = ::InitCommonControlsEx(&icc) != FALSE;
}

HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleA(nullptr); }

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd != nullptr || lpszClassName == nullptr) return FALSE;
    AfxEnsureCommonControls();
    AfxHookWindowCreate(this, lpszClassName);
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight, hWndParent,
                                  nIDorHMenu, AfxGetResourceHandle(), lpParam);
    AfxUnhookWindowCreate();
    // On failure after binding the window has been destroyed and the object
    // told so (PostNcDestroy; a frame has deleted itself): touch nothing.
    return AcceptCreated(hWnd);
}

BOOL CWnd::AcceptCreated(HWND hWnd) {
    if (hWnd == nullptr) return FALSE;
    if (FromHandlePermanent(hWnd) != this) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID) {
    if (pParentWnd == nullptr || pParentWnd->m_hWnd == nullptr) return FALSE;
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd->m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CWnd::DestroyWindow() {
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr) return FALSE;
    if (m_pfnSuper != nullptr) {
        // We see WM_NCDESTROY and unbind there; the object may be gone after.
        return ::DestroyWindow(hWnd);
    }
    BOOL result = ::DestroyWindow(hWnd);
    if (FromHandlePermanent(hWnd) == this) Detach();
    return result;
}

// ---------------------------------------------------------------------------
// Wrappers

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter != nullptr ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}

std::string CWnd::GetText() const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int got = ::GetWindowTextA(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    std::string text(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
    // Window texts may be passwords.
    SecureWipe(buffer.data(), buffer.size());
    return text;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

CWnd* CWnd::SetParent(CWnd* pWndNewParent) {
    return FromHandle(::SetParent(m_hWnd, pWndNewParent != nullptr ? pWndNewParent->m_hWnd : nullptr));
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMsg(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    SetFont(pFont != nullptr ? pFont->GetSafeHandle() : nullptr, bRedraw);
}

void CWnd::SetFont(HFONT hFont, BOOL bRedraw) { SendMsg(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw); }

HFONT CWnd::GetFont() const { return reinterpret_cast<HFONT>(SendMsg(WM_GETFONT)); }

LRESULT CWnd::SendMsg(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMsg(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

int CWnd::MsgBox(const char* lpszText, const char* lpszCaption, UINT nType) const {
    std::string title = lpszCaption != nullptr ? std::string(lpszCaption) : AfxGetAppTitle();
    return ::MessageBoxA(m_hWnd, lpszText, title.c_str(), nType);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefaultWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        if (lParam == 0 || !OnNotify(wParam, lParam, &result)) return FALSE;
        *pResult = result;
        return TRUE;
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC &&
        ReflectChildMsg(reinterpret_cast<HWND>(lParam), message, wParam, lParam, &result)) {
        *pResult = result;
        return TRUE;
    }
    AFX_MSGCALL call = {message, wParam, lParam, 0};
    return DispatchEntry(message, 0, 0, call, pResult);
}

BOOL CWnd::ReflectChildMsg(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    CWnd* pChild = FromHandlePermanent(hWndChild);
    if (pChild == nullptr || pChild == this) return FALSE;
    return pChild->OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    UINT key = 0;
    UINT code = 0;
    if (message == WM_NOTIFY) {
        key = WM_REFLECT_BASE + WM_NOTIFY;
        code = reinterpret_cast<NMHDR*>(lParam)->code;
    } else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        key = WM_REFLECT_BASE + WM_CTLCOLOR;
    } else {
        return FALSE;
    }
    AFX_MSGCALL call = {message, wParam, lParam, 0};
    return DispatchEntry(key, code, 0, call, pResult);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (hWndCtrl == nullptr) {
        nCode = CN_COMMAND;  // a menu item or an accelerator
    } else {
        if (AfxGetThreadState().hLockoutNotifyWindow == m_hWnd) return TRUE;
        if (nID == 0) return FALSE;
    }
    return OnCmdMsg(nID, nCode, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (AfxGetThreadState().hLockoutNotifyWindow == m_hWnd) return TRUE;
    if (pNMHDR->hwndFrom != nullptr &&
        ReflectChildMsg(pNMHDR->hwndFrom, WM_NOTIFY, static_cast<WPARAM>(pNMHDR->idFrom), lParam, pResult)) {
        return TRUE;
    }
    AFX_NOTIFY notify = {pResult, pNMHDR};
    return OnCmdMsg(static_cast<UINT>(pNMHDR->idFrom), static_cast<int>(pNMHDR->code), &notify);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::Default() {
    const MSG& current = AfxGetThreadState().currentMessage;
    return DefaultWindowProc(current.message, current.wParam, current.lParam);
}

LRESULT CWnd::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnHotKey(UINT, UINT, UINT) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnLButtonDown(UINT, POINT) { Default(); }
void CWnd::OnLButtonDblClk(UINT, POINT) { Default(); }
LRESULT CWnd::OnNcHitTest(POINT) { return Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }

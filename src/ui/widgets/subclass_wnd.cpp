#include "ui/widgets/subclass_wnd.h"

IMPLEMENT_DYNAMIC(CSubclassWnd, CObject)

namespace {

LONG_PTR HookProcValue() { return reinterpret_cast<LONG_PTR>(&HookWndProc); }

}  // namespace

// ---------------------------------------------------------------------------
// CSubclassWnd

CSubclassWnd::CSubclassWnd() = default;

CSubclassWnd::~CSubclassWnd() {
    if (m_hWndHooked != nullptr) HookWindow(static_cast<HWND>(nullptr));
}

BOOL CSubclassWnd::HookWindow(CWnd* pWnd) { return HookWindow(pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr); }

BOOL CSubclassWnd::HookWindow(HWND hWnd) {
    CSubclassWndMap& map = CSubclassWndMap::GetHookMap();
    if (hWnd == nullptr) {
        if (m_hWndHooked != nullptr) map.Remove(this);
        m_hWndHooked = nullptr;
        m_pOldWndProc = nullptr;
        m_pNext = nullptr;
        return TRUE;
    }
    // A second chain position for one hook would make it see every message
    // twice and leave a dangling link when it is destroyed.
    if (m_hWndHooked != nullptr) return FALSE;
    if (!::IsWindow(hWnd) || ::GetWindowThreadProcessId(hWnd, nullptr) != ::GetCurrentThreadId()) return FALSE;
    if (!map.Add(hWnd, this)) return FALSE;
    m_hWndHooked = hWnd;
    return TRUE;
}

LRESULT CSubclassWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pNext != nullptr) return m_pNext->WindowProc(message, wParam, lParam);
    if (m_pOldWndProc != nullptr) return ::CallWindowProcA(m_pOldWndProc, m_hWndHooked, message, wParam, lParam);
    // No longer in a chain: the window was destroyed, or this hook removed
    // itself, while the message was on its way. There is no one to pass it to.
    return 0;
}

LRESULT CSubclassWnd::Default() {
    const MSG* current = AfxGetCurrentMessage();
    // The base's pass-on, not the override that is calling this.
    return CSubclassWnd::WindowProc(current->message, current->wParam, current->lParam);
}

// ---------------------------------------------------------------------------
// HookWndProc

LRESULT CALLBACK HookWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The framework's default processing and Default() read this record; it
    // is put back afterwards, so it is right again after a nested message.
    CCurrentMessageScope scope(hWnd, message, wParam, lParam);
    CSubclassWndMap& map = CSubclassWndMap::GetHookMap();
    WNDPROC own = map.OwnProc(hWnd);
    if (message == WM_NCDESTROY) {
        // The hooks go first, so none of them outlives the window or sees a
        // handle that is about to be reused.
        map.RemoveAll(hWnd);
        map.Forget(hWnd);  // kept only if someone subclassed it after us
        return own != nullptr ? ::CallWindowProcA(own, hWnd, message, wParam, lParam)
                              : ::DefWindowProcA(hWnd, message, wParam, lParam);
    }
    if (CSubclassWnd* head = map.Lookup(hWnd)) return head->WindowProc(message, wParam, lParam);
    if (own != nullptr) return ::CallWindowProcA(own, hWnd, message, wParam, lParam);
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// CSubclassWndMap

CSubclassWndMap& CSubclassWndMap::GetHookMap() {
    // Never destroyed: hook objects with static storage may unhook after
    // function-local statics are gone at exit. The process's end frees it.
    static CSubclassWndMap* map = new CSubclassWndMap;
    return *map;
}

BOOL CSubclassWndMap::Add(HWND hWnd, CSubclassWnd* pHook) {
    auto it = m_entries.find(hWnd);
    if (it != m_entries.end()) {
        pHook->m_pNext = it->second.pHead;
        pHook->m_pOldWndProc = it->second.pfnOwn;
        it->second.pHead = pHook;
        return TRUE;
    }
    LONG_PTR previous = ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, HookProcValue());
    if (previous == 0) return FALSE;
    pHook->m_pNext = nullptr;
    pHook->m_pOldWndProc = reinterpret_cast<WNDPROC>(previous);
    m_entries[hWnd] = Entry{pHook, pHook->m_pOldWndProc};
    return TRUE;
}

void CSubclassWndMap::Remove(CSubclassWnd* pHook) {
    HWND hWnd = pHook->m_hWndHooked;
    auto it = m_entries.find(hWnd);
    if (it == m_entries.end()) return;
    Entry& entry = it->second;
    if (entry.pHead != pHook) {
        for (CSubclassWnd* p = entry.pHead; p != nullptr; p = p->m_pNext) {
            if (p->m_pNext == pHook) {
                p->m_pNext = pHook->m_pNext;
                break;
            }
        }
        return;
    }
    entry.pHead = pHook->m_pNext;
    if (entry.pHead != nullptr) return;
    // The last hook: the window gets its own procedure back, unless someone
    // subclassed it after us and still calls HookWndProc.
    if (!::IsWindow(hWnd) || ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == HookProcValue()) {
        if (::IsWindow(hWnd)) ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.pfnOwn));
        m_entries.erase(it);
    }
}

void CSubclassWndMap::RemoveAll(HWND hWnd) {
    while (CSubclassWnd* head = Lookup(hWnd)) head->HookWindow(static_cast<HWND>(nullptr));
}

void CSubclassWndMap::Forget(HWND hWnd) { m_entries.erase(hWnd); }

CSubclassWnd* CSubclassWndMap::Lookup(HWND hWnd) const {
    auto it = m_entries.find(hWnd);
    return it == m_entries.end() ? nullptr : it->second.pHead;
}

WNDPROC CSubclassWndMap::OwnProc(HWND hWnd) const {
    auto it = m_entries.find(hWnd);
    return it == m_entries.end() ? nullptr : it->second.pfnOwn;
}

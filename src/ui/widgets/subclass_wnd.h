#pragma once
// CSubclassWnd: lets an object that is not the window see, and pass on, every
// message of someone else's window by chaining itself into that window's
// procedure. Any number of hooks may sit on one window: the newest sees a
// message first, the window's own procedure last.
//
// User-interface thread only: the map of hooks has no lock, so a window is
// hooked only from the thread that owns it.
#include <windows.h>

#include <cstddef>
#include <unordered_map>

#include "framework/framework.h"

class CSubclassWnd : public CObject {
    DECLARE_DYNAMIC(CSubclassWnd)
public:
    CSubclassWnd();
    // Unhooks the window if still hooked.
    ~CSubclassWnd() override;

    // With a window: puts this hook at the head of the window's chain. With
    // none: takes this hook out of its chain, if it is in one. FALSE, and
    // nothing changes, for a hook that is already on a window, for a handle
    // that is no window, or for a window of another thread.
    BOOL HookWindow(HWND hWnd);
    BOOL HookWindow(CWnd* pWnd);
    BOOL HookWindow(std::nullptr_t) { return HookWindow(static_cast<HWND>(nullptr)); }
    BOOL IsHooked() const { return m_hWndHooked != nullptr; }

    // Every message of the hooked window but WM_NCDESTROY. The default passes
    // it on to the next older hook, or to the window's own procedure after the
    // oldest; an override does its work and calls this to let it continue.
    // After this returns the hook may no longer exist (the message may have
    // destroyed the window and its owner): touch no member after it.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Passes the message being processed on, as the default WindowProc does.
    LRESULT Default();

    HWND m_hWndHooked = nullptr;
    // The procedure the window had before its first hook (the same in every
    // hook of one chain).
    WNDPROC m_pOldWndProc = nullptr;
    // The next older hook on the same window.
    CSubclassWnd* m_pNext = nullptr;
};

// The one procedure installed in every hooked window.
LRESULT CALLBACK HookWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Process-wide: each hooked window and the head (newest hook) of its chain.
class CSubclassWndMap {
public:
    static CSubclassWndMap& GetHookMap();

    // Puts pHook at the head of hWnd's chain and installs HookWndProc on the
    // window's first hook. FALSE when the window's procedure cannot be
    // replaced.
    BOOL Add(HWND hWnd, CSubclassWnd* pHook);
    // Takes pHook out of its window's chain; the last one out puts the
    // window's own procedure back.
    void Remove(CSubclassWnd* pHook);
    void RemoveAll(HWND hWnd);
    // The newest hook on hWnd, or null.
    CSubclassWnd* Lookup(HWND hWnd) const;
    // The window's own procedure while HookWndProc is in its chain, or null.
    WNDPROC OwnProc(HWND hWnd) const;

private:
    struct Entry {
        CSubclassWnd* pHead = nullptr;
        WNDPROC pfnOwn = nullptr;
    };

    CSubclassWndMap() = default;
    friend LRESULT CALLBACK HookWndProc(HWND, UINT, WPARAM, LPARAM);
    // Drops what is left of a window that is being destroyed.
    void Forget(HWND hWnd);

    // A window whose hooks are all gone keeps an entry without a head when
    // someone else subclassed it after us: their procedure still calls ours,
    // which must then hand messages to the window's own procedure.
    std::unordered_map<HWND, Entry> m_entries;
};

// USkin.dll: switches the themed look of the calling process on and off
// through the theme properties of the process (uxtheme), then asks every
// existing window of the process to pick up the change.
#include "uskin.h"

#include <uxtheme.h>

namespace {

// A window of another thread of the process that is stuck must not hang the
// caller; a theme refresh is worth at most this long a wait per window.
const UINT kRefreshTimeoutMs = 1000;

void SendThemeChanged(HWND wnd) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(wnd, WM_THEMECHANGED, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kRefreshTimeoutMs, &ignored);
}

BOOL CALLBACK RefreshChild(HWND wnd, LPARAM) {
    SendThemeChanged(wnd);
    return TRUE;
}

// Controls cache their theme handle and only reopen it on WM_THEMECHANGED,
// which the system sends to everyone only when the user changes the theme;
// a change of the process's own properties needs telling each window.
BOOL CALLBACK RefreshTopLevel(HWND wnd, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    if (process != GetCurrentProcessId()) {
        return TRUE;
    }
    EnumChildWindows(wnd, RefreshChild, 0);
    SendThemeChanged(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

void ApplyThemeProperties(DWORD flags) {
    SetThemeAppProperties(flags);
    EnumWindows(RefreshTopLevel, 0);
}

}  // namespace

extern "C" BOOL WINAPI USkinEnable(LPCSTR /*reserved1*/, LPCSTR /*reserved2*/, LPCSTR /*skinFile*/) {
    ApplyThemeProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);
    return IsThemeActive();
}

extern "C" BOOL WINAPI USkinDisable(void) {
    ApplyThemeProperties(0);
    return TRUE;
}

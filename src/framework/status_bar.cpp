#include "framework/status_bar.h"

#include <commctrl.h>

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    // The status window places and sizes itself at its parent's bottom edge.
    RECT rect = {0, 0, 0, 0};
    return CWnd::Create(STATUSCLASSNAMEA, nullptr, dwStyle, rect, pParentWnd, nID);
}

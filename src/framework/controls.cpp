#include "framework/controls.h"

#include "framework/thread_state.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)

namespace {

BOOL CALLBACK WipeEdit(HWND hWnd, LPARAM) {
    char className[8] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    if (::lstrcmpiA(className, "Edit") != 0) return TRUE;
    const int length = ::GetWindowTextLengthA(hWnd);
    if (length > 0) {
        // Text of the same length is copied over the old in the control's
        // buffer; an empty text alone would only move the end.
        const std::string blanks(static_cast<size_t>(length), ' ');
        ::SetWindowTextA(hWnd, blanks.c_str());
    }
    ::SetWindowTextA(hWnd, "");
    return TRUE;
}

}  // namespace

void AfxWipeEditControls(HWND hWndParent) {
    if (hWndParent != nullptr) ::EnumChildWindows(hWndParent, WipeEdit, 0);
}

BOOL CScrollBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("SCROLLBAR", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CScrollBar::SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw) {
    ::SetScrollRange(m_hWnd, SB_CTL, nMinPos, nMaxPos, bRedraw);
}

int CScrollBar::SetScrollPos(int nPos, BOOL bRedraw) { return ::SetScrollPos(m_hWnd, SB_CTL, nPos, bRedraw); }

int CScrollBar::GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }

CScrollBar* AfxScrollBarFromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    if (CScrollBar* pBar = dynamic_cast<CScrollBar*>(CWnd::FromHandlePermanent(hWnd))) return pBar;
    return AfxTemporaryWnd<CScrollBar>(hWnd);
}

#include "framework/controls.h"

#include "framework/thread_state.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)

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

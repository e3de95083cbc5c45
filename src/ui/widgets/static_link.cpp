#include "ui/widgets/static_link.h"

#include <string>

namespace {

// How often the link looks whether the mouse has left it.
constexpr UINT kHoverTimerMs = 100;
// Static styles whose low byte is above this (icons, frames, bitmaps ...)
// are not text: they keep their normal painting.
constexpr DWORD kLastTextStaticType = SS_RIGHT;
constexpr int kResourceTextSize = 1024;

// One hand cursor for every link of the process, looked for once.
HCURSOR g_hCursorLink = nullptr;
bool g_bCursorTried = false;

}  // namespace

IMPLEMENT_DYNAMIC(CStaticLink, CStatic)

const COLORREF CStaticLink::g_colorUnvisited = RGB(0, 0, 255);
const COLORREF CStaticLink::g_colorVisited = RGB(128, 0, 128);
const COLORREF CStaticLink::g_colorOver = RGB(255, 0, 0);

BEGIN_MESSAGE_MAP(CStaticLink, CStatic)
    ON_WM_NCHITTEST()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CStaticLink::CStaticLink(const char* lpszText, BOOL bDeleteOnDestroy, Shell& shell)
    : m_link(lpszText, shell), m_color(g_colorUnvisited), m_bDeleteOnDestroy(bDeleteOnDestroy) {}

CStaticLink::~CStaticLink() = default;

LRESULT CStaticLink::OnNcHitTest(POINT) {
    if (!m_bOver) {
        m_bOver = TRUE;
        m_color = g_colorOver;
        Invalidate(TRUE);
        SetTimer(m_nTimerId, kHoverTimerMs);
    }
    // A static lets clicks through to its parent; a link wants them itself.
    return HTCLIENT;
}

void CStaticLink::OnTimer(UINT_PTR nIDEvent) {
    POINT point = GetCurrentMessage()->pt;
    ScreenToClient(&point);
    RECT client;
    GetClientRect(&client);
    if (!::PtInRect(&client, point)) {
        m_bOver = FALSE;
        KillTimer(m_nTimerId);
        m_color = g_colorUnvisited;
        Invalidate(TRUE);
    }
    CStatic::OnTimer(nIDEvent);
}

HBRUSH CStaticLink::CtlColor(HDC hDC, UINT) {
    if ((GetStyle() & 0xFF) > kLastTextStaticType) return nullptr;
    if (m_font.GetSafeHandle() == nullptr) {
        HFONT hFont = GetFont();
        if (hFont == nullptr) hFont = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
        LOGFONTA logFont = {};
        if (::GetObjectA(hFont, sizeof logFont, &logFont) != 0) m_font.CreateIndirect(&logFont);
    }
    if (m_font.GetSafeHandle() != nullptr) ::SelectObject(hDC, m_font.GetSafeHandle());
    ::SetTextColor(hDC, m_color);
    ::SetBkMode(hDC, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CStaticLink::OnLButtonDown(UINT, POINT) {
    if (m_link.IsEmpty()) {
        char text[kResourceTextSize] = {};
        if (::LoadStringA(AfxGetResourceHandle(), static_cast<UINT>(GetDlgCtrlID()), text, sizeof text) > 0) {
            m_link = text;
        } else {
            m_link = GetText();
        }
    }
    if (m_link.IsEmpty()) return;
    if (m_link.Navigate() > 32) {
        m_color = g_colorVisited;
        Invalidate(TRUE);
        return;
    }
    ::MessageBeep(0);
#ifndef NDEBUG
    std::string trace = "*** WARNING: CStaticLink: unable to navigate link " + m_link.GetLink() + "\n";
    ::OutputDebugStringA(trace.c_str());
#endif
}

BOOL CStaticLink::OnSetCursor(CWnd*, UINT, UINT) {
    if (!g_bCursorTried) {
        g_bCursorTried = true;
        // The system's own hand: shared, so it is never destroyed.
        g_hCursorLink = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
    }
    if (g_hCursorLink == nullptr) return FALSE;
    ::SetCursor(g_hCursorLink);
    return TRUE;
}

void CStaticLink::PostNcDestroy() {
    if (m_bDeleteOnDestroy) delete this;
}

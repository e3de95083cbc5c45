#include "ui/control_layout.h"

namespace {

// Below this height (pixels) text is no longer comfortably readable.
const LONG kSmallestTextHeight = 9;

struct CaptureContext {
    HWND hWndDialog;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CaptureChild(HWND hWnd, LPARAM lParam) {
    CaptureContext* context = reinterpret_cast<CaptureContext*>(lParam);
    // Direct children only: a list view's header moves with its list.
    if (GetParent(hWnd) == context->hWndDialog) context->windows->push_back(hWnd);
    return TRUE;
}

bool IsClass(HWND hWnd, const char* name) {
    char className[16] = {};
    GetClassNameA(hWnd, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

}  // namespace

void CControlLayout::Capture(HWND hWndDialog, const LOGFONTA& textFont, HWND hWndOwnFont) {
    m_hWndDialog = hWndDialog;
    m_hWndOwnFont = hWndOwnFont;
    m_textFont = textFont;
    m_children.clear();
    m_design.cx = m_design.cy = 0;
    RECT client;
    if (!GetClientRect(hWndDialog, &client)) return;
    std::vector<HWND> windows;
    CaptureContext context = {hWndDialog, &windows};
    EnumChildWindows(hWndDialog, CaptureChild, reinterpret_cast<LPARAM>(&context));
    for (HWND hWnd : windows) {
        RECT rect;
        GetWindowRect(hWnd, &rect);
        MapWindowPoints(nullptr, hWndDialog, reinterpret_cast<POINT*>(&rect), 2);
        m_children.push_back(Child{hWnd, rect});
    }
    m_design.cx = client.right;
    m_design.cy = client.bottom;
    FitTextFont();
}

void CControlLayout::SetMinimumHeight(HWND hWnd, int minHeight) {
    m_hWndTall = hWnd;
    m_nMinHeight = minHeight;
}

int CControlLayout::MapY(LONG y, int cy) const {
    const bool tall = m_tall.bottom > m_tall.top;
    if (!tall || y <= m_tall.top) return MulDiv(y, cy, m_design.cy);
    if (y <= m_tall.bottom)
        return m_nTallTop + MulDiv(y - m_tall.top, m_nTallBottom - m_nTallTop, m_tall.bottom - m_tall.top);
    if (m_design.cy <= m_tall.bottom) return m_nTallBottom;
    return m_nTallBottom + MulDiv(y - m_tall.bottom, cy - m_nTallBottom, m_design.cy - m_tall.bottom);
}

void CControlLayout::Fit(int cx, int cy) {
    if (!IsCaptured() || cx <= 0 || cy <= 0) return;
    m_tall = RECT{0, 0, 0, 0};
    for (const Child& child : m_children) {
        if (child.hWnd == m_hWndTall) m_tall = child.rect;
    }
    m_nTallTop = MulDiv(m_tall.top, cy, m_design.cy);
    m_nTallBottom = MulDiv(m_tall.bottom, cy, m_design.cy);
    if (m_nTallBottom - m_nTallTop < m_nMinHeight) {
        m_nTallBottom = m_nTallTop + m_nMinHeight < cy ? m_nTallTop + m_nMinHeight : cy;
    }
    for (const Child& child : m_children) {
        // Both edges are scaled, so neighbours that touched still touch.
        const int left = MulDiv(child.rect.left, cx, m_design.cx);
        const int top = MapY(child.rect.top, cy);
        const int right = MulDiv(child.rect.right, cx, m_design.cx);
        const int bottom = MapY(child.rect.bottom, cy);
        SetWindowPos(child.hWnd, nullptr, left, top, right - left, bottom - top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    FitTextFont();
    InvalidateRect(m_hWndDialog, nullptr, TRUE);
}

bool CControlLayout::TextsFit(HFONT font) const {
    HDC dc = GetDC(m_hWndDialog);
    HGDIOBJ previous = SelectObject(dc, font);
    bool fit = true;
    for (const Child& child : m_children) {
        const bool button = IsClass(child.hWnd, "Button");
        if (child.hWnd == m_hWndOwnFont || (!button && !IsClass(child.hWnd, "Static"))) continue;
        char text[64] = {};
        const int length = GetWindowTextA(child.hWnd, text, sizeof text);
        SIZE extent = {0, 0};
        GetTextExtentPoint32A(dc, text, length, &extent);
        RECT rect;
        GetClientRect(child.hWnd, &rect);
        // A push button draws its text inside a frame and a focus rectangle.
        const int margin = button ? 2 * (GetSystemMetrics(SM_CXEDGE) + 2) : 0;
        if (extent.cx + margin > rect.right || extent.cy > rect.bottom) {
            fit = false;
            break;
        }
    }
    SelectObject(dc, previous);
    ReleaseDC(m_hWndDialog, dc);
    return fit;
}

void CControlLayout::FitTextFont() {
    LOGFONTA font = m_textFont;
    const LONG largest = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    for (LONG height = largest; height > 0; --height) {
        font.lfHeight = -height;
        CFont candidate;
        if (!candidate.CreateIndirect(&font)) return;
        if (height <= kSmallestTextHeight || TextsFit(candidate)) break;
    }
    LOGFONTA current;
    if (m_font.GetLogFont(&current) != 0 && current.lfHeight == font.lfHeight) return;
    CFont chosen;
    if (!chosen.CreateIndirect(&font)) return;
    for (const Child& child : m_children) {
        if (child.hWnd == m_hWndOwnFont) continue;
        SendMessageA(child.hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(chosen.GetSafeHandle()), TRUE);
    }
    // The controls use the new font now: the old one may go.
    m_font.DeleteObject();
    m_font.m_hObject = chosen.m_hObject;
    chosen.m_hObject = nullptr;
}

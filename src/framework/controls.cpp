#include "framework/controls.h"

#include <vector>

#include "framework/thread_state.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

void CEdit::LimitText(int nChars) { SendMsg(EM_LIMITTEXT, static_cast<WPARAM>(nChars)); }

UINT CEdit::GetLimitText() const { return static_cast<UINT>(SendMsg(EM_GETLIMITTEXT)); }

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll) {
    SendMsg(EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
    if (!bNoScroll) SendMsg(EM_SCROLLCARET);
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const {
    DWORD start = 0;
    DWORD end = 0;
    SendMsg(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    nStartChar = static_cast<int>(start);
    nEndChar = static_cast<int>(end);
}

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

int CButton::GetCheck() const { return static_cast<int>(SendMsg(BM_GETCHECK)); }

void CButton::SetCheck(int nCheck) { SendMsg(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }

int CComboBox::AddString(const char* lpszString) {
    return static_cast<int>(SendMsg(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
}

int CComboBox::GetCount() const { return static_cast<int>(SendMsg(CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(SendMsg(CB_GETCURSEL)); }
int CComboBox::SetCurSel(int nSelect) { return static_cast<int>(SendMsg(CB_SETCURSEL, static_cast<WPARAM>(nSelect))); }

std::string CComboBox::GetLBText(int nIndex) const {
    LRESULT length = SendMsg(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex));
    if (length == CB_ERR || length < 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    LRESULT got = SendMsg(CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer.data()));
    if (got == CB_ERR || got < 0) return std::string();
    return std::string(buffer.data(), static_cast<size_t>(got) < buffer.size() ? static_cast<size_t>(got) : 0);
}

void CComboBox::ResetContent() { SendMsg(CB_RESETCONTENT); }

BOOL CScrollBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("SCROLLBAR", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CScrollBar::SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw) {
    ::SetScrollRange(m_hWnd, SB_CTL, nMinPos, nMaxPos, bRedraw);
}

void CScrollBar::GetScrollRange(int* lpMinPos, int* lpMaxPos) const {
    ::GetScrollRange(m_hWnd, SB_CTL, lpMinPos, lpMaxPos);
}

int CScrollBar::SetScrollPos(int nPos, BOOL bRedraw) { return ::SetScrollPos(m_hWnd, SB_CTL, nPos, bRedraw); }

int CScrollBar::GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }

CScrollBar* AfxScrollBarFromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    if (CScrollBar* pBar = dynamic_cast<CScrollBar*>(CWnd::FromHandlePermanent(hWnd))) return pBar;
    return AfxTemporaryWnd<CScrollBar>(hWnd);
}

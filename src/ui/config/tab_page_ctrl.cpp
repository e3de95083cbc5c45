#include "ui/config/tab_page_ctrl.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Pages keep this far from the control's border and from the tab strip.
constexpr int kPageMargin = 4;
// Tab titles are read through a buffer of this many characters.
constexpr int kTitleBufferSize = 1024;

BOOL IsWithin(HWND hWndAncestor, HWND hWnd) {
    return hWndAncestor != nullptr && hWnd != nullptr && (hWnd == hWndAncestor || ::IsChild(hWndAncestor, hWnd));
}

}  // namespace

// ---------------------------------------------------------------------------
// CTabPage

CTabPage::CTabPage() = default;

CTabPage::CTabPage(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd) {}

BOOL CTabPage::OnInitDialog() {
    CDialog::OnInitDialog();
    return TRUE;
}

// A page is part of a larger dialog: only that dialog ends.
void CTabPage::OnOK() {}
void CTabPage::OnCancel() {}

BOOL CTabPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    CDialog::OnCommand(wParam, lParam);
    if (CWnd* pParent = GetParent()) pParent->SendMsg(WM_COMMAND, wParam, lParam);
    return TRUE;
}

BOOL CTabPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    CWnd* pParent = GetParent();
    *pResult = pParent != nullptr ? pParent->SendMsg(WM_NOTIFY, wParam, lParam) : 0;
    return TRUE;
}

// ---------------------------------------------------------------------------
// CTabPageCtrl

BEGIN_MESSAGE_MAP(CTabPageCtrl, CTabCtrl)
    ON_NOTIFY_REFLECT(TCN_SELCHANGING, OnSelChanging)
    ON_NOTIFY_REFLECT(TCN_SELCHANGE, OnSelChange)
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTabPageCtrl::CTabPageCtrl() = default;

CTabPageCtrl::~CTabPageCtrl() {
    // Normally emptied by WM_DESTROY; when the object goes first, the pages it
    // made go with it.
    for (PageEntry& entry : m_pages) {
        if (entry.bOwned) delete entry.pPage;
    }
}

int CTabPageCtrl::AddPage(const char* lpszTitle, int nPageData, CWnd* pPage) {
    return InsertPage(lpszTitle, nPageData, pPage, FALSE);
}

int CTabPageCtrl::AddPage(const char* lpszTitle, int nPageData, WORD nIDTemplate) {
    if (m_hWnd == nullptr) return -1;
    CTabPage* pPage = new (std::nothrow) CTabPage(nIDTemplate, this);
    if (pPage == nullptr) return -1;
    if (!pPage->Create(nIDTemplate, this)) {
        pPage->DestroyWindow();
        delete pPage;
        return -1;
    }
    int nIndex = InsertPage(lpszTitle, nPageData, pPage, TRUE);
    if (nIndex == -1) {
        pPage->DestroyWindow();
        delete pPage;
    }
    return nIndex;
}

int CTabPageCtrl::InsertPage(const char* lpszTitle, int nPageData, CWnd* pPage, BOOL bOwned) {
    if (m_hWnd == nullptr) return -1;
    const int nIndex = GetItemCount();
    if (InsertItem(nIndex, lpszTitle != nullptr ? lpszTitle : "") == -1) return -1;
    // A page without a window could never be shown: refuse it like a missing one.
    if (pPage == nullptr || pPage->GetSafeHwnd() == nullptr) {
        DeleteItem(nIndex);
        return -1;
    }
    // All three arrays grow together: focus messages may arrive while the
    // page is being placed.
    m_pages.push_back(PageEntry{pPage, bOwned});
    m_pageData.push_back(nPageData);
    m_focusWnd.push_back(nullptr);

    pPage->SetParent(this);
    RECT client;
    GetClientRect(&client);
    if (client.right > 0 && client.bottom > 0) ResizePage(nIndex, client.right, client.bottom);

    HWND hWndFocus = nullptr;
    if (OnPageAdded(nIndex, nPageData)) {
        // The first control the user can tab to: a group box or a label at
        // the top of the page would hold the focus where no key does
        // anything. Without one, the first child; without any, the page.
        hWndFocus = ::GetNextDlgTabItem(pPage->GetSafeHwnd(), nullptr, FALSE);
        if (hWndFocus == nullptr || hWndFocus == pPage->GetSafeHwnd()) {
            hWndFocus = ::GetWindow(pPage->GetSafeHwnd(), GW_CHILD);
        }
        if (hWndFocus == nullptr) hWndFocus = pPage->GetSafeHwnd();
    } else {
        hWndFocus = ::GetFocus();
    }
    m_focusWnd[static_cast<size_t>(nIndex)] = hWndFocus;

    if (nIndex == 0) {
        if (GetCurSel() != 0) SetCurSel(0);
        pPage->ShowWindow(SW_SHOW);
    }
    return nIndex;
}

BOOL CTabPageCtrl::IsValidIndex(int nIndex) const {
    return nIndex >= 0 && nIndex < GetPageCount() && static_cast<size_t>(nIndex) < m_pages.size();
}

HWND CTabPageCtrl::PageHwnd(int nIndex) const {
    if (!IsValidIndex(nIndex) || m_pages[static_cast<size_t>(nIndex)].pPage == nullptr) return nullptr;
    return m_pages[static_cast<size_t>(nIndex)].pPage->GetSafeHwnd();
}

BOOL CTabPageCtrl::RemovePage(int nIndex) {
    if (!IsValidIndex(nIndex)) return FALSE;
    const size_t i = static_cast<size_t>(nIndex);
    OnPageRemoving(nIndex, m_pageData[i]);
    if (GetPageCount() > 1 && nIndex == GetSelectedPage()) {
        SelectPage(nIndex == GetPageCount() - 1 ? nIndex - 1 : nIndex + 1);
    }
    PageEntry entry = m_pages[i];
    DeleteItem(nIndex);
    // The arrays follow the tabs before the page goes: destroying it may move
    // the focus, and the focus handlers look the current tab up in them.
    m_pages.erase(m_pages.begin() + static_cast<std::ptrdiff_t>(i));
    m_focusWnd.erase(m_focusWnd.begin() + static_cast<std::ptrdiff_t>(i));
    m_pageData.erase(m_pageData.begin() + static_cast<std::ptrdiff_t>(i));
    ReleasePage(entry);
    Invalidate();
    return TRUE;
}

void CTabPageCtrl::ReleasePage(PageEntry& entry) {
    if (entry.pPage == nullptr) return;
    if (entry.pPage->GetSafeHwnd() != nullptr) entry.pPage->DestroyWindow();
    if (entry.bOwned) delete entry.pPage;
    entry.pPage = nullptr;
}

BOOL CTabPageCtrl::SelectPage(int nIndex) {
    if (!IsValidIndex(nIndex)) return FALSE;
    const int nCurrent = GetSelectedPage();
    if (nIndex == nCurrent) return TRUE;
    if (PageHwnd(nCurrent) != nullptr) {
        RememberFocus(nCurrent, ::GetFocus());
        HidePage(nCurrent);
    }
    SetCurSel(nIndex);
    ShowPage(nIndex);
    return TRUE;
}

int CTabPageCtrl::GetSelectedPage() const { return GetCurSel(); }

CWnd* CTabPageCtrl::GetPage(int nIndex) const {
    return IsValidIndex(nIndex) ? m_pages[static_cast<size_t>(nIndex)].pPage : nullptr;
}

int CTabPageCtrl::GetPageCount() const { return m_hWnd != nullptr ? GetItemCount() : 0; }

BOOL CTabPageCtrl::GetPageTitle(int nIndex, std::string& strTitle) const {
    if (!IsValidIndex(nIndex)) return FALSE;
    std::vector<char> buffer(kTitleBufferSize, '\0');
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = buffer.data();
    item.cchTextMax = kTitleBufferSize;
    if (!GetItem(nIndex, &item)) return FALSE;
    // The control may answer with a text of its own instead of filling ours.
    const char* text = item.pszText != nullptr ? item.pszText : "";
    strTitle.assign(text, ::strnlen(text, kTitleBufferSize));
    return TRUE;
}

BOOL CTabPageCtrl::SetPageTitle(int nIndex, const char* lpszTitle) {
    if (!IsValidIndex(nIndex)) return FALSE;
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(lpszTitle != nullptr ? lpszTitle : "");
    if (!SetItem(nIndex, &item)) return FALSE;
    Invalidate();
    return TRUE;
}

int CTabPageCtrl::GetPageData(int nIndex) const {
    return IsValidIndex(nIndex) ? m_pageData[static_cast<size_t>(nIndex)] : -1;
}

int CTabPageCtrl::SetPageData(int nIndex, int nPageData) {
    if (!IsValidIndex(nIndex)) return -1;
    int nPrevious = m_pageData[static_cast<size_t>(nIndex)];
    m_pageData[static_cast<size_t>(nIndex)] = nPageData;
    return nPrevious;
}

int CTabPageCtrl::FindPage(int nPageData) const {
    for (size_t i = 0; i < m_pageData.size(); ++i) {
        if (m_pageData[i] == nPageData) return static_cast<int>(i);
    }
    return -1;
}

void CTabPageCtrl::ResizePage(int nIndex, int cx, int cy) {
    HWND hWndPage = PageHwnd(nIndex);
    if (hWndPage == nullptr) return;
    RECT button = {};
    GetItemRect(nIndex, &button);
    const DWORD dwStyle = GetStyle();
    const int nRows = GetRowCount();
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    if (dwStyle & TCS_VERTICAL) {
        const int strip = (button.right - button.left) * nRows;
        x = (dwStyle & TCS_RIGHT) ? kPageMargin : strip + kPageMargin;
        y = kPageMargin;
        width = cx - strip - 2 * kPageMargin;
        height = cy - 2 * kPageMargin;
    } else {
        const int strip = (button.bottom - button.top) * nRows;
        x = kPageMargin;
        y = (dwStyle & TCS_BOTTOM) ? kPageMargin : strip + kPageMargin;
        width = cx - 2 * kPageMargin;
        height = cy - strip - 2 * kPageMargin;
    }
    ::SetWindowPos(hWndPage, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTabPageCtrl::ResizeToClient(int nIndex) {
    RECT client;
    GetClientRect(&client);
    ResizePage(nIndex, client.right, client.bottom);
}

void CTabPageCtrl::HidePage(int nIndex) {
    if (HWND hWndPage = PageHwnd(nIndex)) ::ShowWindow(hWndPage, SW_HIDE);
}

void CTabPageCtrl::ShowPage(int nIndex) {
    HWND hWndPage = PageHwnd(nIndex);
    if (hWndPage == nullptr) return;
    if (HWND hWndFocus = FocusTarget(nIndex)) ::SetFocus(hWndFocus);
    ResizeToClient(nIndex);
    ::ShowWindow(hWndPage, SW_SHOW);
}

void CTabPageCtrl::RememberFocus(int nIndex, HWND hWndFocus) {
    // Only a window of the page itself: the focus may just have gone to a
    // message box or to another program.
    if (IsWithin(PageHwnd(nIndex), hWndFocus)) m_focusWnd[static_cast<size_t>(nIndex)] = hWndFocus;
}

HWND CTabPageCtrl::FocusTarget(int nIndex) const {
    HWND hWndFocus = m_focusWnd[static_cast<size_t>(nIndex)];
    // A remembered window may have been destroyed since.
    return ::IsWindow(hWndFocus) ? hWndFocus : nullptr;
}

BOOL CTabPageCtrl::OnPageAdded(int, int) { return TRUE; }
void CTabPageCtrl::OnPageActivated(int, int) {}
void CTabPageCtrl::OnPageDeactivating(int, int) {}
void CTabPageCtrl::OnPageRemoving(int, int) {}

BOOL CTabPageCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd* pParent = GetParent()) pParent->SendMsg(WM_COMMAND, wParam, lParam);
    return TRUE;
}

BOOL CTabPageCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    CWnd* pParent = GetParent();
    *pResult = pParent != nullptr ? pParent->SendMsg(WM_NOTIFY, wParam, lParam) : 0;
    return TRUE;
}

void CTabPageCtrl::OnSelChanging(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    const int nCurrent = GetSelectedPage();
    if (!IsValidIndex(nCurrent)) return;
    OnPageDeactivating(nCurrent, m_pageData[static_cast<size_t>(nCurrent)]);
    if (PageHwnd(nCurrent) != nullptr) {
        RememberFocus(nCurrent, ::GetFocus());
        HidePage(nCurrent);
    }
}

void CTabPageCtrl::OnSelChange(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    const int nCurrent = GetSelectedPage();
    if (!IsValidIndex(nCurrent)) return;
    ShowPage(nCurrent);
    OnPageActivated(nCurrent, m_pageData[static_cast<size_t>(nCurrent)]);
}

void CTabPageCtrl::OnSetFocus(CWnd* pOldWnd) {
    CTabCtrl::OnSetFocus(pOldWnd);
    const int nCurrent = GetSelectedPage();
    HWND hWndPage = PageHwnd(nCurrent);
    if (hWndPage == nullptr) return;
    // A click on the strip takes the focus before the tab changes: when it
    // comes from inside the current page, that is where the user left it.
    RememberFocus(nCurrent, pOldWnd != nullptr ? pOldWnd->GetSafeHwnd() : nullptr);
    // A hidden page (its tab is being left) keeps no focus.
    if ((::GetWindowLongA(hWndPage, GWL_STYLE) & WS_VISIBLE) == 0) return;
    if (HWND hWndFocus = FocusTarget(nCurrent)) ::SetFocus(hWndFocus);
}

void CTabPageCtrl::OnKillFocus(CWnd* pNewWnd) {
    CTabCtrl::OnKillFocus(pNewWnd);
    const int nCurrent = GetSelectedPage();
    if (!IsValidIndex(nCurrent)) return;
    RememberFocus(nCurrent, ::GetFocus());
}

void CTabPageCtrl::OnDestroy() {
    for (int nIndex = static_cast<int>(m_pages.size()) - 1; nIndex >= 0; --nIndex) {
        OnPageRemoving(nIndex, m_pageData[static_cast<size_t>(nIndex)]);
        ReleasePage(m_pages[static_cast<size_t>(nIndex)]);
    }
    m_pages.clear();
    m_focusWnd.clear();
    m_pageData.clear();
    CTabCtrl::OnDestroy();
}

#pragma once
// A tab control that hosts child dialogs as its pages: each tab has one page
// window, and choosing a tab hides the old page and shows, sizes and focuses
// the new one. Each page remembers which of its windows had the keyboard
// focus, so coming back to a tab puts the focus where the user left it.
#include <string>
#include <vector>

#include "framework/framework.h"

// The base of the pages: a child dialog that never ends itself and passes its
// commands and notifications on to its parent, so that Enter or Escape in a
// page reach the dialog holding the tab control.
class CTabPage : public CDialog {
public:
    CTabPage();
    explicit CTabPage(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;
    void OnCancel() override;
    // The page's own map first, then the same WM_COMMAND to the parent.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Every WM_NOTIFY goes to the parent; its answer is the page's.
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CTabPageCtrl : public CTabCtrl {
public:
    CTabPageCtrl();
    ~CTabPageCtrl() override;

    // A page the caller created (a child window of any kind); the caller keeps
    // the object. The new index, or -1.
    int AddPage(const char* lpszTitle, int nPageData, CWnd* pPage);
    // A CTabPage made here from dialog template nIDTemplate; the control
    // deletes it. The new index, or -1.
    int AddPage(const char* lpszTitle, int nPageData, WORD nIDTemplate);
    // Destroys the page's window (and the object when the control made it).
    // FALSE for a bad index.
    BOOL RemovePage(int nIndex);
    // A change made by the program: the overridables are not called. TRUE
    // also when nIndex is already selected; FALSE for a bad index.
    BOOL SelectPage(int nIndex);
    int GetSelectedPage() const;  // -1 when no tab is selected
    CWnd* GetPage(int nIndex) const;
    int GetPageCount() const;
    BOOL GetPageTitle(int nIndex, std::string& strTitle) const;
    BOOL SetPageTitle(int nIndex, const char* lpszTitle);
    int GetPageData(int nIndex) const;           // -1 for a bad index
    int SetPageData(int nIndex, int nPageData);  // the previous value, or -1
    int FindPage(int nPageData) const;           // the first tab with it, or -1
    // Places page nIndex in a client area of cx by cy pixels: 4 pixels inside
    // the border, clear of the tab strip, wherever the tabs are.
    void ResizePage(int nIndex, int cx, int cy);

protected:
    // The page's first child takes the focus when the page is first shown
    // (TRUE), or the window that has the focus now (FALSE).
    virtual BOOL OnPageAdded(int nIndex, int nPageData);
    // After the user's tab change has shown the page.
    virtual void OnPageActivated(int nIndex, int nPageData);
    // The user starts a tab change; the page is still shown.
    virtual void OnPageDeactivating(int nIndex, int nPageData);
    // Before a page is removed, or destroyed with the control.
    virtual void OnPageRemoving(int nIndex, int nPageData);

    // Commands and notifications from the pages are their parent's business.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    void OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChange(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    void OnDestroy();

    struct PageEntry {
        CWnd* pPage;  // may be null
        BOOL bOwned;  // the control made the object and deletes it
    };
    std::vector<PageEntry> m_pages;
    std::vector<HWND> m_focusWnd;
    std::vector<int> m_pageData;

private:
    int InsertPage(const char* lpszTitle, int nPageData, CWnd* pPage, BOOL bOwned);
    BOOL IsValidIndex(int nIndex) const;
    HWND PageHwnd(int nIndex) const;
    // Destroys the page's window and deletes an owned object.
    void ReleasePage(PageEntry& entry);
    void ResizeToClient(int nIndex);
    void HidePage(int nIndex);
    void ShowPage(int nIndex);
    // Keeps hWndFocus as page nIndex's focus window when it lies in the page.
    void RememberFocus(int nIndex, HWND hWndFocus);
    // Where the focus should go in page nIndex; null when nowhere of its own.
    HWND FocusTarget(int nIndex) const;

    DECLARE_MESSAGE_MAP()
};

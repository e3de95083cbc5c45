// The tab page control in a dialog of its own: which page shows, where it is
// placed for each tab placement, where the focus goes, what removal selects
// and destroys, and how the pages' commands reach the dialog. Tab changes by
// the user are real clicks on the tab strip.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/framework.h"
#include "res/resource.h"
#include "support/heap_checks.h"
#include "support/tab_click.h"
#include "ui/config/tab_page_ctrl.h"

namespace {

// Records the overridables as "name index value".
class RecordingTabCtrl : public CTabPageCtrl {
public:
    std::vector<std::string> calls;
    BOOL bFocusFirstChild = TRUE;

protected:
    BOOL OnPageAdded(int nIndex, int nPageData) override {
        Record("added", nIndex, nPageData);
        return bFocusFirstChild;
    }
    void OnPageActivated(int nIndex, int nPageData) override { Record("activated", nIndex, nPageData); }
    void OnPageDeactivating(int nIndex, int nPageData) override { Record("deactivating", nIndex, nPageData); }
    void OnPageRemoving(int nIndex, int nPageData) override { Record("removing", nIndex, nPageData); }

private:
    void Record(const char* name, int nIndex, int nPageData) {
        calls.push_back(std::string(name) + " " + std::to_string(nIndex) + " " + std::to_string(nPageData));
    }
};

// A caller's page that tells when its object ends.
class ProbePage : public CTabPage {
public:
    explicit ProbePage(bool* pDeleted = nullptr) : CTabPage(IDD_PATHPAGE), m_pDeleted(pDeleted) {}
    ~ProbePage() override {
        if (m_pDeleted != nullptr) *m_pDeleted = true;
    }

private:
    bool* m_pDeleted;
};

// The dialog holding the control: it keeps what reaches it from the pages.
class HostDlg : public CDialog {
public:
    HostDlg() : CDialog(IDD_CONFIG) {}
    int nWebChanges = 0;
    int nCancels = 0;
    UINT nNotifyCode = 0;

protected:
    void OnChangeWeb() { ++nWebChanges; }
    void OnCancel() override {
        ++nCancels;
        CDialog::OnCancel();
    }
    void OnPageNotify(NMHDR* pNMHDR, LRESULT* pResult) {
        nNotifyCode = pNMHDR->code;
        *pResult = 42;
    }
    DECLARE_MESSAGE_MAP()
};

constexpr UINT kProbeNotifyCode = 0x7001;

BEGIN_MESSAGE_MAP(HostDlg, CDialog)
    ON_EN_CHANGE(IDC_PATH_WEB, OnChangeWeb)
    ON_NOTIFY(kProbeNotifyCode, IDC_PATH_WEB, OnPageNotify)
END_MESSAGE_MAP()

RECT RectIn(HWND hWnd, HWND hWndReference) {
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    ::MapWindowPoints(nullptr, hWndReference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ClientOf(HWND hWnd) {
    RECT rect;
    ::GetClientRect(hWnd, &rect);
    return rect;
}

bool Shows(CWnd* pPage) { return pPage != nullptr && pPage->IsWindowVisible(); }

class TabPageCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(IDD_CONFIG));
        host.ShowWindow(SW_SHOW);
        ASSERT_TRUE(tabs.SubclassDlgItem(IDC_CONFIG_TAB, &host));
    }
    void TearDown() override {
        if (host.GetSafeHwnd() != nullptr) host.DestroyWindow();
    }

    // A caller's page, created in the host as the Config dialog does.
    void AddCallerPage(CTabPage& page, const char* title, int value, UINT nIDTemplate = IDD_PATHPAGE) {
        ASSERT_TRUE(page.Create(nIDTemplate, &host));
        const int expected = tabs.GetPageCount();
        ASSERT_EQ(tabs.AddPage(title, value, &page), expected);
    }

    // A tab control of the given placement in the host, as large as the
    // template's own.
    void MakeTabs(RecordingTabCtrl& ctrl, DWORD dwStyle) {
        RECT rect = RectIn(tabs.GetSafeHwnd(), host.GetSafeHwnd());
        ASSERT_TRUE(ctrl.Create(WC_TABCONTROLA, "", WS_VISIBLE | dwStyle, rect, &host, 9100));
        ctrl.SendMsg(WM_SETFONT, reinterpret_cast<WPARAM>(host.GetFont()), FALSE);
    }

    HostDlg host;
    RecordingTabCtrl tabs;
};

TEST_F(TabPageCtrlTest, FirstPageShowsAndAChosenPageFillsTheAreaBelowTheStrip) {
    CTabPage first(IDD_PATHPAGE);
    CTabPage second(IDD_CONTROLPAGE);
    AddCallerPage(first, "Option", 10);
    AddCallerPage(second, "Local", 20);
    EXPECT_EQ(tabs.GetPageCount(), 2);
    EXPECT_EQ(tabs.GetSelectedPage(), 0);
    EXPECT_TRUE(Shows(&first));
    EXPECT_FALSE(Shows(&second));
    EXPECT_EQ(first.GetParent(), &tabs) << "pages live in the tab control";
    std::string title;
    ASSERT_TRUE(tabs.GetPageTitle(1, title));
    EXPECT_EQ(title, "Local");
    tabs.calls.clear();

    ClickTab(tabs, 1);
    EXPECT_EQ(tabs.GetSelectedPage(), 1);
    EXPECT_FALSE(Shows(&first));
    EXPECT_TRUE(Shows(&second));
    const RECT client = ClientOf(tabs.GetSafeHwnd());
    const RECT page = RectIn(second.GetSafeHwnd(), tabs.GetSafeHwnd());
    RECT item;
    tabs.GetItemRect(1, &item);
    EXPECT_EQ(page.left, 4);
    EXPECT_EQ(page.right, client.right - 4);
    EXPECT_EQ(page.bottom, client.bottom - 4);
    EXPECT_EQ(page.top, (item.bottom - item.top) * tabs.GetRowCount() + 4);
    EXPECT_GE(page.top, item.bottom) << "the page leaves the tabs uncovered";
    EXPECT_EQ(tabs.calls, (std::vector<std::string>{"deactivating 0 10", "activated 1 20"}));

    // A change made by the program tells no overridable.
    tabs.calls.clear();
    EXPECT_TRUE(tabs.SelectPage(0));
    EXPECT_TRUE(tabs.SelectPage(0)) << "selecting the current page is no failure";
    EXPECT_TRUE(Shows(&first));
    EXPECT_FALSE(Shows(&second));
    EXPECT_TRUE(tabs.calls.empty());
}

TEST_F(TabPageCtrlTest, PagesKeepClearOfTheStripWhereverTheTabsAre) {
    struct Placement {
        const char* name;
        DWORD dwStyle;
    };
    const Placement placements[] = {
        {"bottom", TCS_BOTTOM},
        {"left", TCS_VERTICAL | TCS_MULTILINE},
        {"right", TCS_VERTICAL | TCS_MULTILINE | TCS_RIGHT},
    };
    for (const Placement& placement : placements) {
        SCOPED_TRACE(placement.name);
        RecordingTabCtrl ctrl;
        MakeTabs(ctrl, placement.dwStyle);
        CTabPage first(IDD_PATHPAGE);
        CTabPage second(IDD_PATHPAGE);
        ASSERT_TRUE(first.Create(IDD_PATHPAGE, &host));
        ASSERT_TRUE(second.Create(IDD_PATHPAGE, &host));
        ASSERT_EQ(ctrl.AddPage("One", 1, &first), 0);
        ASSERT_EQ(ctrl.AddPage("Two", 2, &second), 1);
        ClickTab(ctrl, 1);
        ASSERT_TRUE(Shows(&second));

        const RECT client = ClientOf(ctrl.GetSafeHwnd());
        const RECT page = RectIn(second.GetSafeHwnd(), ctrl.GetSafeHwnd());
        RECT item;
        ctrl.GetItemRect(1, &item);
        const int rows = ctrl.GetRowCount();
        if (placement.dwStyle & TCS_VERTICAL) {
            const int strip = (item.right - item.left) * rows;
            EXPECT_EQ(page.top, 4);
            EXPECT_EQ(page.bottom, client.bottom - 4);
            if (placement.dwStyle & TCS_RIGHT) {
                EXPECT_EQ(page.left, 4);
                EXPECT_EQ(page.right, client.right - strip - 4);
                EXPECT_LE(page.right, item.left);
            } else {
                EXPECT_EQ(page.left, strip + 4);
                EXPECT_EQ(page.right, client.right - 4);
                EXPECT_GE(page.left, item.right);
            }
        } else {
            const int strip = (item.bottom - item.top) * rows;
            EXPECT_EQ(page.left, 4);
            EXPECT_EQ(page.right, client.right - 4);
            EXPECT_EQ(page.top, 4);
            EXPECT_EQ(page.bottom, client.bottom - strip - 4);
            EXPECT_LE(page.bottom, item.top);
        }
        ctrl.DestroyWindow();
    }
}

TEST_F(TabPageCtrlTest, FocusReturnsToTheControlWhereTheUserLeftThePage) {
    CTabPage first(IDD_PATHPAGE);
    CTabPage second(IDD_PATHPAGE);
    AddCallerPage(first, "One", 1);
    AddCallerPage(second, "Two", 2);
    HWND telnet = ::GetDlgItem(first.GetSafeHwnd(), IDC_PATH_TELNET);
    HWND backup = ::GetDlgItem(second.GetSafeHwnd(), IDC_PATH_BACKUP);

    ::SetFocus(telnet);
    ClickTab(tabs, 1);
    EXPECT_TRUE(::IsChild(second.GetSafeHwnd(), ::GetFocus())) << "the new page takes the focus";
    ::SetFocus(backup);
    ClickTab(tabs, 0);
    EXPECT_EQ(::GetFocus(), telnet);
    ClickTab(tabs, 1);
    EXPECT_EQ(::GetFocus(), backup);

    // The same through the program's own changes, and through the strip
    // itself passing the focus on.
    EXPECT_TRUE(tabs.SelectPage(0));
    EXPECT_EQ(::GetFocus(), telnet);
    ::SetFocus(tabs.GetSafeHwnd());
    EXPECT_EQ(::GetFocus(), telnet);
}

TEST_F(TabPageCtrlTest, TheFirstTabStopOrTheFocusAtThatMomentIsAPagesFirstFocus) {
    CTabPage first(IDD_PATHPAGE);
    CTabPage second(IDD_PATHPAGE);
    AddCallerPage(first, "One", 1);
    AddCallerPage(second, "Two", 2);
    tabs.SelectPage(1);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(second.GetSafeHwnd(), IDC_PATH_WEB))
        << "the first control Tab reaches, not the group box above it";

    // A control that answers FALSE keeps the focus of the moment (here put
    // in the new page) instead of its own choice.
    tabs.bFocusFirstChild = FALSE;
    CTabPage third(IDD_PATHPAGE);
    ASSERT_TRUE(third.Create(IDD_PATHPAGE, &host));
    HWND web = ::GetDlgItem(third.GetSafeHwnd(), IDC_PATH_WEB);
    ::SetFocus(web);
    ASSERT_EQ(::GetFocus(), web);
    ASSERT_EQ(tabs.AddPage("Three", 3, &third), 2);
    ::SetFocus(::GetDlgItem(second.GetSafeHwnd(), IDC_PATH_FTP));
    tabs.SelectPage(2);
    EXPECT_EQ(::GetFocus(), web);
}

TEST_F(TabPageCtrlTest, RemovingTheCurrentTabSelectsANeighbourAndBadIndexesAreRefused) {
    CTabPage pages[3] = {CTabPage(IDD_PATHPAGE), CTabPage(IDD_PATHPAGE), CTabPage(IDD_PATHPAGE)};
    AddCallerPage(pages[0], "A", 100);
    AddCallerPage(pages[1], "B", 101);
    AddCallerPage(pages[2], "C", 102);

    tabs.SelectPage(2);
    tabs.calls.clear();
    ASSERT_TRUE(tabs.RemovePage(2));
    EXPECT_EQ(tabs.calls, (std::vector<std::string>{"removing 2 102"}));
    EXPECT_EQ(tabs.GetPageCount(), 2);
    EXPECT_EQ(tabs.GetSelectedPage(), 1) << "the last tab goes to the one before";
    EXPECT_TRUE(Shows(&pages[1]));

    tabs.SelectPage(0);
    ASSERT_TRUE(tabs.RemovePage(0));
    EXPECT_EQ(tabs.GetPageCount(), 1);
    EXPECT_EQ(tabs.GetSelectedPage(), 0);
    EXPECT_EQ(tabs.GetPage(0), &pages[1]) << "the first tab goes to the next";
    EXPECT_EQ(tabs.GetPageData(0), 101) << "the values move with their tabs";
    EXPECT_TRUE(Shows(&pages[1]));

    std::string title = "unchanged";
    for (int bad : {1, 5}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(tabs.RemovePage(bad));
        EXPECT_FALSE(tabs.SelectPage(bad));
        EXPECT_EQ(tabs.GetPage(bad), nullptr);
        EXPECT_EQ(tabs.GetPageData(bad), -1);
        EXPECT_EQ(tabs.SetPageData(bad, 7), -1);
        EXPECT_FALSE(tabs.GetPageTitle(bad, title));
        EXPECT_FALSE(tabs.SetPageTitle(bad, "x"));
    }
    EXPECT_EQ(title, "unchanged");
    EXPECT_EQ(tabs.GetPageCount(), 1);

    ASSERT_TRUE(tabs.RemovePage(0));
    EXPECT_EQ(tabs.GetPageCount(), 0);
    EXPECT_EQ(tabs.GetSelectedPage(), -1);
}

TEST_F(TabPageCtrlTest, TheControlDeletesOnlyThePagesItMade) {
    bool callerPageDeleted = false;
    ProbePage* callerPage = new ProbePage(&callerPageDeleted);
    AddCallerPage(*callerPage, "Caller", 1);
    ASSERT_EQ(tabs.AddPage("Made", 2, static_cast<WORD>(IDD_CONTROLPAGE)), 1);
    CTabPage* madePage = dynamic_cast<CTabPage*>(tabs.GetPage(1));
    ASSERT_NE(madePage, nullptr);
    EXPECT_EQ(madePage->GetTemplateId(), static_cast<UINT>(IDD_CONTROLPAGE));
    EXPECT_EQ(madePage->GetParent(), &tabs);
    EXPECT_FALSE(Shows(madePage));
    HWND callerWindow = callerPage->GetSafeHwnd();
    HWND madeWindow = madePage->GetSafeHwnd();

    {
        DeletionWatch watch(madePage);
        ASSERT_TRUE(tabs.RemovePage(1));
        EXPECT_TRUE(watch.Deleted()) << "a page made from a template goes with its tab";
    }
    EXPECT_FALSE(::IsWindow(madeWindow));

    ASSERT_TRUE(tabs.RemovePage(0));
    EXPECT_FALSE(::IsWindow(callerWindow));
    EXPECT_FALSE(callerPageDeleted) << "the caller's page object stays the caller's";
    EXPECT_EQ(callerPage->GetSafeHwnd(), nullptr);

    // The caller may show the same object again, and the control's end
    // respects ownership the same way, last tab first.
    AddCallerPage(*callerPage, "Again", 3);
    ASSERT_EQ(tabs.AddPage("Made again", 4, static_cast<WORD>(IDD_PATHPAGE)), 1);
    DeletionWatch watch(tabs.GetPage(1));
    tabs.calls.clear();
    host.DestroyWindow();
    EXPECT_EQ(tabs.calls, (std::vector<std::string>{"removing 1 4", "removing 0 3"}));
    EXPECT_TRUE(watch.Deleted());
    EXPECT_FALSE(callerPageDeleted);
    EXPECT_EQ(callerPage->GetSafeHwnd(), nullptr);
    delete callerPage;
    EXPECT_TRUE(callerPageDeleted);

    // A template that does not exist makes no tab.
    HostDlg other;
    RecordingTabCtrl otherTabs;
    ASSERT_TRUE(other.Create(IDD_CONFIG));
    ASSERT_TRUE(otherTabs.SubclassDlgItem(IDC_CONFIG_TAB, &other));
    EXPECT_EQ(otherTabs.AddPage("Missing", 5, static_cast<WORD>(9999)), -1);
    EXPECT_EQ(otherTabs.AddPage("None", 6, static_cast<CWnd*>(nullptr)), -1);
    EXPECT_EQ(otherTabs.GetPageCount(), 0);
    other.DestroyWindow();
}

TEST_F(TabPageCtrlTest, FindPageGivesTheLowerOfTwoTabsWithAValue) {
    CTabPage pages[3] = {CTabPage(IDD_PATHPAGE), CTabPage(IDD_PATHPAGE), CTabPage(IDD_PATHPAGE)};
    AddCallerPage(pages[0], "A", 5);
    AddCallerPage(pages[1], "B", 7);
    AddCallerPage(pages[2], "C", 7);
    EXPECT_EQ(tabs.FindPage(7), 1) << "the lower of two tabs with that value";
    EXPECT_EQ(tabs.FindPage(8), -1);
    EXPECT_EQ(tabs.SetPageData(1, 8), 7);
    EXPECT_EQ(tabs.FindPage(7), 2);
    EXPECT_EQ(tabs.FindPage(8), 1);
}

TEST_F(TabPageCtrlTest, CommandsAndNotificationsOfAPageReachTheDialog) {
    CTabPage page(IDD_PATHPAGE);
    AddCallerPage(page, "Paths", 1);
    HWND web = ::GetDlgItem(page.GetSafeHwnd(), IDC_PATH_WEB);

    ::SendMessageA(web, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
    EXPECT_EQ(host.nWebChanges, 1);

    NMHDR header = {web, IDC_PATH_WEB, kProbeNotifyCode};
    EXPECT_EQ(page.SendMsg(WM_NOTIFY, IDC_PATH_WEB, reinterpret_cast<LPARAM>(&header)), 42)
        << "the dialog's answer is the page's";
    EXPECT_EQ(host.nNotifyCode, kProbeNotifyCode);

    // Escape in a page: the page stays, the dialog ends.
    page.SendMsg(WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(host.nCancels, 1);
    EXPECT_TRUE(::IsWindow(page.GetSafeHwnd()));
    EXPECT_FALSE(host.IsWindowVisible());
}

}  // namespace

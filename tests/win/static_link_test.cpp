// Hyperlink statics on the About dialog's template: their colours as the
// dialog paints them, the hover timer against the real cursor position, what
// a click opens, and the About dialog's own two links. The shell is replaced,
// so no browser starts.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/pellucorda_app.h"
#include "framework/framework.h"
#include "res/resource.h"
#include "support/dialog_driver.h"
#include "support/message_pump.h"
#include "ui/about_dlg.h"
#include "ui/widgets/static_link.h"

namespace {

std::vector<std::string> g_opened;
INT_PTR g_shellResult = 42;

class RecordingShell : public Shell {
public:
    INT_PTR Open(const char* lpszTarget) override {
        g_opened.push_back(lpszTarget);
        return g_shellResult;
    }
};
RecordingShell g_shell;

// The text colour a link gets when its dialog paints it.
COLORREF PaintedColour(HWND hWndLink) {
    HDC hDC = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(hDC, RGB(0, 128, 0));
    ::SendMessageA(::GetParent(hWndLink), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                   reinterpret_cast<LPARAM>(hWndLink));
    COLORREF colour = ::GetTextColor(hDC);
    ::DeleteDC(hDC);
    return colour;
}

POINT CentreOnScreen(HWND hWnd) {
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The mouse arriving over a window: the system asks it where the point is.
LRESULT HitTest(HWND hWnd, POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    return ::SendMessageA(hWnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
}

void Click(HWND hWnd) { ::SendMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); }

// Counts the timer messages that reach one window.
HWND g_hWndTicks = nullptr;
int g_nTicks = 0;
LRESULT CALLBACK TickCounter(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_TIMER && msg->hwnd == g_hWndTicks) ++g_nTicks;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class ProbeLink : public CStaticLink {
public:
    ProbeLink(const char* lpszText, BOOL bDeleteOnDestroy, bool* pDeleted)
        : CStaticLink(lpszText, bDeleteOnDestroy, g_shell), m_pDeleted(pDeleted) {}
    ~ProbeLink() override { *m_pDeleted = true; }

private:
    bool* m_pDeleted;
};

class StaticLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_opened.clear();
        g_shellResult = 42;
        ASSERT_TRUE(host.Create(IDD_ABOUTBOX));
        host.SetWindowPos(nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    void TearDown() override {
        if (host.GetSafeHwnd() != nullptr) host.DestroyWindow();
    }

    HWND Control(int id) { return ::GetDlgItem(host.GetSafeHwnd(), id); }

    CDialog host;
};

TEST_F(StaticLinkTest, RedWhileTheMouseIsOverAndBlueOnceATimerTickFindsItGone) {
    CStaticLink link("http://example.org/", FALSE, g_shell);
    ASSERT_TRUE(link.SubclassDlgItem(IDC_ABOUT_HOME, &host));
    HWND hWnd = link.GetSafeHwnd();
    EXPECT_EQ(PaintedColour(hWnd), RGB(0, 0, 255));

    EXPECT_EQ(HitTest(hWnd, CentreOnScreen(hWnd)), HTCLIENT) << "the link takes the clicks itself";
    EXPECT_EQ(PaintedColour(hWnd), RGB(255, 0, 0));

    // Ticks with the mouse still over it change nothing.
    g_hWndTicks = hWnd;
    g_nTicks = 0;
    HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, TickCounter, nullptr, ::GetCurrentThreadId());
    EXPECT_TRUE(PumpUntil(
        theApp, [] { return g_nTicks >= 2; }, 5000));
    EXPECT_EQ(PaintedColour(hWnd), RGB(255, 0, 0));

    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    ::SetCursorPos(rect.right + 40, rect.bottom + 40);
    const int ticksBefore = g_nTicks;
    EXPECT_TRUE(PumpUntil(
        theApp, [&] { return PaintedColour(hWnd) == RGB(0, 0, 255); }, 5000));
    EXPECT_EQ(g_nTicks, ticksBefore + 1) << "one tick is enough";
    ::UnhookWindowsHookEx(hook);
    EXPECT_FALSE(::KillTimer(hWnd, 1)) << "the hover timer has stopped";
}

TEST_F(StaticLinkTest, AClickOpensTheTargetAndOnlyASuccessShowsItVisited) {
    CStaticLink link("http://example.org/", FALSE, g_shell);
    ASSERT_TRUE(link.SubclassDlgItem(IDC_ABOUT_HOME, &host));
    HWND hWnd = link.GetSafeHwnd();
    HitTest(hWnd, CentreOnScreen(hWnd));

    g_shellResult = SE_ERR_NOASSOC;
    Click(hWnd);
    EXPECT_EQ(g_opened, std::vector<std::string>{"http://example.org/"});
    EXPECT_EQ(PaintedColour(hWnd), RGB(255, 0, 0)) << "a refused link keeps its colour";

    g_shellResult = 33;
    Click(hWnd);
    EXPECT_EQ(g_opened.size(), 2u);
    EXPECT_EQ(PaintedColour(hWnd), RGB(128, 0, 128));

    // Visited lasts until the mouse has gone.
    ::SetCursorPos(0, 0);
    EXPECT_TRUE(PumpUntil(
        theApp, [&] { return PaintedColour(hWnd) == RGB(0, 0, 255); }, 5000));
}

TEST_F(StaticLinkTest, AnEmptyTargetIsTheStringOfTheControlsIdElseItsOwnText) {
    CStaticLink home(nullptr, FALSE, g_shell);
    CStaticLink im(nullptr, FALSE, g_shell);
    ASSERT_TRUE(home.SubclassDlgItem(IDC_ABOUT_HOME, &host));
    ASSERT_TRUE(im.SubclassDlgItem(IDC_ABOUT_IM, &host));
    Click(home.GetSafeHwnd());
    Click(im.GetSafeHwnd());
    EXPECT_EQ(g_opened, (std::vector<std::string>{"http://pellucorda.example.org/", "pellucorda@im.example.org"}));
    EXPECT_EQ(home.m_link.GetLink(), "http://pellucorda.example.org/") << "found once, kept";

    // Nothing to open: nothing happens.
    CStaticLink empty(nullptr, FALSE, g_shell);
    ASSERT_TRUE(empty.SubclassDlgItem(IDC_ABOUT_HOME_LABEL, &host));
    ::SetWindowTextA(empty.GetSafeHwnd(), "");
    Click(empty.GetSafeHwnd());
    EXPECT_EQ(g_opened.size(), 2u);
}

TEST_F(StaticLinkTest, HandCursorTextOnlyColoursAndDeletionOnDestroy) {
    CStaticLink link("x", FALSE, g_shell);
    ASSERT_TRUE(link.SubclassDlgItem(IDC_ABOUT_HOME, &host));
    EXPECT_TRUE(
        link.SendMsg(WM_SETCURSOR, reinterpret_cast<WPARAM>(link.GetSafeHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));

    // The icon keeps the dialog's own painting.
    CStaticLink icon("x", FALSE, g_shell);
    HWND hWndIcon = ::GetDlgItem(host.GetSafeHwnd(), IDC_STATIC);
    ASSERT_NE(hWndIcon, nullptr);
    ASSERT_EQ(::GetWindowLongA(hWndIcon, GWL_STYLE) & 0xFF, SS_ICON);
    ASSERT_TRUE(icon.SubclassWindow(hWndIcon));
    HitTest(hWndIcon, CentreOnScreen(hWndIcon));
    EXPECT_NE(PaintedColour(hWndIcon), RGB(255, 0, 0));

    bool deleted = false;
    ProbeLink* owned = new ProbeLink("y", TRUE, &deleted);
    ASSERT_TRUE(owned->SubclassDlgItem(IDC_ABOUT_MAIL, &host));
    bool kept = false;
    ProbeLink member("z", FALSE, &kept);
    ASSERT_TRUE(member.SubclassDlgItem(IDC_ABOUT_IM, &host));
    host.DestroyWindow();
    EXPECT_TRUE(deleted) << "a link made to delete itself goes with its window";
    EXPECT_FALSE(kept);
}

TEST(AboutDialog, ItsTwoLinksOpenTheHomepageAndTheMailAddress) {
    g_opened.clear();
    g_shellResult = 42;
    COLORREF homeAfterClick = 0;
    std::string imClass;
    DialogDriver driver;
    driver.ExpectDialog(IDD_ABOUTBOX, [&](DialogContext& d) {
        CWnd* home = CWnd::FromHandlePermanent(d.Item(IDC_ABOUT_HOME));
        CWnd* mail = CWnd::FromHandlePermanent(d.Item(IDC_ABOUT_MAIL));
        ASSERT_NE(home, nullptr);
        ASSERT_NE(mail, nullptr);
        EXPECT_EQ(home->GetRuntimeClass(), RUNTIME_CLASS(CStaticLink));
        EXPECT_EQ(mail->GetRuntimeClass(), RUNTIME_CLASS(CStaticLink));
        EXPECT_EQ(CWnd::FromHandlePermanent(d.Item(IDC_ABOUT_IM)), nullptr) << "the messaging address is plain text";
        EXPECT_EQ(d.Text(IDC_ABOUT_MAIL), "support@pellucorda.example.org");
        Click(d.Item(IDC_ABOUT_HOME));
        Click(d.Item(IDC_ABOUT_MAIL));
        homeAfterClick = PaintedColour(d.Item(IDC_ABOUT_HOME));
        d.PressKey(VK_ESCAPE);
    });
    CAboutDlg about(g_shell);
    EXPECT_EQ(about.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(g_opened,
              (std::vector<std::string>{"http://pellucorda.example.org/", "mailto:support@pellucorda.example.org"}));
    EXPECT_EQ(homeAfterClick, RGB(128, 0, 128));
}

}  // namespace

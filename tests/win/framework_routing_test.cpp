// Command routing from the frame to the application object, and reflection of
// control notifications to the controls' own objects.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/framework.h"
#include "framework_test_res.h"
#include "support/tab_click.h"

namespace {

std::vector<std::string> g_calls;

class RoutingApp : public CWinApp {
public:
    RoutingApp() : CWinApp("Framework Tests") {}

protected:
    void OnAppOnly() { g_calls.push_back("app only"); }
    void OnAppBoth() { g_calls.push_back("app both"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RoutingApp, CWinApp)
    ON_COMMAND(ID_FW_APP_ONLY, OnAppOnly)
    ON_COMMAND(ID_FW_BOTH, OnAppBoth)
END_MESSAGE_MAP()

class RoutingFrame : public CFrameWnd {
protected:
    void OnFrameOnly() { g_calls.push_back("frame only"); }
    void OnFrameBoth() { g_calls.push_back("frame both"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RoutingFrame, CFrameWnd)
    ON_COMMAND(ID_FW_FRAME_ONLY, OnFrameOnly)
    ON_COMMAND(ID_FW_BOTH, OnFrameBoth)
END_MESSAGE_MAP()

TEST(CommandRouting, FrameFirstThenApplicationThenDefaultProcessing) {
    g_calls.clear();
    RoutingApp app;
    RoutingFrame* frame = new RoutingFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_FW_FRAME));

    // Menu commands arrive with no control handle; accelerators with code 1.
    frame->SendMsg(WM_COMMAND, MAKEWPARAM(ID_FW_FRAME_ONLY, 0), 0);
    frame->SendMsg(WM_COMMAND, MAKEWPARAM(ID_FW_APP_ONLY, 0), 0);
    frame->SendMsg(WM_COMMAND, MAKEWPARAM(ID_FW_BOTH, 0), 0);
    frame->SendMsg(WM_COMMAND, MAKEWPARAM(ID_FW_APP_ONLY, 1), 0);
    EXPECT_EQ(frame->SendMsg(WM_COMMAND, MAKEWPARAM(ID_FW_NOBODY, 0), 0), 0);
    EXPECT_FALSE(frame->OnCmdMsg(ID_FW_NOBODY, CN_COMMAND, nullptr));

    EXPECT_EQ(g_calls, (std::vector<std::string>{"frame only", "app only", "frame both", "app only"}));
    frame->DestroyWindow();  // deletes the frame
}

// A static that paints itself on its parent's colour request.
class SelfColouredStatic : public CStatic {
public:
    HBRUSH brush = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    bool declines = false;
    int requests = 0;
    UINT lastCtlColor = 99;

protected:
    HBRUSH CtlColor(HDC, UINT nCtlColor) {
        ++requests;
        lastCtlColor = nCtlColor;
        return declines ? nullptr : brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfColouredStatic, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

// A tab control that handles its own selection change.
class SelfTabs : public CTabCtrl {
public:
    int selChanges = 0;
    LRESULT answer = 0;

protected:
    void OnSelChange(NMHDR*, LRESULT* pResult) {
        ++selChanges;
        *pResult = answer;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfTabs, CTabCtrl)
    ON_NOTIFY_REFLECT(TCN_SELCHANGE, OnSelChange)
END_MESSAGE_MAP()

class ReflectDlg : public CDialog {
public:
    ReflectDlg() : CDialog(IDD_FW_REFLECT) {}

    SelfColouredStatic m_link;
    SelfTabs m_tabs;
    int parentCtlColors = 0;
    int parentSelChanging = 0;
    int parentSelChange = 0;
    bool vetoChanging = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_FW_LINK, m_link);
        DDX_Control(pDX, IDC_FW_TABS, m_tabs);
    }
    LRESULT OnParentCtlColor(WPARAM, LPARAM) {
        ++parentCtlColors;
        return reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH));
    }
    void OnSelChanging(NMHDR*, LRESULT* pResult) {
        ++parentSelChanging;
        *pResult = vetoChanging ? TRUE : FALSE;
    }
    void OnSelChange(NMHDR*, LRESULT*) { ++parentSelChange; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectDlg, CDialog)
    ON_MESSAGE(WM_CTLCOLORSTATIC, OnParentCtlColor)
    ON_NOTIFY(TCN_SELCHANGING, IDC_FW_TABS, OnSelChanging)
    ON_NOTIFY(TCN_SELCHANGE, IDC_FW_TABS, OnSelChange)
END_MESSAGE_MAP()

class Reflection : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create(IDD_FW_REFLECT)); }
    void TearDown() override { dlg.DestroyWindow(); }

    CWinApp app{"Framework Tests"};
    ReflectDlg dlg;
};

TEST_F(Reflection, ControlAnsweringItsParentsColourRequestKeepsItFromTheParent) {
    HDC hdc = ::GetDC(dlg.m_link.m_hWnd);
    LRESULT brush =
        dlg.SendMsg(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(dlg.m_link.m_hWnd));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(dlg.m_link.brush));
    EXPECT_EQ(dlg.m_link.requests, 1);
    EXPECT_EQ(dlg.m_link.lastCtlColor, static_cast<UINT>(CTLCOLOR_STATIC));
    EXPECT_EQ(dlg.parentCtlColors, 0);

    // A control bound to no object, and a control that answers no brush:
    // the parent's own handler.
    LRESULT gray = reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH));
    EXPECT_EQ(dlg.SendMsg(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                          reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_FW_PLAIN))),
              gray);
    dlg.m_link.declines = true;
    EXPECT_EQ(
        dlg.SendMsg(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(dlg.m_link.m_hWnd)),
        gray);
    EXPECT_EQ(dlg.m_link.requests, 2);
    EXPECT_EQ(dlg.parentCtlColors, 2);
    ::ReleaseDC(dlg.m_link.m_hWnd, hdc);
}

TEST_F(Reflection, TabControlHandlesItsOwnSelectionChangeAndTheParentGetsTheRest) {
    ASSERT_EQ(dlg.m_tabs.InsertItem(0, "One"), 0);
    ASSERT_EQ(dlg.m_tabs.InsertItem(1, "Two"), 1);
    ASSERT_EQ(dlg.m_tabs.GetCurSel(), 0);

    ClickTab(dlg.m_tabs, 1);
    EXPECT_EQ(dlg.m_tabs.GetCurSel(), 1);
    EXPECT_EQ(dlg.m_tabs.selChanges, 1);
    EXPECT_EQ(dlg.parentSelChange, 0);
    EXPECT_EQ(dlg.parentSelChanging, 1);  // not reflected: the parent's ON_NOTIFY

    // The parent's answer reaches the control: a veto keeps the selection.
    dlg.vetoChanging = true;
    ClickTab(dlg.m_tabs, 0);
    EXPECT_EQ(dlg.m_tabs.GetCurSel(), 1);
    EXPECT_EQ(dlg.parentSelChanging, 2);
    EXPECT_EQ(dlg.m_tabs.selChanges, 1);

    // And the control's own answer is the message's result.
    dlg.m_tabs.answer = 5;
    NMHDR header = {dlg.m_tabs.m_hWnd, IDC_FW_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    EXPECT_EQ(dlg.SendMsg(WM_NOTIFY, IDC_FW_TABS, reinterpret_cast<LPARAM>(&header)), 5);
    EXPECT_EQ(dlg.parentSelChange, 0);
}

}  // namespace

// The application object's start and end, the frame window, and message
// boxes captioned with the application title.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/framework.h"
#include "framework_test_res.h"
#include "res/resource.h"
#include "support/dialog_driver.h"
#include "support/message_pump.h"

namespace {

const char kTitle[] = "Framework Tests";

int g_framesDeleted = 0;
std::vector<std::string> g_events;

class TestFrame : public CFrameWnd {
public:
    bool failCreate = false;
    CStatusBar m_wndStatusBar;
    CWnd m_wndPane;
    ~TestFrame() override { ++g_framesDeleted; }

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct) {
        if (CFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
        g_events.push_back("create");
        if (failCreate) return -1;
        RECT rect = {0, 0, 100, 100};
        if (!m_wndStatusBar.Create(this) || !m_wndPane.Create("STATIC", nullptr, WS_VISIBLE, rect, this, 1)) return -1;
        return 0;
    }
    void OnDestroy() {
        g_events.push_back("destroy");
        CFrameWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

std::string ClassOf(HWND hWnd) {
    char name[64] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

TEST(Frame, LoadFrameTakesTitleMenuAndStyleAndRunsTheOnCreateChain) {
    CWinApp app(kTitle);
    g_events.clear();
    TestFrame* frame = new TestFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_FW_FRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    EXPECT_EQ(g_events, std::vector<std::string>{"create"});
    EXPECT_EQ(frame->GetText(), "Framework Test Frame");  // no document to add
    EXPECT_EQ(frame->GetStyle() & WS_OVERLAPPEDWINDOW, static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
    EXPECT_FALSE(frame->IsWindowVisible());
    HMENU menu = ::GetMenu(frame->m_hWnd);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(::GetMenuItemCount(::GetSubMenu(menu, 0)), 4);
    EXPECT_EQ(ClassOf(frame->m_wndStatusBar.m_hWnd), "msctls_statusbar32");
    EXPECT_EQ(::GetParent(frame->m_wndStatusBar.m_hWnd), frame->m_hWnd);
    EXPECT_EQ(::GetParent(frame->m_wndPane.m_hWnd), frame->m_hWnd);

    // Close: the frame destroys itself, then deletes itself.
    g_framesDeleted = 0;
    frame->SendMsg(WM_CLOSE);
    EXPECT_EQ(g_framesDeleted, 1);
    EXPECT_EQ(g_events, (std::vector<std::string>{"create", "destroy"}));
    EXPECT_FALSE(TakeQuitMessage());  // it was not the main window
}

TEST(Frame, FailedOnCreateLeavesNoWindowAndTheFrameDeletedAndForgotten) {
    CWinApp app(kTitle);
    g_framesDeleted = 0;
    TestFrame* frame = new TestFrame;
    frame->failCreate = true;
    app.m_pMainWnd = frame;
    EXPECT_FALSE(frame->LoadFrame(IDR_FW_FRAME));
    EXPECT_EQ(g_framesDeleted, 1);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(TakeQuitMessage());  // the main window's end
}

// A creation the system refuses before the window exists (here: a parent
// that is no window) never reaches the frame's end of life; LoadFrame deletes
// it all the same, so a failure means one thing to every caller.
TEST(Frame, FailedCreationBeforeTheWindowExistsDeletesTheFrameToo) {
    CWinApp app(kTitle);
    g_framesDeleted = 0;
    g_events.clear();
    HWND gone = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    CWnd parent;
    ASSERT_TRUE(parent.Attach(gone));  // a handle that no longer names a window
    TestFrame* frame = new TestFrame;
    EXPECT_FALSE(frame->LoadFrame(IDR_FW_FRAME, WS_OVERLAPPEDWINDOW, &parent));
    EXPECT_EQ(g_framesDeleted, 1);
    EXPECT_TRUE(g_events.empty()) << "no window, no OnCreate";
    parent.Detach();
}

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp(kTitle) {}
    bool initResult = true;
    bool closeFrame = true;
    int quitCode = -1;
    int exitCalls = 0;
    int exitOffset = 0;

    BOOL InitInstance() override {
        g_events.push_back("init");
        TestFrame* frame = new TestFrame;
        m_pMainWnd = frame;
        frame->LoadFrame(IDR_FW_FRAME);
        if (quitCode >= 0) ::PostQuitMessage(quitCode);
        if (closeFrame) frame->PostMsg(WM_CLOSE);
        return initResult;
    }
    int ExitInstance() override {
        ++exitCalls;
        g_events.push_back(m_pMainWnd == nullptr ? "exit without main window" : "exit with main window");
        return CWinApp::ExitInstance() + exitOffset;
    }
};

TEST(Application, ClosingTheMainFrameEndsTheLoopAndExitInstanceGivesTheCode) {
    g_events.clear();
    g_framesDeleted = 0;
    TestApp app;
    EXPECT_EQ(AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_HIDE), 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init", "create", "destroy", "exit without main window"}));
    EXPECT_EQ(g_framesDeleted, 1);
    EXPECT_EQ(app.exitCalls, 1);
    EXPECT_FALSE(TakeQuitMessage());

    // A WM_QUIT's code is the base ExitInstance's result.
    TestApp quitting;
    quitting.closeFrame = false;
    quitting.quitCode = 5;
    EXPECT_EQ(AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_HIDE), 5);
    ASSERT_NE(quitting.m_pMainWnd, nullptr);
    quitting.m_pMainWnd->DestroyWindow();
    EXPECT_TRUE(TakeQuitMessage());
}

TEST(Application, FailedInitInstanceDestroysTheMainWindowAndEndsWithExitInstance) {
    g_events.clear();
    g_framesDeleted = 0;
    TestApp app;
    app.initResult = false;
    app.closeFrame = false;
    app.exitOffset = 3;
    EXPECT_EQ(AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_HIDE), 3);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init", "create", "destroy", "exit without main window"}));
    EXPECT_EQ(g_framesDeleted, 1);
    EXPECT_EQ(app.exitCalls, 1);
    EXPECT_TRUE(TakeQuitMessage());
}

TEST(Application, TitleIsNamedOrFromTheStringTableOrTheProgramsName) {
    // The program's own application object may already exist.
    CWinApp* const outer = AfxGetApp();
    {
        CWinApp named(kTitle);
        EXPECT_EQ(AfxGetApp(), &named);
        EXPECT_EQ(AfxGetAppTitle(), kTitle);
        {
            CWinApp inner("Inner");
            EXPECT_EQ(AfxGetApp(), &inner);
        }
        EXPECT_EQ(AfxGetApp(), &named);
    }
    EXPECT_EQ(AfxGetApp(), outer);

    char fromStrings[256] = {};
    bool hasString = ::LoadStringA(::GetModuleHandleA(nullptr), AFX_IDS_APP_TITLE, fromStrings, sizeof fromStrings) > 0;
    CWinApp unnamed;
    EXPECT_EQ(unnamed.m_strAppName, hasString ? std::string(fromStrings) : std::string("win_tests"));
}

TEST(Application, MessageBoxesAreCaptionedWithTheTitle) {
    CWinApp app(kTitle);
    CDialog owner;
    ASSERT_TRUE(owner.Create(IDD_FW_MODELESS));
    owner.ShowWindow(SW_SHOW);

    struct Seen {
        std::string text, caption;
        HWND owner;
    };
    std::vector<Seen> seen;
    auto record = [&seen](DialogContext& box) {
        seen.push_back({box.MessageText(), box.Title(), ::GetWindow(box.Hwnd(), GW_OWNER)});
        box.Click(IDOK);
    };
    DialogDriver driver;
    driver.ExpectMessageBox(record).ExpectMessageBox(record).ExpectMessageBox(record);
    EXPECT_EQ(AfxMessageBox("plain"), IDOK);
    EXPECT_EQ(owner.MsgBox("owned"), IDOK);
    EXPECT_EQ(owner.MsgBox("captioned", "Other"), IDOK);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text, "plain");
    EXPECT_EQ(seen[0].caption, kTitle);
    EXPECT_EQ(seen[0].owner, owner.m_hWnd);  // the active window
    EXPECT_EQ(seen[1].text, "owned");
    EXPECT_EQ(seen[1].caption, kTitle);
    EXPECT_EQ(seen[1].owner, owner.m_hWnd);
    EXPECT_EQ(seen[2].caption, "Other");
    owner.DestroyWindow();
}

}  // namespace

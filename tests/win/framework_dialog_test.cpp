// Modal and modeless dialogs: how each way of closing ends them, who owns
// them, keyboard handling of modeless dialogs through the application's loop,
// and the test driver's own guarantees.
#include <windows.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/framework.h"
#include "framework_test_res.h"
#include "support/dialog_driver.h"
#include "support/message_pump.h"

namespace {

class SimpleDlg : public CDialog {
public:
    explicit SimpleDlg(CWnd* pParent = nullptr) : CDialog(IDD_FW_SIMPLE, pParent) {}
    std::string m_strText;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_FW_SIMPLE_EDIT, m_strText); }
};

struct ClosingWay {
    const char* name;
    std::function<void(DialogContext&)> close;
    INT_PTR result;
    const char* text;  // the member afterwards
};

TEST(ModalDialog, EndsWithTheResultOfTheWayItWasClosed) {
    CWinApp app("Framework Tests");
    const ClosingWay ways[] = {
        {"OK button", [](DialogContext& d) { d.Click(IDOK); }, IDOK, "changed"},
        {"Enter", [](DialogContext& d) { d.PressKey(VK_RETURN); }, IDOK, "changed"},
        {"Cancel button", [](DialogContext& d) { d.Click(IDCANCEL); }, IDCANCEL, "initial"},
        {"Escape", [](DialogContext& d) { d.PressKey(VK_ESCAPE); }, IDCANCEL, "initial"},
        {"close box", [](DialogContext& d) { d.CloseBox(); }, IDCANCEL, "initial"},
    };
    for (const ClosingWay& way : ways) {
        SCOPED_TRACE(way.name);
        SimpleDlg dlg;
        dlg.m_strText = "initial";
        std::string shown;
        DialogDriver driver;
        driver.ExpectDialog(IDD_FW_SIMPLE, [&](DialogContext& d) {
            shown = d.Text(IDC_FW_SIMPLE_EDIT);
            d.SetText(IDC_FW_SIMPLE_EDIT, "changed");
            way.close(d);
        });
        EXPECT_EQ(dlg.DoModal(), way.result);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(shown, "initial");
        EXPECT_EQ(dlg.m_strText, way.text);
        EXPECT_EQ(dlg.m_hWnd, nullptr);
    }
}

TEST(ModalDialog, WithoutParentIsOwnedByTheHiddenMainWindow) {
    CWinApp app("Framework Tests");
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->LoadFrame(IDR_FW_FRAME));
    app.m_pMainWnd = frame;
    ASSERT_FALSE(frame->IsWindowVisible());
    HWND hFrame = frame->m_hWnd;

    HWND owner = nullptr;
    BOOL ownerEnabled = TRUE;
    {
        DialogDriver driver;
        driver.ExpectDialog(IDD_FW_SIMPLE, [&](DialogContext& d) {
            owner = ::GetWindow(d.Hwnd(), GW_OWNER);
            ownerEnabled = ::IsWindowEnabled(hFrame);
            d.Click(IDCANCEL);
        });
        SimpleDlg dlg;
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    EXPECT_EQ(owner, hFrame);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(::IsWindowEnabled(hFrame));

    // A parent given, even a child window: its top-level window owns it.
    SimpleDlg parentDlg;
    ASSERT_TRUE(parentDlg.Create(IDD_FW_SIMPLE, frame));
    {
        DialogDriver driver;
        driver.ExpectDialog(IDD_FW_SIMPLE, [&](DialogContext& d) {
            owner = ::GetWindow(d.Hwnd(), GW_OWNER);
            d.Click(IDCANCEL);
        });
        SimpleDlg dlg(CWnd::FromHandle(::GetDlgItem(parentDlg.m_hWnd, IDC_FW_SIMPLE_EDIT)));
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    EXPECT_EQ(owner, parentDlg.m_hWnd);
    parentDlg.DestroyWindow();

    frame->DestroyWindow();
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(TakeQuitMessage());
}

TEST(ModalDialog, MissingTemplateOrARunningDialogGivesMinusOne) {
    CWinApp app("Framework Tests");
    DialogDriver driver;  // no dialog may appear for the missing template
    CDialog missing(IDD_FW_MISSING);
    EXPECT_EQ(missing.DoModal(), -1);

    SimpleDlg dlg;
    INT_PTR nested = 0;
    driver.ExpectDialog(IDD_FW_SIMPLE, [&](DialogContext& d) {
        nested = dlg.DoModal();
        d.Click(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(nested, -1);
}

class ModelessDialog : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->LoadFrame(IDR_FW_FRAME));
        app.m_pMainWnd = frame;
        ASSERT_TRUE(dlg.Create(IDD_FW_MODELESS));
    }
    void TearDown() override {
        dlg.DestroyWindow();
        if (app.m_pMainWnd != nullptr) app.m_pMainWnd->DestroyWindow();
        TakeQuitMessage();
    }
    void ShowWithFocusOn(int id) {
        dlg.ShowWindow(SW_SHOW);
        ::SetFocus(::GetDlgItem(dlg.m_hWnd, id));
        ASSERT_EQ(::GetDlgCtrlID(::GetFocus()), id);
    }
    void PostKey(UINT vk) {
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, vk, 1);
        ::PostMessageA(::GetFocus(), WM_KEYUP, vk, 1 | (3LL << 30));
    }

    CWinApp app{"Framework Tests"};
    CFrameWnd* frame = nullptr;
    CDialog dlg;
};

TEST_F(ModelessDialog, IsOwnedByTheMainWindowAndGetsTabThroughTheApplicationsLoop) {
    EXPECT_EQ(::GetWindow(dlg.m_hWnd, GW_OWNER), frame->m_hWnd);
    EXPECT_FALSE(dlg.IsModal());

    // Dispatched without the application's loop, Tab does nothing here...
    ShowWithFocusOn(IDC_FW_FIRST);
    PostKey(VK_TAB);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), IDC_FW_FIRST);

    // ...through it, the dialog manager moves the focus on.
    PostKey(VK_TAB);
    EXPECT_TRUE(PumpUntil(app, [] { return ::GetDlgCtrlID(::GetFocus()) == IDC_FW_SECOND; }));
    PostKey(VK_TAB);
    EXPECT_TRUE(PumpUntil(app, [] { return ::GetDlgCtrlID(::GetFocus()) == IDC_FW_THIRD; }));
}

TEST_F(ModelessDialog, EnterEscapeAndTheCloseBoxOnlyHideIt) {
    ShowWithFocusOn(IDC_FW_FIRST);
    PostKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil(app, [this] { return !dlg.IsWindowVisible(); }));

    // While a modal dialog has the owner disabled, hiding this one must not
    // enable it behind the modal dialog's back.
    ::EnableWindow(frame->m_hWnd, FALSE);
    ShowWithFocusOn(IDC_FW_SECOND);
    PostKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil(app, [this] { return !dlg.IsWindowVisible(); }));
    EXPECT_FALSE(::IsWindowEnabled(frame->m_hWnd));
    ::EnableWindow(frame->m_hWnd, TRUE);

    dlg.ShowWindow(SW_SHOW);
    dlg.PostMsg(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_TRUE(PumpUntil(app, [this] { return !dlg.IsWindowVisible(); }));

    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
}

TEST(DialogInitData, DamagedDataStopsTheFillingWhereItGoesWrong) {
    CWinApp app("Framework Tests");
    CDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_FW_BADINIT));
    HWND box = ::GetDlgItem(dlg.m_hWnd, IDC_FW_BADINIT_COMBO);
    EXPECT_EQ(::SendMessageA(box, CB_GETCOUNT, 0, 0), 1);
    char text[16] = {};
    ::SendMessageA(box, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "one");
    dlg.DestroyWindow();
}

// The driver's guarantees: what goes wrong fails the test, and nothing hangs.
class DriverFailures : public ::testing::Test {
protected:
    // Runs body with failures recorded instead of reported; returns them.
    static std::vector<std::string> Failures(const std::function<void()>& body) {
        ::testing::TestPartResultArray results;
        {
            ::testing::ScopedFakeTestPartResultReporter reporter(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            body();
        }
        std::vector<std::string> messages;
        messages.reserve(static_cast<std::size_t>(results.size()));
        for (int i = 0; i < results.size(); ++i) messages.push_back(results.GetTestPartResult(i).message());
        return messages;
    }

    CWinApp app{"Framework Tests"};
};

TEST_F(DriverFailures, UnexpectedDialogIsEndedWithAbortAndReported) {
    int result = 0;
    auto failures = Failures([&] {
        DialogDriver driver;
        result = AfxMessageBox("surprise");
    });
    EXPECT_EQ(result, IDABORT);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("unexpected message box"), std::string::npos) << failures[0];
    EXPECT_NE(failures[0].find("surprise"), std::string::npos) << failures[0];
}

TEST_F(DriverFailures, DialogOtherThanExpectedIsEndedWithAbortAndReported) {
    INT_PTR result = 0;
    bool acted = false;
    auto failures = Failures([&] {
        DialogDriver driver;
        driver.ExpectDialog(IDD_FW_EXCHANGE, [&](DialogContext&) { acted = true; });
        SimpleDlg dlg;
        result = dlg.DoModal();
    });
    EXPECT_EQ(result, IDABORT);
    EXPECT_FALSE(acted);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("expected dialog 9000, got dialog 9010"), std::string::npos) << failures[0];
}

TEST_F(DriverFailures, DialogLeftOpenByItsActionIsEndedByTheWatchdog) {
    INT_PTR result = 0;
    auto failures = Failures([&] {
        DialogDriver driver;
        driver.SetWatchdog(100);
        driver.ExpectDialog(IDD_FW_SIMPLE, [](DialogContext& d) { d.SetText(IDC_FW_SIMPLE_EDIT, "forgot OK"); });
        SimpleDlg dlg;
        result = dlg.DoModal();
    });
    EXPECT_EQ(result, IDABORT);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("still open"), std::string::npos) << failures[0];
}

TEST_F(DriverFailures, StepsThatNeverCameAreReported) {
    auto failures = Failures([] {
        DialogDriver driver;
        driver.ExpectMessageBox([](DialogContext& d) { d.Click(IDOK); });
    });
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("never came"), std::string::npos) << failures[0];
}

}  // namespace

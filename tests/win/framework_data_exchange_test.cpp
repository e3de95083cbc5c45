// Dialog data exchange in both directions, its failures as the user sees
// them, and the guarantees of UpdateData.
#include <windows.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "framework/framework.h"
#include "framework_test_res.h"
#include "support/dialog_driver.h"

namespace {

const char kTitle[] = "Framework Tests";

class ExchangeDlg : public CDialog {
public:
    ExchangeDlg() : CDialog(IDD_FW_EXCHANGE) {}

    CEdit m_editName;
    std::string m_strName = "name";
    unsigned int m_nNumber = 7;
    std::string m_strShort = "abc";
    int m_nCheck = 1;
    int m_nCombo = 2;
    std::string m_strLater = "later";

    int comboCountAtInit = -1;
    int nameChanges = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_FW_NAME, m_editName);
        DDX_Text(pDX, IDC_FW_NAME, m_strName);
        DDX_Text(pDX, IDC_FW_NUMBER, m_nNumber);
        DDV_MinMaxUInt(pDX, m_nNumber, 0, 60);
        DDX_Text(pDX, IDC_FW_SHORT, m_strShort);
        DDV_MaxChars(pDX, m_strShort, 5);
        DDX_Check(pDX, IDC_FW_CHECK, m_nCheck);
        DDX_CBIndex(pDX, IDC_FW_COMBO, m_nCombo);
        DDX_Text(pDX, IDC_FW_LATER, m_strLater);
    }
    BOOL OnInitDialog() override {
        comboCountAtInit = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_FW_COMBO, CB_GETCOUNT, 0, 0));
        return CDialog::OnInitDialog();
    }
    void OnNameChange() { ++nameChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ExchangeDlg, CDialog)
    ON_EN_CHANGE(IDC_FW_NAME, OnNameChange)
END_MESSAGE_MAP()

TEST(DataExchange, LoadsMembersIntoControlsAndSavesControlsIntoMembers) {
    CWinApp app(kTitle);
    ExchangeDlg dlg;
    DialogDriver driver;
    driver.ExpectDialog(IDD_FW_EXCHANGE, [&](DialogContext& d) {
        EXPECT_EQ(dlg.comboCountAtInit, 3);  // filled from the init data before OnInitDialog
        EXPECT_EQ(d.Text(IDC_FW_NAME), "name");
        EXPECT_EQ(d.Text(IDC_FW_NUMBER), "7");
        EXPECT_EQ(d.Text(IDC_FW_SHORT), "abc");
        EXPECT_EQ(::SendMessageA(d.Item(IDC_FW_SHORT), EM_GETLIMITTEXT, 0, 0), 5);
        EXPECT_TRUE(d.IsChecked(IDC_FW_CHECK));
        EXPECT_EQ(d.ComboSelection(IDC_FW_COMBO), 2);
        EXPECT_EQ(d.ComboText(IDC_FW_COMBO, 0), "alpha");
        EXPECT_EQ(d.ComboText(IDC_FW_COMBO, 2), "gamma");
        EXPECT_EQ(d.Text(IDC_FW_LATER), "later");
        EXPECT_EQ(CWnd::FromHandlePermanent(d.Item(IDC_FW_NAME)), &dlg.m_editName);
        // Filling the edits was the exchange's doing, not the user's.
        EXPECT_EQ(dlg.nameChanges, 0);

        d.SetText(IDC_FW_NAME, "new name");
        EXPECT_EQ(dlg.nameChanges, 1);
        d.SetText(IDC_FW_NUMBER, " 60 ");
        d.SetText(IDC_FW_SHORT, "xyz12");
        d.Click(IDC_FW_CHECK);
        ::SendMessageA(d.Item(IDC_FW_COMBO), CB_SETCURSEL, 0, 0);
        d.SetText(IDC_FW_LATER, "after");
        d.Click(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strName, "new name");
    EXPECT_EQ(dlg.m_nNumber, 60u);
    EXPECT_EQ(dlg.m_strShort, "xyz12");
    EXPECT_EQ(dlg.m_nCheck, 0);
    EXPECT_EQ(dlg.m_nCombo, 0);
    EXPECT_EQ(dlg.m_strLater, "after");

    // No selection both ways; a check value out of range loads as unchecked.
    dlg.m_nCombo = -1;
    dlg.m_nCheck = 5;
    driver.ExpectDialog(IDD_FW_EXCHANGE, [&](DialogContext& d) {
        EXPECT_EQ(d.ComboSelection(IDC_FW_COMBO), -1);
        EXPECT_FALSE(d.IsChecked(IDC_FW_CHECK));
        EXPECT_EQ(CWnd::FromHandlePermanent(d.Item(IDC_FW_NAME)), &dlg.m_editName);  // bound anew
        d.Click(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nCombo, -1);
    EXPECT_EQ(dlg.m_nCheck, 0);
    EXPECT_TRUE(driver.Done());
}

struct BadInput {
    int control;
    const char* text;
    const char* message;
    unsigned int numberAfter;  // m_nNumber after the failed exchange
};

TEST(DataExchange, FailureTellsTheUserFocusesTheWholeTextAndStopsTheExchange) {
    CWinApp app(kTitle);
    const BadInput inputs[] = {
        {IDC_FW_NUMBER, "12a", "Please enter a whole number.", 7},
        {IDC_FW_NUMBER, "", "Please enter a whole number.", 7},
        {IDC_FW_NUMBER, "-3", "Please enter a whole number.", 7},
        {IDC_FW_NUMBER, "4294967296", "Please enter a whole number.", 7},
        // The number is taken before the range is checked.
        {IDC_FW_NUMBER, "75", "Please enter a number between 0 and 60.", 75},
        {IDC_FW_SHORT, "abcdefg", "Please enter no more than 5 characters.", 7},
    };
    for (const BadInput& input : inputs) {
        SCOPED_TRACE(std::string("input \"") + input.text + "\"");
        ExchangeDlg dlg;
        std::string message;
        std::string caption;
        HWND boxOwner = nullptr;
        int focusId = 0;
        int selStart = -1;
        int selEnd = -1;
        bool stillOpen = false;
        DialogDriver driver;
        driver
            .ExpectDialog(IDD_FW_EXCHANGE,
                          [&](DialogContext& d) {
                              d.SetText(input.control, input.text);
                              d.SetText(IDC_FW_LATER, "after");
                              d.Click(IDOK);  // the message box comes and goes inside the click
                              focusId = d.FocusId();
                              d.Selection(input.control, selStart, selEnd);
                              stillOpen = ::IsWindowVisible(d.Hwnd()) != FALSE;
                              d.Click(IDCANCEL);
                          })
            .ExpectMessageBox([&](DialogContext& box) {
                message = box.MessageText();
                caption = box.Title();
                boxOwner = ::GetWindow(box.Hwnd(), GW_OWNER);
                box.Click(IDOK);
            });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(message, input.message);
        EXPECT_EQ(caption, kTitle);
        EXPECT_NE(boxOwner, nullptr);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(focusId, input.control);
        EXPECT_EQ(selStart, 0);
        EXPECT_EQ(selEnd, static_cast<int>(std::string(input.text).size()));
        EXPECT_EQ(dlg.m_nNumber, input.numberAfter);
        EXPECT_EQ(dlg.m_strLater, "later");  // the exchange stopped at the failure
    }
}

TEST(DataExchange, MaxCharsStopsTypingAtTheLimit) {
    CWinApp app(kTitle);
    ExchangeDlg dlg;
    std::string typed;
    DialogDriver driver;
    driver.ExpectDialog(IDD_FW_EXCHANGE, [&](DialogContext& d) {
        d.SetText(IDC_FW_SHORT, "");
        d.Type(IDC_FW_SHORT, "abcdefgh");
        typed = d.Text(IDC_FW_SHORT);
        d.Click(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(typed, "abcde");
    EXPECT_EQ(dlg.m_strShort, "abcde");
}

// UpdateData on any window: a throwing exchange or a missing control makes
// it return FALSE, silently, and notifications flow again afterwards.
class FaultyExchange : public CDialog {
public:
    bool throwing = false;
    int otherChanges = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        std::string text;
        DDX_Text(pDX, IDC_FW_FIRST, text);
        if (throwing) throw std::runtime_error("broken exchange");
        DDX_Text(pDX, 12345, text);
    }
    void OnSecondChange() { ++otherChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(FaultyExchange, CDialog)
    ON_EN_CHANGE(IDC_FW_SECOND, OnSecondChange)
END_MESSAGE_MAP()

TEST(DataExchange, NoExceptionOrMissingControlEscapesUpdateData) {
    CWinApp app(kTitle);
    DialogDriver driver;  // no message box may appear
    FaultyExchange dlg;
    // The base OnInitDialog's load fails on the missing control: the
    // (modeless) dialog is hidden, which is all EndDialog does for it.
    ASSERT_TRUE(dlg.Create(IDD_FW_MODELESS));
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    dlg.throwing = true;
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_FALSE(dlg.UpdateData(FALSE));
    ::SetWindowTextA(::GetDlgItem(dlg.m_hWnd, IDC_FW_SECOND), "typed");
    EXPECT_EQ(dlg.otherChanges, 1);
    dlg.DestroyWindow();
}

}  // namespace

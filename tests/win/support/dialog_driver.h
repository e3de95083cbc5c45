#pragma once
// Drives modal dialogs and message boxes from inside a test.
//
// A modal dialog runs its own message loop, so a test cannot act on it after
// DoModal (or MessageBox) is called: the call returns only when the dialog has
// ended. DialogDriver queues what the test expects to appear, in order, and
// runs each step's action inside the dialog's own modal loop, once the dialog
// has been initialised, activated and shown. The action reads and sets controls,
// presses buttons, and ends the dialog.
//
//     DialogDriver driver;
//     std::string text;
//     driver.ExpectMessageBox([&](DialogContext& box) {
//               text = box.MessageText();
//               box.Click(IDOK);
//           })
//         .ExpectDialog(IDD_LOGIN, [](DialogContext& dlg) {
//               dlg.SetText(IDC_LOGIN_PASSWORD, "secret");
//               dlg.Click(IDOK);
//           });
//     ... code under test that shows the box, then the Login dialog ...
//     EXPECT_TRUE(driver.Done());
//
// Steps may nest: when an action's click opens a message box (a failed data
// exchange, "Are you sure?"), the next step handles that box while the click
// is still running, and the first action continues after it.
//
// Failures are reported as GoogleTest failures and never hang the test:
// - a dialog that appears when no step is left, or that does not match the
//   next step, is ended at once with EndDialog(IDABORT);
// - a dialog still open some time after its action ran (the watchdog, 10 s by
//   default) is ended with IDABORT;
// - steps never reached are reported when the driver is destroyed.
//
// Only modal dialogs and message boxes are driven; a framework dialog created
// modeless (CDialog::Create) is left alone. One driver per thread at a time;
// it works on the thread that created it.
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>

class CDialog;

// The dialog being driven, as a step's action sees it.
class DialogContext {
public:
    explicit DialogContext(HWND hWnd) : m_hWnd(hWnd) {}

    HWND Hwnd() const { return m_hWnd; }
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // The framework object of the dialog; null for message boxes.
    CDialog* Dialog() const;

    std::string Title() const;
    // A message box's text.
    std::string MessageText() const;
    std::string Text(int id) const;

    // WM_SETTEXT (an edit notifies EN_CHANGE); ignores any length limit.
    void SetText(int id, const std::string& text);
    // Focuses the control and types the characters one by one (WM_CHAR), as
    // a user would: the control's limit applies.
    void Type(int id, const std::string& text);
    // A click on a button (BM_CLICK): the button takes the focus, then the
    // dialog gets BN_CLICKED. Runs to completion before returning.
    void Click(int id);
    // Posts a key press (WM_KEYDOWN, WM_KEYUP) to the focused window; the
    // dialog's loop handles it after the action returns (Enter, Escape, Tab).
    void PressKey(UINT vk);
    // The close box (WM_SYSCOMMAND SC_CLOSE).
    void CloseBox();
    // Ends the dialog directly (::EndDialog).
    void End(INT_PTR result);

    bool IsChecked(int id) const;
    int ComboSelection(int id) const;
    int ComboCount(int id) const;
    std::string ComboText(int id, int index) const;
    // The control with the focus, and its id (0 when the focus is elsewhere).
    HWND Focus() const { return ::GetFocus(); }
    int FocusId() const;
    // Selection of an edit control as [start, end).
    void Selection(int id, int& start, int& end) const;

private:
    HWND m_hWnd;
};

class DialogDriver {
public:
    using Action = std::function<void(DialogContext&)>;

    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // The next dialog must be a framework dialog built from templateId.
    DialogDriver& ExpectDialog(UINT templateId, Action action);
    // The next dialog must be a message box.
    DialogDriver& ExpectMessageBox(Action action);
    // The next dialog may be any modal dialog or message box.
    DialogDriver& ExpectAny(Action action);

    // Every queued step has run.
    bool Done() const { return m_steps.empty(); }
    size_t Pending() const { return m_steps.size(); }
    // How long a dialog may stay open after its action (default 10000 ms).
    void SetWatchdog(UINT milliseconds) { m_watchdogMs = milliseconds; }

private:
    struct Step {
        std::string description;
        std::function<bool(HWND)> matches;
        Action action;
    };

    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK StartTimer(HWND hWnd, UINT, UINT_PTR id, DWORD);
    static void CALLBACK WatchdogTimer(HWND hWnd, UINT, UINT_PTR id, DWORD);
    void Drive(HWND hWnd);
    DialogDriver& Queue(std::string description, std::function<bool(HWND)> matches, Action action);

    HHOOK m_hook = nullptr;
    std::deque<Step> m_steps;
    std::map<HWND, ULONGLONG> m_seen;  // dialogs taken on, with when they were activated
    UINT m_watchdogMs = 10000;
    DialogDriver* m_previous = nullptr;
};

// Describes a dialog for failure messages: class, title, and the framework
// template id or the message box text.
std::string DescribeDialog(HWND hWnd);

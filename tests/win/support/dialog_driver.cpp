#include "support/dialog_driver.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/dialog.h"

namespace {

thread_local DialogDriver* t_driver = nullptr;

const UINT_PTR kStartTimerId = 0x7A11;
const UINT_PTR kWatchdogTimerId = 0x7A12;
// How long a dialog may stay hidden before its step acts on it anyway.
const ULONGLONG kHiddenGraceMs = 2000;
// The id of a message box's text control.
const int kMessageBoxTextId = 0xFFFF;

bool IsDialogClass(HWND hWnd) {
    char className[32] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    return ::lstrcmpA(className, "#32770") == 0;
}

CDialog* FrameworkDialog(HWND hWnd) { return dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd)); }

bool IsMessageBox(HWND hWnd) {
    return IsDialogClass(hWnd) && FrameworkDialog(hWnd) == nullptr && ::GetDlgItem(hWnd, kMessageBoxTextId) != nullptr;
}

std::string WindowText(HWND hWnd) {
    if (hWnd == nullptr) return std::string();
    int length = ::GetWindowTextLengthA(hWnd);
    std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1);
    int got = ::GetWindowTextA(hWnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

}  // namespace

// ---------------------------------------------------------------------------
// DialogContext

CDialog* DialogContext::Dialog() const { return FrameworkDialog(m_hWnd); }

std::string DialogContext::Title() const { return WindowText(m_hWnd); }

std::string DialogContext::MessageText() const { return WindowText(Item(kMessageBoxTextId)); }

std::string DialogContext::Text(int id) const { return WindowText(Item(id)); }

void DialogContext::SetText(int id, const std::string& text) {
    ::SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void DialogContext::Type(int id, const std::string& text) {
    HWND control = Item(id);
    ::SetFocus(control);
    for (char c : text) ::SendMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void DialogContext::Click(int id) { ::SendMessageA(Item(id), BM_CLICK, 0, 0); }

void DialogContext::PressKey(UINT vk) {
    HWND target = ::GetFocus() != nullptr ? ::GetFocus() : m_hWnd;
    LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(vk, 0)) << 16;
    ::PostMessageA(target, WM_KEYDOWN, vk, scan | 1);
    ::PostMessageA(target, WM_KEYUP, vk, scan | 1 | (1LL << 30) | (1LL << 31));
}

void DialogContext::CloseBox() { ::SendMessageA(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

void DialogContext::End(INT_PTR result) { ::EndDialog(m_hWnd, result); }

bool DialogContext::IsChecked(int id) const { return ::SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

int DialogContext::ComboSelection(int id) const {
    return static_cast<int>(::SendMessageA(Item(id), CB_GETCURSEL, 0, 0));
}

int DialogContext::ComboCount(int id) const { return static_cast<int>(::SendMessageA(Item(id), CB_GETCOUNT, 0, 0)); }

std::string DialogContext::ComboText(int id, int index) const {
    LRESULT length = ::SendMessageA(Item(id), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    ::SendMessageA(Item(id), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data());
}

int DialogContext::FocusId() const {
    HWND focus = ::GetFocus();
    return focus != nullptr && ::GetParent(focus) == m_hWnd ? ::GetDlgCtrlID(focus) : 0;
}

void DialogContext::Selection(int id, int& start, int& end) const {
    DWORD s = 0;
    DWORD e = 0;
    ::SendMessageA(Item(id), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s);
    end = static_cast<int>(e);
}

// ---------------------------------------------------------------------------
// DialogDriver

std::string DescribeDialog(HWND hWnd) {
    std::string text = "\"" + WindowText(hWnd) + "\"";
    if (CDialog* dialog = FrameworkDialog(hWnd))
        return "dialog " + std::to_string(dialog->GetTemplateId()) + " " + text;
    if (IsMessageBox(hWnd))
        return "message box " + text + ": \"" + WindowText(::GetDlgItem(hWnd, kMessageBoxTextId)) + "\"";
    return "dialog " + text;
}

DialogDriver::DialogDriver() : m_previous(t_driver) {
    m_hook = ::SetWindowsHookExA(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId());
    if (m_hook == nullptr) ADD_FAILURE() << "DialogDriver: cannot install the CBT hook";
    t_driver = this;
}

DialogDriver::~DialogDriver() {
    if (m_hook != nullptr) ::UnhookWindowsHookEx(m_hook);
    t_driver = m_previous;
    for (const Step& step : m_steps)
        ADD_FAILURE() << "DialogDriver: expected " << step.description << ", which never came";
}

DialogDriver& DialogDriver::Queue(std::string description, std::function<bool(HWND)> matches, Action action) {
    m_steps.push_back(Step{std::move(description), std::move(matches), std::move(action)});
    return *this;
}

DialogDriver& DialogDriver::ExpectDialog(UINT templateId, Action action) {
    return Queue(
        "dialog " + std::to_string(templateId),
        [templateId](HWND hWnd) {
            CDialog* dialog = FrameworkDialog(hWnd);
            return dialog != nullptr && dialog->GetTemplateId() == templateId;
        },
        std::move(action));
}

DialogDriver& DialogDriver::ExpectMessageBox(Action action) {
    return Queue("a message box", IsMessageBox, std::move(action));
}

DialogDriver& DialogDriver::ExpectAny(Action action) {
    return Queue(
        "any dialog", [](HWND) { return true; }, std::move(action));
}

LRESULT CALLBACK DialogDriver::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    DialogDriver* driver = t_driver;
    HHOOK hook = driver != nullptr ? driver->m_hook : nullptr;
    if (driver != nullptr && code == HCBT_ACTIVATE) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        CDialog* dialog = FrameworkDialog(hWnd);
        bool modeless = dialog != nullptr && !dialog->IsModal();
        if (IsDialogClass(hWnd) && !modeless && driver->m_seen.emplace(hWnd, ::GetTickCount64()).second) {
            // Activation comes before the dialog's loop runs; act from inside it.
            ::SetTimer(hWnd, kStartTimerId, USER_TIMER_MINIMUM, StartTimer);
        }
    } else if (driver != nullptr && code == HCBT_DESTROYWND) {
        driver->m_seen.erase(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

void CALLBACK DialogDriver::StartTimer(HWND hWnd, UINT, UINT_PTR id, DWORD) {
    DialogDriver* driver = t_driver;
    if (driver == nullptr) {
        ::KillTimer(hWnd, id);
        return;
    }
    // A template without WS_VISIBLE is shown by the modal loop once its queue
    // is first empty, which the timer can beat: act on what a user would see,
    // unless the dialog stays hidden for good.
    auto seen = driver->m_seen.find(hWnd);
    if (!::IsWindowVisible(hWnd) && seen != driver->m_seen.end() &&
        ::GetTickCount64() - seen->second < kHiddenGraceMs) {
        return;  // the timer fires again
    }
    ::KillTimer(hWnd, id);
    driver->Drive(hWnd);
}

void CALLBACK DialogDriver::WatchdogTimer(HWND hWnd, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(hWnd, id);
    ADD_FAILURE() << "DialogDriver: " << DescribeDialog(hWnd) << " was still open after its action; ended with IDABORT";
    ::EndDialog(hWnd, IDABORT);
}

void DialogDriver::Drive(HWND hWnd) {
    if (m_steps.empty()) {
        ADD_FAILURE() << "DialogDriver: unexpected " << DescribeDialog(hWnd) << "; ended with IDABORT";
        ::EndDialog(hWnd, IDABORT);
        return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    if (!step.matches(hWnd)) {
        ADD_FAILURE() << "DialogDriver: expected " << step.description << ", got " << DescribeDialog(hWnd)
                      << "; ended with IDABORT";
        ::EndDialog(hWnd, IDABORT);
        return;
    }
    DialogContext context(hWnd);
    step.action(context);
    if (::IsWindow(hWnd)) ::SetTimer(hWnd, kWatchdogTimerId, m_watchdogMs, WatchdogTimer);
}

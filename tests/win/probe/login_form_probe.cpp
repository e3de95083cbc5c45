// A stand-in for a program asking for a login, for the auto-type tests: a
// user-name edit, a password edit and an OK button, as a dialog has them
// (Tab moves on, Enter presses OK). Whenever either edit changes or OK is
// pressed it writes its state to the file named on its command line: the
// user name, the password (both UTF-8) and how often OK was pressed, one to
// a line. The record is written under a temporary name and renamed, so a
// reader never sees half of it.
#include <windows.h>

#include <string>

namespace {

constexpr int kUserId = 101;
constexpr int kPasswordId = 102;

std::string g_out;
HWND g_user = nullptr;
HWND g_password = nullptr;
HWND g_lastFocus = nullptr;
int g_pressed = 0;

std::string Utf8Text(HWND edit) {
    std::wstring wide(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    const int length = GetWindowTextW(edit, &wide[0], static_cast<int>(wide.size()));
    std::string text(static_cast<std::size_t>(length) * 4 + 1, '\0');
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), length, &text[0], static_cast<int>(text.size()),
                                          nullptr, nullptr);
    text.resize(static_cast<std::size_t>(bytes));
    return text;
}

void WriteState() {
    if (g_user == nullptr || g_password == nullptr) return;
    const std::string record = Utf8Text(g_user) + "\n" + Utf8Text(g_password) + "\n" + std::to_string(g_pressed) + "\n";
    const std::string part = g_out + ".part";
    HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    // The test may be reading the previous record just now.
    for (int tries = 0; tries < 1000 && !MoveFileExA(part.c_str(), g_out.c_str(), MOVEFILE_REPLACE_EXISTING); ++tries) {
        Sleep(2);
    }
}

LRESULT CALLBACK FormProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            ++g_pressed;
            WriteState();
        } else if (HIWORD(wParam) == EN_CHANGE) {
            WriteState();
        } else if (HIWORD(wParam) == EN_SETFOCUS) {
            g_lastFocus = reinterpret_cast<HWND>(lParam);
        }
        return 0;
    case WM_SETFOCUS:
        // As a dialog does: the control that had the focus gets it back.
        SetFocus(g_lastFocus != nullptr ? g_lastFocus : g_user);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_out = commandLine;
    if (g_out.empty()) return 1;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = FormProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"PellucordaLoginFormProbe";
    RegisterClassW(&windowClass);
    HWND form = CreateWindowExW(0, windowClass.lpszClassName, L"Login form probe", WS_OVERLAPPEDWINDOW, 400, 100, 320,
                                200, nullptr, nullptr, instance, nullptr);
    g_user = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 10,
                             10, 280, 24, form, reinterpret_cast<HMENU>(kUserId), instance, nullptr);
    g_password = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, 10, 44, 280, 24,
                                 form, reinterpret_cast<HMENU>(kPasswordId), instance, nullptr);
    CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 80, 80, 26, form,
                    reinterpret_cast<HMENU>(IDOK), instance, nullptr);
    WriteState();
    ShowWindow(form, SW_SHOWNORMAL);
    SetForegroundWindow(form);
    SetFocus(g_user);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(form, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

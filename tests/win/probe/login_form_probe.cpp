// A login form for the auto-type tests (Tab moves on, Enter presses OK). At each
// change it writes the file named on its command line, renamed into place whole:
// the user name, the password (UTF-8) and the count of OK presses, one a line.
#include <windows.h>

#include <string>

namespace {

std::string g_out;
HWND g_edits[2] = {};
HWND g_lastFocus = nullptr;
int g_pressed = 0;

std::string Utf8Text(HWND edit) {
    wchar_t wide[256] = {};
    char text[1024] = {};
    const int length = GetWindowTextW(edit, wide, 256);
    return std::string(text, WideCharToMultiByte(CP_UTF8, 0, wide, length, text, sizeof text, nullptr, nullptr));
}

void WriteState() {
    const std::string record =
        Utf8Text(g_edits[0]) + "\n" + Utf8Text(g_edits[1]) + "\n" + std::to_string(g_pressed) + "\n";
    const std::string part = g_out + ".part";
    HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    // The test may be reading the previous record just now.
    for (int tries = 0; tries < 1000 && !MoveFileExA(part.c_str(), g_out.c_str(), MOVEFILE_REPLACE_EXISTING); ++tries) {
        Sleep(2);
    }
}

LRESULT CALLBACK FormProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == IDOK) ++g_pressed;
        if (HIWORD(wParam) == EN_SETFOCUS) g_lastFocus = reinterpret_cast<HWND>(lParam);
        if (LOWORD(wParam) == IDOK || HIWORD(wParam) == EN_CHANGE) WriteState();
        return 0;
    }
    // As a dialog does: the control that had the focus gets it back.
    if (message == WM_SETFOCUS) SetFocus(g_lastFocus != nullptr ? g_lastFocus : g_edits[0]);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR lpCmdLine, int) {
    g_out = lpCmdLine;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = FormProc;
    windowClass.lpszClassName = L"PellucordaLoginFormProbe";
    RegisterClassW(&windowClass);
    HWND form = CreateWindowExW(0, windowClass.lpszClassName, L"Login form probe", WS_OVERLAPPEDWINDOW, 400, 100, 320,
                                200, nullptr, nullptr, instance, nullptr);
    for (int i = 0; i < 2; ++i) {
        g_edits[i] = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | (i == 1 ? ES_PASSWORD : 0),
                                     10, 10 + 34 * i, 280, 24, form, nullptr, instance, nullptr);
    }
    CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 80, 80, 26, form,
                    reinterpret_cast<HMENU>(IDOK), instance, nullptr);
    ShowWindow(form, SW_SHOWNORMAL);
    SetForegroundWindow(form);
    WriteState();  // the first record says the form is up
    MSG msg;
    // The dialog manager translates and dispatches what is the form's.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(form, &msg)) DispatchMessageW(&msg);
    }
    return 0;
}

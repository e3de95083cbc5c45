#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "base/secure_wipe.h"
#include "cli/secret_input.h"

namespace {

// The console being read with echo off, for the control handler, which runs
// on a thread of its own.
HANDLE volatile g_console = INVALID_HANDLE_VALUE;
DWORD volatile g_savedMode = 0;

BOOL WINAPI RestoreConsole(DWORD /*event*/) {
    const HANDLE console = g_console;
    if (console != INVALID_HANDLE_VALUE) SetConsoleMode(console, g_savedMode);
    // Not handled here: the default handler still ends the process.
    return FALSE;
}

// Reads wide characters up to the line end; false at the end of the input or
// when the line does not fit. A line too long is still read to its end: the
// rest would stay in the console's input, and the shell would run it as a
// command and keep it in its history.
bool ReadWideLine(HANDLE console, wchar_t* wide, std::size_t capacity, std::size_t& length) {
    length = 0;
    bool fits = true;
    for (;;) {
        wchar_t c = 0;
        DWORD got = 0;
        if (!ReadConsoleW(console, &c, 1, &got, nullptr) || got == 0) return false;
        if (c == L'\r') continue;
        if (c == L'\n') return fits;
        if (length < capacity) {
            wide[length++] = c;
        } else {
            fits = false;
        }
    }
}

}  // namespace

void PrepareStandardStreams() {
    // Vault texts are bytes: no line-end translation and no end-of-file byte
    // on the way in.
    _setmode(_fileno(stdin), _O_BINARY);
}

bool IsTerminal(std::FILE* stream) {
    DWORD mode = 0;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != FALSE;
}

bool ReadSecretFromTerminal(const char* prompt, char* buffer, std::size_t size, std::size_t& length) {
    length = 0;
    HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) return false;
    DWORD savedMode = 0;
    if (!GetConsoleMode(input, &savedMode)) {
        CloseHandle(input);
        return false;
    }
    g_savedMode = savedMode;
    g_console = input;
    SetConsoleCtrlHandler(RestoreConsole, TRUE);
    SetConsoleMode(input, (savedMode & ~ENABLE_ECHO_INPUT) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    std::fputs(prompt, stderr);
    (void)std::fflush(stderr);  // a prompt that does not show still lets the user type

    wchar_t wide[256];
    std::size_t wideLength = 0;
    bool ok = ReadWideLine(input, wide, sizeof wide / sizeof wide[0], wideLength);
    if (ok && wideLength > 0) {
        // As the dialogs' ANSI text is made, so the same keys give the same
        // master password in the program and here.
        const int written = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(wideLength), buffer,
                                                static_cast<int>(size - 1), nullptr, nullptr);
        ok = written > 0;
        length = ok ? static_cast<std::size_t>(written) : 0;
    }
    SecureWipe(wide, sizeof wide);

    SetConsoleMode(input, savedMode);
    g_console = INVALID_HANDLE_VALUE;
    SetConsoleCtrlHandler(RestoreConsole, FALSE);
    CloseHandle(input);
    std::fputs("\n", stderr);
    if (!ok) {
        SecureWipe(buffer, size);
        length = 0;
        return false;
    }
    buffer[length] = '\0';
    return true;
}

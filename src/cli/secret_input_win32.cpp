#include <windows.h>

#include <cstdio>

#include "cli/secret_input.h"
#include "crypto/secure_wipe.h"

bool ReadSecretFromTerminal(const char* prompt, char* buffer, std::size_t size) {
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) return false;
    DWORD savedMode = 0;
    if (!GetConsoleMode(input, &savedMode)) {
        CloseHandle(input);
        return false;
    }
    SetConsoleMode(input, (savedMode & ~ENABLE_ECHO_INPUT) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    std::size_t length = 0;
    bool ok = false;
    for (;;) {
        char c = 0;
        DWORD got = 0;
        if (!ReadConsoleA(input, &c, 1, &got, nullptr) || got == 0) break;
        if (c == '\r') continue;
        if (c == '\n') {
            ok = true;
            break;
        }
        if (length + 1 >= size) break;
        buffer[length++] = c;
    }
    SetConsoleMode(input, savedMode);
    CloseHandle(input);
    std::fputs("\n", stderr);
    if (!ok) {
        SecureWipe(buffer, size);
        return false;
    }
    buffer[length] = '\0';
    return true;
}

// The tool's Windows console: a secret typed there is read as wide
// characters and made ANSI the way the program's dialogs make typed text, so
// the same keys give the same master password in both; and UTF-8 from an
// import becomes the system's ANSI code page.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/secret_input.h"
#include "platform/codepage.h"

namespace {

// Key presses in the console's input buffer, as if typed.
void TypeIntoConsole(HANDLE input, const std::wstring& text) {
    std::vector<INPUT_RECORD> records;
    for (wchar_t c : text) {
        for (BOOL down : {TRUE, FALSE}) {
            INPUT_RECORD record = {};
            record.EventType = KEY_EVENT;
            record.Event.KeyEvent.bKeyDown = down;
            record.Event.KeyEvent.wRepeatCount = 1;
            record.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
            record.Event.KeyEvent.uChar.UnicodeChar = c;
            records.push_back(record);
        }
    }
    DWORD written = 0;
    WriteConsoleInputW(input, records.data(), static_cast<DWORD>(records.size()), &written);
}

std::string Ansi(const std::wstring& text) {
    char out[64] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return out;
}

}  // namespace

TEST(CliConsole, ASecretTypedAtTheConsoleIsTheTextTheLoginDialogWouldGet) {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(input, INVALID_HANDLE_VALUE);
    DWORD before = 0;
    ASSERT_TRUE(GetConsoleMode(input, &before));

    const std::wstring typed = L"Caf\u00e9 \u20ac5";
    TypeIntoConsole(input, typed + L"\r");
    char buffer[64];
    std::size_t length = 0;
    ASSERT_TRUE(ReadSecretFromTerminal("", buffer, sizeof buffer, length));
    EXPECT_EQ(std::string(buffer, length), Ansi(typed));
    if (GetACP() == 1252) {
        EXPECT_EQ(std::string(buffer),
                  "Caf\xE9 \x80"
                  "5");
    }
    DWORD after = 0;
    GetConsoleMode(input, &after);
    EXPECT_EQ(after, before) << "the console's mode is as it was";

    CloseHandle(input);
    FreeConsole();
}

TEST(CliConsole, Utf8BecomesTheAnsiCodePageOrIsRefused) {
    char out[16];
    std::size_t written = 0;
    const std::string utf8 = "Caf\xC3\xA9 \xE2\x82\xAC";
    ASSERT_EQ(Utf8ToAnsi(utf8.data(), utf8.size(), out, sizeof out, written), AnsiOk);
    EXPECT_EQ(std::string(out, written), Ansi(L"Caf\u00e9 \u20ac"));
    const std::string key = "\xF0\x9F\x94\x91";  // no ANSI code page holds it
    EXPECT_EQ(Utf8ToAnsi(key.data(), key.size(), out, sizeof out, written), AnsiUnrepresentable);
    const std::string broken = "\xC3(";
    EXPECT_EQ(Utf8ToAnsi(broken.data(), broken.size(), out, sizeof out, written), AnsiBadUtf8);
    EXPECT_EQ(Utf8ToAnsi(utf8.data(), utf8.size(), out, 3, written), AnsiTooLong);
}

namespace {

HANDLE g_input = INVALID_HANDLE_VALUE;
volatile LONG g_modeAtControl = -1;

// Stands behind the tool's handler (handlers run last registered first): it
// sees the mode the tool's handler left, and keeps the test process alive.
BOOL WINAPI Survive(DWORD) {
    DWORD mode = 0;
    GetConsoleMode(g_input, &mode);
    InterlockedExchange(&g_modeAtControl, static_cast<LONG>(mode));
    return TRUE;
}

DWORD WINAPI PressCtrlC(void*) {
    DWORD mode = ENABLE_ECHO_INPUT;
    for (int i = 0; i < 3000 && (mode & ENABLE_ECHO_INPUT) != 0; ++i) {
        Sleep(10);
        GetConsoleMode(g_input, &mode);
    }
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    for (int i = 0; i < 3000 && g_modeAtControl == -1; ++i) Sleep(10);
    TypeIntoConsole(g_input, L"x\r");
    return 0;
}

}  // namespace

TEST(CliConsole, CtrlCAtThePromptGivesTheConsoleItsEchoBack) {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    g_input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    DWORD before = 0;
    ASSERT_TRUE(GetConsoleMode(g_input, &before));
    ASSERT_NE(before & ENABLE_ECHO_INPUT, 0u);
    SetConsoleCtrlHandler(Survive, TRUE);
    HANDLE presser = CreateThread(nullptr, 0, PressCtrlC, nullptr, 0, nullptr);
    char buffer[64];
    std::size_t length = 0;
    ReadSecretFromTerminal("", buffer, sizeof buffer, length);
    WaitForSingleObject(presser, 60000);
    CloseHandle(presser);
    SetConsoleCtrlHandler(Survive, FALSE);
    ASSERT_NE(g_modeAtControl, -1) << "no control event came";
    EXPECT_NE(static_cast<DWORD>(g_modeAtControl) & ENABLE_ECHO_INPUT, 0u);
    CloseHandle(g_input);
    FreeConsole();
}

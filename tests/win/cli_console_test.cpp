// The tool's Windows console: a secret typed there is read as wide
// characters and made ANSI the way the program's dialogs make typed text, so
// the same keys give the same master password in both; a Ctrl-C at the
// prompt leaves the console echoing, and a secret too long leaves nothing of
// its line behind. Text for reading reaches the console as wide characters,
// controls escaped. UTF-8 from an import becomes
// the system's ANSI code page.
#include <windows.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "cli/console_text.h"
#include "cli/secret_input.h"

namespace {

HANDLE g_input = INVALID_HANDLE_VALUE;
volatile LONG g_modeAtControl = -1;

// Key presses in the console's input buffer, as if typed.
void Type(const std::wstring& text) {
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
    WriteConsoleInputW(g_input, records.data(), static_cast<DWORD>(records.size()), &written);
}

std::string Ansi(const std::wstring& text) {
    char out[64] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return out;
}

// Stands behind the tool's handler (the last registered runs first): it sees
// the mode that handler left, and keeps the test process alive.
BOOL WINAPI Survive(DWORD) {
    DWORD mode = 0;
    GetConsoleMode(g_input, &mode);
    InterlockedExchange(&g_modeAtControl, static_cast<LONG>(mode));
    return TRUE;
}

// Waits for the prompt to turn echo off, presses Ctrl-C, then Enter.
DWORD WINAPI PressCtrlC(void*) {
    DWORD mode = ENABLE_ECHO_INPUT;
    for (int i = 0; i < 3000 && (mode & ENABLE_ECHO_INPUT) != 0 && GetConsoleMode(g_input, &mode); ++i) Sleep(10);
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    for (int i = 0; i < 3000 && g_modeAtControl == -1; ++i) Sleep(10);
    Type(L"x\r");
    return 0;
}

class CliConsole : public ::testing::Test {
protected:
    void SetUp() override {
        FreeConsole();
        ASSERT_TRUE(AllocConsole());
        g_input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(GetConsoleMode(g_input, &before));
        ASSERT_NE(before & ENABLE_ECHO_INPUT, 0u);
    }
    void TearDown() override {
        CloseHandle(g_input);
        FreeConsole();
    }

    DWORD before = 0;
    char buffer[64] = {};
    std::size_t length = 0;
};

}  // namespace

TEST_F(CliConsole, ASecretTypedThereIsTheTextTheLoginDialogWouldGet) {
    const std::wstring typed = L"Caf\u00e9 \u20ac5";
    Type(typed + L"\r");
    ASSERT_TRUE(ReadSecretFromTerminal("", buffer, sizeof buffer, length));
    EXPECT_EQ(std::string(buffer, length), Ansi(typed));
    if (GetACP() == 1252) {
        EXPECT_EQ(std::string(buffer),
                  "Caf\xE9 \x80"
                  "5");
    }
    DWORD after = 0;
    GetConsoleMode(g_input, &after);
    EXPECT_EQ(after, before);
}

TEST_F(CliConsole, CtrlCAtThePromptGivesTheConsoleItsEchoBack) {
    SetConsoleCtrlHandler(Survive, TRUE);
    HANDLE presser = CreateThread(nullptr, 0, PressCtrlC, nullptr, 0, nullptr);
    ReadSecretFromTerminal("", buffer, sizeof buffer, length);
    WaitForSingleObject(presser, 60000);
    CloseHandle(presser);
    SetConsoleCtrlHandler(Survive, FALSE);
    ASSERT_NE(g_modeAtControl, -1) << "no control event came";
    EXPECT_NE(static_cast<DWORD>(g_modeAtControl) & ENABLE_ECHO_INPUT, 0u);
}

TEST_F(CliConsole, ASecretOverItsBufferLeavesNothingOfItsLineBehind) {
    Type(std::wstring(300, L'x') + L"\rnext\r");
    EXPECT_FALSE(ReadSecretFromTerminal("", buffer, sizeof buffer, length));
    ASSERT_TRUE(ReadSecretFromTerminal("", buffer, sizeof buffer, length));
    EXPECT_EQ(std::string(buffer, length), "next");
}

TEST_F(CliConsole, ReadTextReachesTheConsoleAsCharactersControlsEscaped) {
    // In the ANSI code page, e acute and the euro sign, then ESC; in 1252 also
    // 0x81, which that code page leaves a C1 control.
    const bool western = GetACP() == 1252;
    const std::string ansi = Ansi(L"Caf\u00e9 \u20ac") + (western ? "\x81\x1B" : "\x1B");
    const std::wstring escapes = western ? L"\\x81\\x1B" : L"\\x1B";
    const auto write = [&](HANDLE handle) {
        std::FILE* stream = _fdopen(_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY), "wb");
        SecretString text;
        AppendReadable(text, ansi.data(), ansi.size(), ReadableEncoding(stream));
        EXPECT_TRUE(WriteReadable(stream, text));
        return stream;
    };

    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    std::FILE* console = write(screen);
    const std::wstring expected = L"Caf\u00e9 \u20ac" + escapes;
    wchar_t shown[32] = {};
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, shown, static_cast<DWORD>(expected.size()), {0, 0}, &read);
    EXPECT_EQ(std::wstring(shown, read), expected);
    EXPECT_EQ(std::fclose(console), 0);
}

TEST(CliCodepage, Utf8BecomesTheAnsiCodePageOrIsRefused) {
    char out[16];
    std::size_t written = 0;
    const std::string utf8 = "Caf\xC3\xA9 \xE2\x82\xAC", key = "\xF0\x9F\x94\x91", broken = "\xC3(";
    ASSERT_EQ(Utf8ToAnsi(utf8.data(), utf8.size(), out, sizeof out, written), AnsiOk);
    EXPECT_EQ(std::string(out, written), Ansi(L"Caf\u00e9 \u20ac"));
    EXPECT_EQ(Utf8ToAnsi(key.data(), key.size(), out, sizeof out, written), AnsiUnrepresentable) << "in no code page";
    EXPECT_EQ(Utf8ToAnsi(broken.data(), broken.size(), out, sizeof out, written), AnsiBadUtf8);
    EXPECT_EQ(Utf8ToAnsi(utf8.data(), utf8.size(), out, 3, written), AnsiTooLong);
}

// The Windows tests rely on windows, the clipboard and the registry working in
// the test prefix without an X server. If these fail, every later failure is
// the environment's, not the program's.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>

TEST(WineEnvironment, WindowsClipboardAndRegistryWorkWithoutDisplay) {
    HWND wnd = CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    char text[16] = {};
    GetWindowTextA(wnd, text, sizeof text);
    EXPECT_STREQ(text, "probe");

    ASSERT_TRUE(OpenClipboard(wnd));
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 6);
    ASSERT_NE(mem, nullptr);
    std::memcpy(GlobalLock(mem), "hello", 6);
    GlobalUnlock(mem);
    ASSERT_NE(SetClipboardData(CF_TEXT, mem), nullptr);
    CloseClipboard();
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(data)), "hello");
    GlobalUnlock(data);
    CloseClipboard();
    DestroyWindow(wnd);

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PellucordaTests\\Probe", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD value = 42;
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value), ERROR_SUCCESS);
    DWORD read = 0, size = sizeof read;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(read, 42u);
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\PellucordaTests\\Probe");
}

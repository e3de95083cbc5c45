// USkin.dll as the program meets it: two exports by ordinal and none by name,
// the themed look switched on and off for the whole process, and the skin
// file optional. The library is copied next to this test program.
#include <windows.h>
#include <gtest/gtest.h>
#include <uxtheme.h>

#include <cstdio>
#include <string>

namespace {

using EnableFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR);
using DisableFn = BOOL(WINAPI*)(void);

FARPROC ByOrdinal(HMODULE module, WORD ordinal) { return GetProcAddress(module, MAKEINTRESOURCEA(ordinal)); }

const DWORD kAllThemed = STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT;

class USkinLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = GetThemeAppProperties();
        module_ = LoadLibraryA("USkin.dll");
        ASSERT_NE(module_, nullptr) << "USkin.dll is not beside the test program";
        enable_ = reinterpret_cast<EnableFn>(reinterpret_cast<void*>(ByOrdinal(module_, 1)));
        disable_ = reinterpret_cast<DisableFn>(reinterpret_cast<void*>(ByOrdinal(module_, 2)));
        ASSERT_NE(enable_, nullptr);
        ASSERT_NE(disable_, nullptr);
    }
    void TearDown() override {
        SetThemeAppProperties(saved_);
        if (module_) FreeLibrary(module_);
    }

    HMODULE module_ = nullptr;
    EnableFn enable_ = nullptr;
    DisableFn disable_ = nullptr;

private:
    DWORD saved_ = 0;
};

// The export directory itself, so that no name can slip in beside the
// ordinals.
TEST_F(USkinLibrary, ExportsOrdinalsOneAndTwoAndNoNames) {
    const auto* base = reinterpret_cast<const BYTE*>(module_);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(entry.VirtualAddress, 0u);
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    EXPECT_EQ(exports->Base, 1u);
    EXPECT_EQ(exports->NumberOfFunctions, 2u);
    EXPECT_EQ(exports->NumberOfNames, 0u);

    EXPECT_EQ(ByOrdinal(module_, 3), nullptr);
    EXPECT_EQ(GetProcAddress(module_, "USkinEnable"), nullptr);
    EXPECT_EQ(GetProcAddress(module_, "USkinDisable"), nullptr);
}

TEST_F(USkinLibrary, OrdinalOneTurnsTheThemedLookOnAndOrdinalTwoOff) {
    // The program turns it off at exit even when it never turned it on.
    EXPECT_TRUE(disable_());
    EXPECT_EQ(GetThemeAppProperties(), 0u);

    enable_(nullptr, nullptr, "skin.msstyles");
    EXPECT_EQ(GetThemeAppProperties(), kAllThemed);
    enable_(nullptr, nullptr, "skin.msstyles");
    EXPECT_EQ(GetThemeAppProperties(), kAllThemed) << "a second call keeps it on";

    EXPECT_TRUE(disable_());
    EXPECT_EQ(GetThemeAppProperties(), 0u);
}

// Runs a test in a fresh temporary folder as the current directory, where the
// program would look for its skin file, and removes it afterwards.
class TemporaryCurrentDirectory {
public:
    TemporaryCurrentDirectory() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        char folder[MAX_PATH] = {};
        GetTempFileNameA(temp, "usk", 0, folder);  // creates a file: take its name
        DeleteFileA(folder);
        path_ = folder;
        CreateDirectoryA(path_.c_str(), nullptr);
        GetCurrentDirectoryA(MAX_PATH, saved_);
        SetCurrentDirectoryA(path_.c_str());
    }
    ~TemporaryCurrentDirectory() {
        SetCurrentDirectoryA(saved_);
        DeleteFileA((path_ + "\\skin.msstyles").c_str());
        RemoveDirectoryA(path_.c_str());
    }
    TemporaryCurrentDirectory(const TemporaryCurrentDirectory&) = delete;
    TemporaryCurrentDirectory& operator=(const TemporaryCurrentDirectory&) = delete;

private:
    std::string path_;
    char saved_[MAX_PATH] = {};
};

// The program ships no skin file; one that the user drops in, even a broken
// one, must not change the outcome or bring the program down.
TEST_F(USkinLibrary, SkinFileIsOptionalAndItsContentIsNotTrusted) {
    TemporaryCurrentDirectory folder;
    const char* name = "skin.msstyles";
    ASSERT_EQ(GetFileAttributesA(name), INVALID_FILE_ATTRIBUTES);
    disable_();
    enable_(nullptr, nullptr, name);
    EXPECT_EQ(GetThemeAppProperties(), kAllThemed) << "a missing skin file is not an error";

    disable_();
    std::FILE* file = std::fopen(name, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("MZ this is not a style file", file);
    ASSERT_EQ(std::fclose(file), 0);
    enable_(nullptr, nullptr, name);
    EXPECT_EQ(GetThemeAppProperties(), kAllThemed);
    EXPECT_TRUE(DeleteFileA(name)) << "the library must not keep the file open";

    disable_();
    enable_(nullptr, nullptr, nullptr);
    EXPECT_EQ(GetThemeAppProperties(), kAllThemed);
}

// Counts WM_THEMECHANGED per window: the property change reaches windows that
// already exist only through that message.
int g_themeChanges[2];

LRESULT CALLBACK CountingProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_THEMECHANGED) {
        ++g_themeChanges[GetWindowLongPtrA(wnd, GWLP_USERDATA)];
    }
    return DefWindowProcA(wnd, message, wParam, lParam);
}

TEST_F(USkinLibrary, ExistingWindowsAndTheirControlsAreToldToRedraw) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = CountingProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "USkinProbe";
    ASSERT_TRUE(RegisterClassA(&cls) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    HWND top = CreateWindowExA(0, "USkinProbe", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               cls.hInstance, nullptr);
    ASSERT_NE(top, nullptr);
    HWND child =
        CreateWindowExA(0, "USkinProbe", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(child, nullptr);
    SetWindowLongPtrA(top, GWLP_USERDATA, 0);
    SetWindowLongPtrA(child, GWLP_USERDATA, 1);
    g_themeChanges[0] = g_themeChanges[1] = 0;

    enable_(nullptr, nullptr, "skin.msstyles");
    EXPECT_GE(g_themeChanges[0], 1) << "top-level window";
    EXPECT_GE(g_themeChanges[1], 1) << "child window";

    const int before[2] = {g_themeChanges[0], g_themeChanges[1]};
    disable_();
    EXPECT_GT(g_themeChanges[0], before[0]);
    EXPECT_GT(g_themeChanges[1], before[1]);

    DestroyWindow(top);
}

}  // namespace

#pragma once
// Tests of this program run again in a new process at another scaling: the
// prefix's LogPixels is raised while the child starts and put back after.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// The screen's DPI in this process; when a parent asked for one, it must be
// that one. Call under ASSERT_NO_FATAL_FAILURE.
inline void ExpectAskedDpi(int& dpi) {
    HDC screen = ::GetDC(nullptr);
    dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    if (const char* asked = std::getenv("PELLUCORDA_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(asked)) << "the scaling asked for";
    }
}

// Runs the tests `filter` names in a new process of this program at `dpi`;
// its exit code, 1 when it did not start.
inline DWORD RunTestsAtDpi(const char* filter, DWORD dpi) {
    const char kDesktop[] = "Control Panel\\Desktop";
    DWORD saved = 0;
    DWORD size = sizeof saved;
    const bool hadValue = RegGetValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", RRF_RT_REG_DWORD, nullptr, &saved,
                                       &size) == ERROR_SUCCESS;
    if (RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &dpi, sizeof dpi) != ERROR_SUCCESS) {
        return 1;
    }
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string command = std::string("\"") + module + "\" --gtest_filter=" + filter;
    SetEnvironmentVariableA("PELLUCORDA_EXPECT_DPI", std::to_string(dpi).c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA("PELLUCORDA_EXPECT_DPI", nullptr);
    DWORD exitCode = 1;
    if (started) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    hadValue ? RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &saved, sizeof saved)
             : RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
    return exitCode;
}

// The auto-run value as the uninstall reads it, against the system's own short
// names and environment strings: every spelling Windows runs names the program.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "core/settings/settings.h"
#include "setup/auto_run_owner.h"
#include "setup/auto_run_value.h"
#include "support/temp_folder.h"

namespace {

bool RunValueStarts(DWORD type, const std::string& text, const std::string& program) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, type, text.c_str(),
                    static_cast<DWORD>(text.size() + 1));
    std::string command;
    const bool starts = ReadAutoRun(command) && CommandStartsProgram(command, program, &SystemLongPaths());
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
    return starts;
}

TEST(AutoRunValueTest, ExpandedShortOrVerbatimTheValueNamesTheRemovedProgram) {
    const std::string folder = MakeTempFolder("arv") + "\\Pellucorda Programs", program = folder + "\\pellucorda.exe";
    CreateDirectoryA(folder.c_str(), nullptr);
    CloseHandle(CreateFileA(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    char shortFolder[MAX_PATH] = {}, shortProgram[MAX_PATH] = {};
    GetShortPathNameA(folder.c_str(), shortFolder, MAX_PATH);
    GetShortPathNameA(program.c_str(), shortProgram, MAX_PATH);
    ASSERT_STRNE(shortFolder, folder.c_str()) << "no short names here";
    SetEnvironmentVariableA("PELLUCORDA_TEST_FOLDER", folder.c_str());

    EXPECT_TRUE(RunValueStarts(REG_EXPAND_SZ, "\"%PELLUCORDA_TEST_FOLDER%\\pellucorda.exe\"", program));
    EXPECT_TRUE(RunValueStarts(REG_SZ, shortProgram, program));
    EXPECT_TRUE(RunValueStarts(REG_SZ, "\"\\\\?\\" + program + "\"", program));
    // The deferred uninstall may look after the file has gone.
    DeleteFileA(program.c_str());
    EXPECT_TRUE(RunValueStarts(REG_SZ, std::string(shortFolder) + "\\pellucorda.exe", program));
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(folder.substr(0, folder.rfind('\\')).c_str());
}

}  // namespace

// Whose auto-run value it is: the uninstall removes the value only when it
// starts the removed program, so a copy kept elsewhere and an auto-run the
// user switched off survive it.
#include <gtest/gtest.h>

#include "setup/auto_run_owner.h"

namespace {

const char kInstalled[] = "C:\\Users\\Ann\\AppData\\Local\\Programs\\Pellucorda\\pellucorda.exe";

TEST(AutoRunOwnerTest, TheValuesTheProgramWritesForItselfAreItsOwn) {
    EXPECT_TRUE(CommandStartsProgram(kInstalled, kInstalled));
    // The program quotes a path with a blank in it.
    EXPECT_TRUE(CommandStartsProgram("\"C:\\Users\\Ann Lee\\Pellucorda\\pellucorda.exe\"",
                                     "C:\\Users\\Ann Lee\\Pellucorda\\pellucorda.exe"));
    // Windows does not tell these spellings apart; neither may the uninstall.
    EXPECT_TRUE(
        CommandStartsProgram("c:\\users\\ann\\appdata\\local\\programs\\pellucorda\\PELLUCORDA.EXE", kInstalled));
    EXPECT_TRUE(CommandStartsProgram("C:/Users/Ann/AppData/Local/Programs/Pellucorda/pellucorda.exe", kInstalled));
    EXPECT_TRUE(CommandStartsProgram(std::string("  \"") + kInstalled + "\" /minimized ", kInstalled));
}

TEST(AutoRunOwnerTest, AnotherCopyOrAnEmptyValueIsNotTheRemovedPrograms) {
    // Auto-run switched off: the program keeps the value, empty.
    EXPECT_FALSE(CommandStartsProgram("", kInstalled));
    EXPECT_FALSE(CommandStartsProgram("   ", kInstalled));
    // The same program unpacked from the zip elsewhere.
    EXPECT_FALSE(CommandStartsProgram("\"D:\\Portable Apps\\Pellucorda\\pellucorda.exe\"", kInstalled));
    // Names that only begin or end like the installed one.
    EXPECT_FALSE(CommandStartsProgram(std::string(kInstalled) + ".old", kInstalled));
    EXPECT_FALSE(
        CommandStartsProgram("C:\\Users\\Ann\\AppData\\Local\\Programs\\Pellucorda2\\pellucorda.exe", kInstalled));
    EXPECT_FALSE(CommandStartsProgram("X" + std::string(kInstalled), kInstalled));
    // A quote that never closes names nothing for certain.
    EXPECT_FALSE(CommandStartsProgram(std::string("\"") + kInstalled, kInstalled));
    // Nothing is known about the removed program.
    EXPECT_FALSE(CommandStartsProgram(kInstalled, ""));
}

TEST(AutoRunOwnerTest, ShortNamesAndTheVerbatimPrefixNameTheSameProgram) {
    const std::string folder = "C:\\Users\\Ann Lee\\Pellucorda", program = folder + "\\pellucorda.exe";
    const std::string shortFolder = "C:\\Users\\ANNLEE~1\\PELLUC~1";
    // What the system still knows once the uninstall has removed the file.
    struct KnownFolder : LongPathLookup {
        KnownFolder(const std::string& shortPath, const std::string& longPath)
            : shortName(shortPath), longName(longPath) {}
        std::string LongPath(const std::string& path) const override { return path == shortName ? longName : ""; }
        std::string shortName, longName;
    };
    const KnownFolder lookup(shortFolder, folder);
    EXPECT_TRUE(CommandStartsProgram("\\\\?\\UNC\\host\\share\\p.exe", "\\\\host\\share\\p.exe"));
    EXPECT_TRUE(CommandStartsProgram(shortFolder + "\\pellucorda.exe", program, &lookup));
    EXPECT_TRUE(CommandStartsProgram(program, shortFolder + "\\pellucorda.exe", &lookup));
    EXPECT_FALSE(CommandStartsProgram("C:\\Users\\ANNLEE~1\\PELLUC~2\\pellucorda.exe", program, &lookup));
}

}  // namespace

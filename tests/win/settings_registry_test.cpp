// Settings against the real registry, through the Win32 side, on keys of the
// test's own; and the in-memory registry held against the real one, call for
// call, so the native settings tests mean what they say.
#include <windows.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "base/current_directory.h"
#include "base/registry_win32.h"
#include "core/settings/settings.h"
#include "fixed_directory.h"
#include "memory_registry.h"

namespace {

std::vector<BYTE> Raw(HKEY root, const std::string& key, const char* name, DWORD& type) {
    HKEY opened = nullptr;
    type = REG_NONE;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return {};
    }
    DWORD size = 0;
    std::vector<BYTE> data;
    if (RegQueryValueExA(opened, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        EXPECT_EQ(RegQueryValueExA(opened, name, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
        data.resize(size);
    }
    RegCloseKey(opened);
    return data;
}

std::vector<BYTE> Buffer(const std::string& text) {
    std::vector<BYTE> data(kSettingBufferSize, 0);
    std::copy(text.begin(), text.end(), data.begin());
    return data;
}

std::vector<BYTE> Terminated(const std::string& text) {
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

void PutString(HKEY root, const std::string& key, const char* name, const std::string& text) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(opened);
}

// Keys of this test process only, removed before and after each test.
class SettingsRegistryTest : public ::testing::Test {
protected:
    SettingsRegistryTest()
        : base("Software\\PellucordaTests\\Settings" + std::to_string(GetCurrentProcessId())),
          classes("PellucordaTests.Settings" + std::to_string(GetCurrentProcessId())) {
        keys.config = base + "\\Config";
        keys.run = base + "\\Run";
        keys.browser = classes + "\\shell\\open\\command";
    }
    void SetUp() override {
        Clean();
        HKEY run = nullptr;
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, keys.run.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr),
            ERROR_SUCCESS);
        RegCloseKey(run);
        char dir[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof dir, dir);
        program = std::string(dir) + "\\pellucorda.exe";
    }
    void TearDown() override { Clean(); }
    void Clean() {
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, classes.c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, classes.c_str());
    }
    std::vector<BYTE> Config(const char* name, DWORD expectedType) {
        DWORD type = REG_NONE;
        std::vector<BYTE> data = Raw(HKEY_CURRENT_USER, keys.config, name, type);
        EXPECT_EQ(type, expectedType) << name;
        return data;
    }
    std::vector<BYTE> Run(DWORD& type) { return Raw(HKEY_CURRENT_USER, keys.run, kRunValueName, type); }

    std::string base, classes, program;
    SettingsKeys keys;
    RegistryWin32 registry;
};

TEST_F(SettingsRegistryTest, NewKeyGetsItsDefaultsWithTheirTypesAndSizes) {
    // The process's own current directory, through the Win32 seam.
    Settings settings(registry, ProcessCurrentDirectory(), keys);
    settings.LoadFromRegistry();

    EXPECT_EQ(Config(kWebClientValue, REG_SZ), Buffer(""));
    EXPECT_EQ(Config(kTelnetClientValue, REG_SZ), Buffer(""));
    EXPECT_EQ(Config(kSetupPathValue, REG_SZ), Buffer(program));
    EXPECT_EQ(Config(kBackupPathValue, REG_SZ), Buffer(program.substr(0, program.rfind('\\'))));
    EXPECT_EQ(Config(kEnableHotKeyValue, REG_BINARY), std::vector<BYTE>{1});
    EXPECT_EQ(Config(kAlphaValue, REG_BINARY), std::vector<BYTE>{255});
    EXPECT_EQ(Config(kLogoutTimeValue, REG_BINARY), std::vector<BYTE>{0});
    EXPECT_EQ(Config(kHotKeyValue, REG_DWORD), (std::vector<BYTE>{'A', MOD_WIN, 0, 0}));
    EXPECT_EQ(Config(kClipboardSecondsValue, REG_DWORD), (std::vector<BYTE>{20, 0, 0, 0}));
    // What the registry hands back as a DWORD reads back as written.
    Settings again(registry, ProcessCurrentDirectory(), keys);
    again.LoadFromRegistry();
    EXPECT_EQ(again.GetHotKey(), MakeHotKey(MOD_WIN, 'A'));
    EXPECT_EQ(again.GetClipboardSeconds(), 20u);
    DWORD type = REG_NONE;
    const std::string expectedRun = program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
    EXPECT_EQ(Run(type), Terminated(expectedRun));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(settings.IsAutoRun());
    EXPECT_EQ(settings.GetSetupPath(), program);
}

TEST_F(SettingsRegistryTest, ExistingKeyWithMissingValuesAndTheRunValueStates) {
    PutString(HKEY_CURRENT_USER, keys.config, kSetupPathValue, "C:\\Program Files\\P\\pellucorda.exe");
    PutString(HKEY_CURRENT_USER, keys.run, kRunValueName, "");
    {
        const FixedDirectory unused("C:\\unused");
        Settings settings(registry, unused, keys);
        settings.LoadFromRegistry();
        EXPECT_EQ(Config(kBackupPathValue, REG_SZ), Buffer(""));
        EXPECT_EQ(Config(kEnableHotKeyValue, REG_BINARY), std::vector<BYTE>{0});
        EXPECT_EQ(Config(kAlphaValue, REG_BINARY), std::vector<BYTE>{255});
        EXPECT_FALSE(settings.IsHotKeyEnabled());
        EXPECT_FALSE(settings.IsAutoRun());
        DWORD type = REG_NONE;
        EXPECT_EQ(Run(type), Terminated("")) << "an empty auto-run value is not rewritten";
    }
    const std::string quoted = "\"C:\\Program Files\\P\\pellucorda.exe\"";
    PutString(HKEY_CURRENT_USER, keys.run, kRunValueName, "C:\\Old\\pellucorda.exe");
    {
        Settings settings(registry, ProcessCurrentDirectory(), keys);
        settings.SetProgramPath("C:\\Program Files\\P\\pellucorda.exe");
        settings.LoadFromRegistry();
        EXPECT_TRUE(settings.IsAutoRun());
        DWORD type = REG_NONE;
        EXPECT_EQ(Run(type), Terminated(quoted));
        settings.SaveValue(SettingAutoRun, 0);
        EXPECT_EQ(Run(type), std::vector<BYTE>(256, 0));
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_FALSE(settings.IsAutoRun());
    }
    ASSERT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, keys.run.c_str(), kRunValueName), ERROR_SUCCESS);
    {
        Settings settings(registry, ProcessCurrentDirectory(), keys);
        settings.SetProgramPath("C:\\Program Files\\P\\pellucorda.exe");
        settings.LoadFromRegistry();
        EXPECT_TRUE(settings.IsAutoRun());
        DWORD type = REG_NONE;
        EXPECT_EQ(Run(type), Terminated(quoted));
    }
}

TEST_F(SettingsRegistryTest, SavesStoreTheTextWithItsZeroAndBoundedBytes) {
    Settings settings(registry, ProcessCurrentDirectory(), keys);
    settings.LoadFromRegistry();
    settings.SavePath(SettingWebClient, std::string(300, 'w'));
    EXPECT_EQ(Config(kWebClientValue, REG_SZ), Terminated(std::string(255, 'w')));
    settings.SaveValue(SettingAlpha, 100);
    EXPECT_EQ(Config(kAlphaValue, REG_BINARY), std::vector<BYTE>{128});
    settings.SetLogoutTime(75);
    EXPECT_EQ(Config(kLogoutTimeValue, REG_BINARY), std::vector<BYTE>{60});
    EXPECT_EQ(settings.GetLogoutTime(), 60);
}

TEST_F(SettingsRegistryTest, BrowserKeyThatRefusesFullAccessIsStillRead) {
    PutString(HKEY_CLASSES_ROOT, keys.browser, "", "\"C:\\Program Files\\Web\\web.exe\" -- \"%1\"");
    // Everyone may read the key and nobody may change it, as for a standard
    // user's view of HKEY_CLASSES_ROOT.
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, keys.browser.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    RegCloseKey(key);
    LocalFree(readOnly);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, keys.browser.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);

    Settings settings(registry, ProcessCurrentDirectory(), keys);
    settings.DetectBrowser();
    EXPECT_EQ(settings.GetBrowserCommand(), "\"C:\\Program Files\\Web\\web.exe\"");

    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1, &open, nullptr));
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, keys.browser.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, open), ERROR_SUCCESS);
    RegCloseKey(key);
    LocalFree(open);
}

TEST_F(SettingsRegistryTest, ProgramsOwnBrowserKeyGivesAQuotedPathWithoutArguments) {
    Settings settings;  // the program's registry, directory and keys
    settings.DetectBrowser();
    const std::string command = settings.GetBrowserCommand();
    // Wine's prefix names its own browser helper here.
    ASSERT_FALSE(command.empty());
    EXPECT_EQ(command.front(), '"');
    EXPECT_EQ(command.back(), '"');
    EXPECT_EQ(command.find("%1"), std::string::npos);
}

// The same calls on both registries must give the same answers.
TEST(RegistryWin32Test, AnswersAsTheInMemoryRegistryDoes) {
    const std::string path = "Software\\PellucordaTests\\Conformance" + std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    RegistryWin32 win32;
    MemoryRegistry memory;
    struct Answer {
        long result;
        std::uint32_t size, type;
        std::string data;
        bool operator==(const Answer& o) const {
            return result == o.result && size == o.size && type == o.type && data == o.data;
        }
    };
    auto script = [&path](Registry& r) {
        std::vector<Answer> answers;
        RegistryKey key = nullptr;
        RegistryDisposition disposition{};
        answers.push_back({r.CreateKey(RegistryRoot::CurrentUser, (path + "\\K").c_str(), key, disposition),
                           static_cast<std::uint32_t>(disposition), 0, ""});
        const auto* text = reinterpret_cast<const std::uint8_t*>("abc\0");
        // Not followed by a zero, so the real registry keeps it unterminated.
        const auto* open = reinterpret_cast<const std::uint8_t*>("abcX");
        // Set in name order: the real registry enumerates in that order.
        answers.push_back({r.SetValue(key, "Raw", kRegBinary, open, 3), 0, 0, ""});
        answers.push_back({r.SetValue(key, "Term", kRegSz, text, 4), 0, 0, ""});
        answers.push_back({r.SetValue(key, "Text", kRegSz, open, 3), 0, 0, ""});
        answers.push_back({r.SetValue(key, "Zero", kRegBinary, text, 0), 0, 0, ""});
        for (const char* name : {"Term", "TERM", "Text", "Raw", "Zero", "Missing"}) {
            for (std::uint32_t room : {0u, 2u, 3u, 4u, 8u}) {
                std::uint8_t buffer[8];
                std::fill(std::begin(buffer), std::end(buffer), 0xEE);
                std::uint32_t size = room, type = 99;
                const long result = r.QueryValue(key, name, &type, room ? buffer : nullptr, &size);
                answers.push_back(
                    {result, size, type, result == kRegOk ? std::string(reinterpret_cast<char*>(buffer), 8) : ""});
            }
        }
        for (std::uint32_t index : {0u, 4u}) {
            char name[8] = {};
            std::uint8_t data[8] = {};
            std::uint32_t nameSize = sizeof name, dataSize = sizeof data, type = 0;
            const long result = r.EnumValue(key, index, name, &nameSize, &type, data, &dataSize);
            answers.push_back(
                {result, dataSize, type, std::string(name) + std::string(reinterpret_cast<char*>(data), 8)});
        }
        r.CloseKey(key);
        answers.push_back({r.CreateKey(RegistryRoot::CurrentUser, (path + "\\k").c_str(), key, disposition),
                           static_cast<std::uint32_t>(disposition), 0, ""});
        r.CloseKey(key);
        answers.push_back(
            {r.OpenKey(RegistryRoot::CurrentUser, (path + "\\K\\Missing").c_str(), RegistryAccess::Read, key), 0, 0,
             ""});
        answers.push_back(
            {r.OpenKey(RegistryRoot::CurrentUser, (path + "\\K").c_str(), RegistryAccess::Read, key), 0, 0, ""});
        answers.push_back({r.SetValue(key, "Text", kRegSz, text, 4), 0, 0, ""});
        r.CloseKey(key);
        return answers;
    };
    const std::vector<Answer> real = script(win32);
    const std::vector<Answer> modelled = script(memory);
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    ASSERT_EQ(real.size(), modelled.size());
    for (std::size_t i = 0; i < real.size(); ++i) {
        EXPECT_TRUE(real[i] == modelled[i])
            << "call " << i << ": real " << real[i].result << "/" << real[i].size << "/" << real[i].type << " modelled "
            << modelled[i].result << "/" << modelled[i].size << "/" << modelled[i].type;
    }
}

}  // namespace

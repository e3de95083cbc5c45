// Settings over the in-memory registry: what each operation stores (names,
// types, sizes), the bounds, the defaults of a first start, and what is left
// alone when the registry refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "core/settings/settings.h"
#include "fixed_directory.h"
#include "memory_registry.h"

namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;
const std::string kDir = "C:\\Tools\\Pellucorda";
const std::string kProgram = kDir + "\\pellucorda.exe";

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() { registry.PutKey(kUser, kRunKeyPath); }
    // Every step closes what it opened, whatever happened.
    void TearDown() override { EXPECT_EQ(registry.OpenKeyCount(), 0u); }

    std::vector<std::uint8_t> Data(const std::string& name, std::uint32_t expectedType,
                                   const std::string& key = kConfigKeyPath) {
        std::uint32_t type = kRegNone;
        std::vector<std::uint8_t> data;
        EXPECT_TRUE(registry.GetValue(kUser, key, name, type, data)) << name;
        EXPECT_EQ(type, expectedType) << name;
        return data;
    }
    // A string as the load writes it: the text, then zeros to 256 bytes.
    void ExpectBuffer(const std::string& name, const std::string& text) {
        std::vector<std::uint8_t> expected(kSettingBufferSize, 0);
        std::copy(text.begin(), text.end(), expected.begin());
        EXPECT_EQ(Data(name, kRegSz), expected) << name;
    }
    void ExpectByte(const std::string& name, std::uint8_t byte) {
        EXPECT_EQ(Data(name, kRegBinary), std::vector<std::uint8_t>{byte}) << name;
    }
    void ExpectDword(const std::string& name, std::uint32_t value) {
        const std::vector<std::uint8_t> expected = {std::uint8_t(value), std::uint8_t(value >> 8),
                                                    std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
        EXPECT_EQ(Data(name, kRegDword), expected) << name;
    }
    void PutConfigDword(const std::string& name, std::uint32_t value) {
        registry.PutValue(kUser, kConfigKeyPath, name, kRegDword, &value, 4);
    }
    // The text and its zero, as SavePath and the auto-run writes store it.
    void ExpectText(const std::string& key, const std::string& name, const std::string& text) {
        std::vector<std::uint8_t> expected(text.begin(), text.end());
        expected.push_back(0);
        EXPECT_EQ(Data(name, kRegSz, key), expected) << name;
    }
    void PutConfig(const std::string& name, const std::string& text) {
        registry.PutString(kUser, kConfigKeyPath, name, text);
    }
    void PutConfigByte(const std::string& name, std::uint8_t byte) {
        registry.PutByte(kUser, kConfigKeyPath, name, byte);
    }
    void PutRun(const std::string& text) { registry.PutString(kUser, kRunKeyPath, kRunValueName, text); }
    std::string RunText() const { return registry.GetText(kUser, kRunKeyPath, kRunValueName); }
    std::string Browser(const std::string& command) {
        registry.PutString(kClasses, kBrowserKeyPath, "", command);
        settings.DetectBrowser();
        return settings.GetBrowserCommand();
    }

    MemoryRegistry registry;
    FixedDirectory directory{kDir};
    Settings settings{registry, directory};
};

TEST_F(SettingsTest, FirstStartCreatesTheKeyWithDefaultsAndSwitchesAutoRunOn) {
    settings.LoadFromRegistry();

    for (const char* name : {kWebClientValue, kFtpClientValue, kTelnetClientValue}) {
        ExpectBuffer(name, "");
    }
    ExpectBuffer(kSetupPathValue, kProgram);
    ExpectBuffer(kBackupPathValue, kDir);
    ExpectByte(kEnableHotKeyValue, 1);
    ExpectByte(kAlphaValue, 255);
    ExpectByte(kLogoutTimeValue, 0);
    ExpectDword(kHotKeyValue, 0x841);          // Windows+A
    ExpectDword(kAutoTypeHotKeyValue, 0x341);  // Ctrl+Alt+A
    ExpectDword(kClipboardSecondsValue, 20);
    ExpectByte(kLockOnSessionLockValue, 1);
    ExpectByte(kIdleMinutesValue, 0);
    ExpectText(kRunKeyPath, kRunValueName, kProgram);

    EXPECT_EQ(settings.GetSetupPath(), kProgram);
    EXPECT_EQ(settings.GetBackupPath(), kDir);
    EXPECT_TRUE(settings.IsHotKeyEnabled());
    EXPECT_TRUE(settings.IsAutoRun());
    EXPECT_EQ(settings.GetAlpha(), 255);
    EXPECT_EQ(settings.GetLogoutTime(), 0);
}

TEST_F(SettingsTest, ExistingKeyLoadsStoredValuesAndCreatesMissingOnesEmpty) {
    PutConfig(kWebClientValue, "web.exe %s");
    PutConfig(kSetupPathValue, "D:\\Old\\pellucorda.exe");
    PutConfigByte(kAlphaValue, 200);
    PutConfigByte(kLogoutTimeValue, 15);

    settings.LoadFromRegistry();

    EXPECT_EQ(settings.GetWebClient(), "web.exe %s");
    ExpectBuffer(kWebClientValue, "web.exe %s");
    ExpectBuffer(kFtpClientValue, "");
    EXPECT_EQ(settings.GetSetupPath(), kProgram) << "the program that runs, not the one stored";
    ExpectBuffer(kSetupPathValue, kProgram);
    // A new key's defaults are not applied to an existing one.
    EXPECT_EQ(settings.GetBackupPath(), "");
    ExpectBuffer(kBackupPathValue, "");
    EXPECT_FALSE(settings.IsHotKeyEnabled());
    ExpectByte(kEnableHotKeyValue, 0);
    EXPECT_EQ(settings.GetAlpha(), 200);
    EXPECT_EQ(settings.GetLogoutTime(), 15);
}

// A copy started elsewhere (moved, unpacked anew, installed) takes over
// auto-run and, when it was the previous program's folder, the backup folder;
// a backup folder the user chose stays.
TEST_F(SettingsTest, SetupPathAutoRunAndTheDefaultBackupFollowTheProgram) {
    const std::string moved = "E:\\My Tools\\pellucorda.exe";
    struct Case {
        const char* setupPath;
        const char* backupPath;
        std::string backupAfter;
        const char* previous;
    };
    const Case cases[] = {
        {"D:\\Old\\pellucorda.exe", "D:\\Old", "E:\\My Tools", "D:\\Old\\pellucorda.exe"},
        {"d:\\old\\PELLUCORDA.EXE", "D:/Old/", "E:\\My Tools", "d:\\old\\PELLUCORDA.EXE"},
        {"C:\\pellucorda.exe", "C:\\", "E:\\My Tools", "C:\\pellucorda.exe"},
        {"D:\\Old\\pellucorda.exe", "F:\\Backups", "F:\\Backups", "D:\\Old\\pellucorda.exe"},
        {"e:\\my tools\\pellucorda.exe", "e:\\my tools", "e:\\my tools", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setupPath + std::string(" / ") + c.backupPath);
        PutConfig(kSetupPathValue, c.setupPath);
        PutConfig(kBackupPathValue, c.backupPath);
        PutRun(std::string("\"") + c.setupPath + "\"");
        Settings started(registry, directory);
        started.SetProgramPath(moved);
        started.LoadFromRegistry();
        EXPECT_EQ(started.GetSetupPath(), moved);
        ExpectBuffer(kSetupPathValue, moved);
        EXPECT_EQ(started.GetBackupPath(), c.backupAfter);
        ExpectBuffer(kBackupPathValue, c.backupAfter);
        EXPECT_EQ(started.GetPreviousSetupPath(), c.previous);
        EXPECT_EQ(RunText(), "\"" + moved + "\"");
    }
}

// A key written by a version that had none of these values must keep
// Windows+A and get the protections switched on, not zeros.
TEST_F(SettingsTest, LaterValuesMissingOrForeignLoadTheirDefaults) {
    PutConfigByte(kAlphaValue, 200);
    registry.PutValue(kUser, kConfigKeyPath, kClipboardSecondsValue, kRegBinary, "\x05", 1);
    registry.PutValue(kUser, kConfigKeyPath, kIdleMinutesValue, kRegDword, "\x05\0\0\0", 4);
    settings.LoadFromRegistry();

    EXPECT_EQ(settings.GetHotKey(), kDefaultHotKey);
    EXPECT_EQ(settings.GetAutoTypeHotKey(), kDefaultAutoTypeHotKey);
    EXPECT_EQ(settings.GetClipboardSeconds(), kDefaultClipboardSeconds);
    EXPECT_TRUE(settings.IsLockOnSessionLock());
    EXPECT_EQ(settings.GetIdleMinutes(), 0);
    ExpectDword(kHotKeyValue, kDefaultHotKey);
    ExpectDword(kClipboardSecondsValue, 20);
    ExpectByte(kLockOnSessionLockValue, 1);
    ExpectByte(kIdleMinutesValue, 0);
}

TEST_F(SettingsTest, LaterValuesAreBoundedAtLoadAndWrittenBack) {
    PutConfigDword(kHotKeyValue, 0xFFFF0000u | MakeHotKey(kHotKeyModControl | kHotKeyModAlt, 'P') | 0xF000);
    PutConfigDword(kClipboardSecondsValue, 100000);
    PutConfigByte(kLockOnSessionLockValue, 0);
    PutConfigByte(kIdleMinutesValue, 200);
    settings.LoadFromRegistry();

    EXPECT_EQ(settings.GetHotKey(), MakeHotKey(kHotKeyModControl | kHotKeyModAlt, 'P'));
    EXPECT_EQ(settings.GetClipboardSeconds(), 3600u);
    EXPECT_FALSE(settings.IsLockOnSessionLock());
    EXPECT_EQ(settings.GetIdleMinutes(), 60);
    ExpectDword(kHotKeyValue, 0x350);
    ExpectDword(kClipboardSecondsValue, 3600);
    ExpectByte(kIdleMinutesValue, 60);

    // A hotkey without a key is no hotkey, and one without Ctrl, Alt or
    // Windows would take a plain key from every program: the default comes back.
    for (std::uint32_t stored : {MakeHotKey(kHotKeyModWin, 0), MakeHotKey(0, 'P'), MakeHotKey(kHotKeyModShift, 'P')}) {
        PutConfigDword(kHotKeyValue, stored);
        settings.LoadFromRegistry();
        EXPECT_EQ(settings.GetHotKey(), kDefaultHotKey) << stored;
    }
}

TEST_F(SettingsTest, ExistingKeyWithEmptySetupPathGetsTheDefault) {
    PutConfig(kSetupPathValue, "");
    settings.LoadFromRegistry();
    EXPECT_EQ(settings.GetSetupPath(), kProgram);
    ExpectBuffer(kSetupPathValue, kProgram);
}

TEST_F(SettingsTest, StoredBytesAreBoundedAtLoadAndWrittenBack) {
    struct Case {
        std::uint8_t stored, alpha, logout;
    };
    for (const Case& c : {Case{100, 255, 60}, Case{127, 255, 60}, Case{128, 128, 60}, Case{61, 255, 60},
                          Case{60, 255, 60}, Case{0, 255, 0}}) {
        MemoryRegistry fresh;
        fresh.PutByte(kUser, kConfigKeyPath, kAlphaValue, c.stored);
        fresh.PutByte(kUser, kConfigKeyPath, kLogoutTimeValue, c.stored);
        fresh.PutByte(kUser, kConfigKeyPath, kEnableHotKeyValue, c.stored);
        Settings loaded(fresh, directory);
        loaded.LoadFromRegistry();
        EXPECT_EQ(loaded.GetAlpha(), c.alpha) << int(c.stored);
        EXPECT_EQ(loaded.GetLogoutTime(), c.logout) << int(c.stored);
        EXPECT_EQ(loaded.IsHotKeyEnabled(), c.stored != 0) << int(c.stored);
        EXPECT_EQ(fresh.GetText(kUser, kConfigKeyPath, kAlphaValue), std::string(1, char(c.alpha)));
        // The hotkey byte goes back as it was, not as a flag.
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        ASSERT_TRUE(fresh.GetValue(kUser, kConfigKeyPath, kEnableHotKeyValue, type, data));
        EXPECT_EQ(data, std::vector<std::uint8_t>{c.stored});
    }
}

TEST_F(SettingsTest, HostileStoredValuesLoadAsNothingRatherThanPartly) {
    // Too long for the 256-byte buffer: the registry may leave the leading
    // bytes behind, which must not become a cut path or a bogus byte.
    PutConfig(kWebClientValue, std::string(300, 'w'));
    const std::uint32_t dwordAlpha = 200;
    registry.PutValue(kUser, kConfigKeyPath, kAlphaValue, kRegDword, &dwordAlpha, 4);
    const std::uint32_t dwordLogout = 30;
    registry.PutValue(kUser, kConfigKeyPath, kLogoutTimeValue, kRegDword, &dwordLogout, 4);
    // Exactly 256 bytes without a zero, and an unterminated binary.
    registry.PutValue(kUser, kConfigKeyPath, kFtpClientValue, kRegSz, std::string(256, 'f').data(), 256);
    registry.PutValue(kUser, kConfigKeyPath, kTelnetClientValue, kRegBinary, "tel", 3);
    registry.PutValue(kUser, kConfigKeyPath, kEnableHotKeyValue, kRegBinary, "", 0);

    settings.LoadFromRegistry();

    EXPECT_EQ(settings.GetWebClient(), "");
    EXPECT_EQ(settings.GetAlpha(), 255);
    EXPECT_EQ(settings.GetLogoutTime(), 0);
    EXPECT_EQ(settings.GetFtpClient(), std::string(255, 'f'));
    EXPECT_EQ(settings.GetTelnetClient(), "tel");
    EXPECT_FALSE(settings.IsHotKeyEnabled());
}

TEST_F(SettingsTest, AutoRunValueDecidesTheFlagAndFollowsTheProgram) {
    PutRun("");
    settings.LoadFromRegistry();
    EXPECT_FALSE(settings.IsAutoRun());
    EXPECT_TRUE(registry.HasValue(kUser, kRunKeyPath, kRunValueName));
    for (const auto& write : registry.Writes()) {
        EXPECT_NE(write.name, kRunValueName) << "an empty auto-run value is left alone";
    }

    PutRun("D:\\Moved\\pellucorda.exe");
    settings.LoadFromRegistry();
    EXPECT_TRUE(settings.IsAutoRun());
    ExpectText(kRunKeyPath, kRunValueName, kProgram);

    // Too long to read counts as missing: written afresh.
    PutRun(std::string(300, 'r'));
    Settings again(registry, directory);
    again.LoadFromRegistry();
    EXPECT_TRUE(again.IsAutoRun());
    ExpectText(kRunKeyPath, kRunValueName, kProgram);
}

// The second start of an unchanged program writes nothing.
TEST_F(SettingsTest, AStartWritesOnlyWhatItChanges) {
    settings.LoadFromRegistry();
    EXPECT_FALSE(registry.Writes().empty());
    registry.ClearWrites();
    Settings second(registry, directory);
    second.LoadFromRegistry();
    EXPECT_TRUE(registry.Writes().empty());
}

TEST_F(SettingsTest, WithoutTheRunKeyAutoRunStaysOffAndNothingIsCreated) {
    MemoryRegistry bare;
    Settings loaded(bare, directory);
    loaded.LoadFromRegistry();
    EXPECT_FALSE(loaded.IsAutoRun());
    EXPECT_FALSE(bare.HasKey(kUser, kRunKeyPath));
    EXPECT_EQ(loaded.GetSetupPath(), kProgram);
}

TEST_F(SettingsTest, SwitchingAutoRunWritesTheValueAndNeverDeletesIt) {
    settings.LoadFromRegistry();
    settings.SaveValue(SettingAutoRun, 0);
    EXPECT_FALSE(settings.IsAutoRun());
    EXPECT_EQ(Data(kRunValueName, kRegSz, kRunKeyPath), std::vector<std::uint8_t>(256, 0));

    settings.SaveValue(SettingAutoRun, 7);
    EXPECT_TRUE(settings.IsAutoRun());
    ExpectText(kRunKeyPath, kRunValueName, kProgram);
}

TEST_F(SettingsTest, AutoRunQuotesAProgramPathWithBlanks) {
    directory.path = "C:\\Program Files\\Pellucorda";
    const std::string program = directory.path + "\\pellucorda.exe";
    const std::string quoted = "\"" + program + "\"";

    settings.LoadFromRegistry();  // first start
    ExpectText(kRunKeyPath, kRunValueName, quoted);
    EXPECT_EQ(settings.GetSetupPath(), program);
    ExpectBuffer(kSetupPathValue, program);

    PutRun("old");
    settings.LoadFromRegistry();  // rewrite of a present value
    ExpectText(kRunKeyPath, kRunValueName, quoted);

    settings.SaveValue(SettingAutoRun, 0);
    settings.SaveValue(SettingAutoRun, 1);
    ExpectText(kRunKeyPath, kRunValueName, quoted);

    // Already quoted stays as it is; the bound applies to the quoted text.
    settings.SavePath(SettingSetupPath, quoted);
    settings.SaveValue(SettingAutoRun, 1);
    ExpectText(kRunKeyPath, kRunValueName, quoted);
    const std::string longPath = "C:\\A B\\" + std::string(247, 'x');
    settings.SavePath(SettingSetupPath, longPath);
    settings.SaveValue(SettingAutoRun, 1);
    ExpectText(kRunKeyPath, kRunValueName, ("\"" + longPath).substr(0, 255));
}

TEST_F(SettingsTest, BrowserCommandKeepsTheQuotedProgramPathOnly) {
    EXPECT_EQ(Browser("\"C:\\Program Files\\Web\\web.exe\" -nohome -- \"%1\""), "\"C:\\Program Files\\Web\\web.exe\"");
    EXPECT_EQ(Browser("\"C:\\Program Files\\Web\\web.exe -- %1"), "\"C:\\Program Files\\Web\\web.exe -- %1");
    EXPECT_EQ(Browser("C:\\Web\\web.exe %1"), "C:\\Web\\web.exe %1");
    EXPECT_EQ(Browser("C:\\Web\\web.exe \"%1\" -x"), "C:\\Web\\web.exe \"%1\"");
    EXPECT_EQ(Browser(""), "");
    // Too long for the buffer: nothing rather than a cut program path.
    EXPECT_EQ(Browser("\"C:\\" + std::string(300, 'p') + "\" %1"), "");
}

TEST_F(SettingsTest, BrowserCommandIsTheFirstValueAndIsReadWithReadAccessOnly) {
    registry.PutString(kClasses, kBrowserKeyPath, "Other", "first.exe");
    registry.PutString(kClasses, kBrowserKeyPath, "", "second.exe");
    // As for a standard user: HKEY_CLASSES_ROOT keys may be read, not changed.
    registry.SetKeyPolicy(kClasses, "", MemoryRegistry::KeyPolicy::ReadOnly);
    registry.SetKeyPolicy(kClasses, kBrowserKeyPath, MemoryRegistry::KeyPolicy::ReadOnly);
    settings.DetectBrowser();
    EXPECT_EQ(settings.GetBrowserCommand(), "first.exe");

    registry.SetKeyPolicy(kClasses, kBrowserKeyPath, MemoryRegistry::KeyPolicy::Denied);
    settings.DetectBrowser();
    EXPECT_EQ(settings.GetBrowserCommand(), "first.exe") << "an unopenable key changes nothing";
}

TEST_F(SettingsTest, SavePathCutsTo255AndWritesOnlyTheValueNamed) {
    settings.LoadFromRegistry();
    registry.ClearWrites();
    const std::string longPath(300, 'c');
    EXPECT_TRUE(settings.SavePath(SettingTelnetClient, longPath));
    ASSERT_EQ(registry.Writes().size(), 1u);
    EXPECT_EQ(registry.Writes()[0].name, kTelnetClientValue);
    ExpectText(kConfigKeyPath, kTelnetClientValue, longPath.substr(0, 255));
    EXPECT_EQ(settings.GetTelnetClient(), longPath.substr(0, 255));
    EXPECT_EQ(settings.GetSetupPath(), kProgram);
    EXPECT_EQ(settings.GetBackupPath(), kDir);

    const char* names[] = {kWebClientValue, kFtpClientValue, kTelnetClientValue, kSetupPathValue, kBackupPathValue};
    for (int code = 0; code <= 4; ++code) {
        settings.SavePath(code, "path " + std::to_string(code));
        ExpectText(kConfigKeyPath, names[code], "path " + std::to_string(code));
    }
    EXPECT_EQ(settings.GetWebClient(), "path 0");
    EXPECT_EQ(settings.GetFtpClient(), "path 1");
    EXPECT_EQ(settings.GetSetupPath(), "path 3");
    EXPECT_EQ(settings.GetBackupPath(), "path 4");

    registry.ClearWrites();
    EXPECT_FALSE(settings.SavePath(5, "x"));
    EXPECT_FALSE(settings.SavePath(-1, "x"));
    EXPECT_FALSE(settings.SaveValue(4, 1));
    EXPECT_FALSE(settings.SaveValue(14, 1));  // past the last code
    EXPECT_TRUE(registry.Writes().empty());
}

TEST_F(SettingsTest, SaveValueBoundsTheBytes) {
    settings.LoadFromRegistry();
    EXPECT_TRUE(settings.SaveValue(SettingAlpha, 100));
    ExpectByte(kAlphaValue, 128);
    EXPECT_EQ(settings.GetAlpha(), 128);
    settings.SaveValue(SettingAlpha, 300);
    ExpectByte(kAlphaValue, 255);
    settings.SaveValue(SettingAlpha, 200);
    EXPECT_EQ(settings.GetAlpha(), 200);

    EXPECT_TRUE(settings.SaveValue(SettingLogoutTime, 75));
    ExpectByte(kLogoutTimeValue, 60);
    EXPECT_EQ(settings.GetLogoutTime(), 60);
    EXPECT_EQ(settings.GetAlpha(), 200);
    settings.SetLogoutTime(90);
    EXPECT_EQ(settings.GetLogoutTime(), 60);

    EXPECT_TRUE(settings.SaveValue(SettingHotKey, 0));
    ExpectByte(kEnableHotKeyValue, 0);
    settings.SaveValue(SettingHotKey, 42);
    ExpectByte(kEnableHotKeyValue, 1);
    EXPECT_TRUE(settings.IsHotKeyEnabled());

    EXPECT_TRUE(settings.SaveValue(SettingClipboardSeconds, 4000));
    ExpectDword(kClipboardSecondsValue, 3600);
    EXPECT_TRUE(settings.SaveValue(SettingClipboardSeconds, 0));
    EXPECT_EQ(settings.GetClipboardSeconds(), 0u);
    EXPECT_TRUE(settings.SaveValue(SettingIdleMinutes, 61));
    ExpectByte(kIdleMinutesValue, 60);
    EXPECT_TRUE(settings.SaveValue(SettingLockOnSessionLock, 7));
    ExpectByte(kLockOnSessionLockValue, 1);
    EXPECT_TRUE(settings.SaveValue(SettingLockOnSessionLock, 0));
    EXPECT_FALSE(settings.IsLockOnSessionLock());

    const std::uint32_t ctrlAltP = MakeHotKey(kHotKeyModControl | kHotKeyModAlt, 'P');
    EXPECT_TRUE(settings.SaveValue(SettingHotKeyCode, ctrlAltP | 0x10000));
    ExpectDword(kHotKeyValue, ctrlAltP);
    EXPECT_FALSE(settings.SaveValue(SettingHotKeyCode, MakeHotKey(kHotKeyModControl, 0)));
    EXPECT_EQ(settings.GetHotKey(), ctrlAltP);
    ExpectDword(kHotKeyValue, ctrlAltP);
}

TEST_F(SettingsTest, FailedSavesKeepTheOldValues) {
    settings.LoadFromRegistry();
    registry.FailAllWrites(kRegAccessDenied);
    EXPECT_FALSE(settings.SavePath(SettingWebClient, "new.exe"));
    EXPECT_FALSE(settings.SaveValue(SettingAutoRun, 0));
    EXPECT_FALSE(settings.SaveValue(SettingAutoRun, 1));
    EXPECT_FALSE(settings.SaveValue(SettingHotKey, 0));
    EXPECT_FALSE(settings.SaveValue(SettingAlpha, 150));
    EXPECT_FALSE(settings.SaveValue(SettingLogoutTime, 30));
    EXPECT_FALSE(settings.SaveValue(SettingClipboardSeconds, 5));
    EXPECT_FALSE(settings.SaveValue(SettingHotKeyCode, MakeHotKey(kHotKeyModAlt, 'Q')));
    EXPECT_FALSE(settings.SaveValue(SettingIdleMinutes, 5));
    EXPECT_EQ(settings.GetClipboardSeconds(), 20u);
    EXPECT_EQ(settings.GetHotKey(), kDefaultHotKey);
    EXPECT_EQ(settings.GetIdleMinutes(), 0);
    EXPECT_EQ(settings.GetWebClient(), "");
    EXPECT_TRUE(settings.IsAutoRun());
    EXPECT_TRUE(settings.IsHotKeyEnabled());
    EXPECT_EQ(settings.GetAlpha(), 255);
    EXPECT_EQ(settings.GetLogoutTime(), 0);
    // The minutes apply in memory even when they cannot be stored.
    settings.SetLogoutTime(75);
    EXPECT_EQ(settings.GetLogoutTime(), 75);

    // SaveValue opens the Config key but never creates it.
    MemoryRegistry empty;
    Settings unloaded(empty, directory);
    EXPECT_FALSE(unloaded.SaveValue(SettingAlpha, 150));
    EXPECT_FALSE(empty.HasKey(kUser, kConfigKeyPath));
    EXPECT_EQ(unloaded.GetAlpha(), 255);
}

TEST_F(SettingsTest, LoadTakesWhatItReadWhateverTheWriteBackReturns) {
    PutConfig(kWebClientValue, "web.exe");
    PutConfigByte(kAlphaValue, 100);
    registry.FailAllWrites(kRegAccessDenied);
    settings.LoadFromRegistry();
    EXPECT_EQ(settings.GetWebClient(), "web.exe");
    EXPECT_EQ(settings.GetAlpha(), 255);
    EXPECT_EQ(settings.GetSetupPath(), kProgram);
    EXPECT_TRUE(settings.IsAutoRun());
}

TEST_F(SettingsTest, UnopenableConfigKeyNeverBlanksTheAutoRunEntry) {
    registry.SetKeyPolicy(kUser, kConfigKeyPath, MemoryRegistry::KeyPolicy::Denied);
    PutRun("C:\\Mine\\pellucorda.exe");
    settings.LoadFromRegistry();
    EXPECT_EQ(settings.GetSetupPath(), "");
    EXPECT_TRUE(settings.IsAutoRun());
    EXPECT_EQ(RunText(), "C:\\Mine\\pellucorda.exe");
    EXPECT_FALSE(settings.SaveValue(SettingAutoRun, 1)) << "no program path to write";
    EXPECT_EQ(RunText(), "C:\\Mine\\pellucorda.exe");

    registry.RemoveValue(kUser, kRunKeyPath, kRunValueName);
    Settings again(registry, directory);
    again.LoadFromRegistry();
    EXPECT_FALSE(again.IsAutoRun());
    EXPECT_FALSE(registry.HasValue(kUser, kRunKeyPath, kRunValueName));
}

TEST_F(SettingsTest, DefaultsThatWouldPass255CharactersStayEmpty) {
    struct Case {
        std::size_t length;
        bool setupFits, backupFits;
    };
    // The program path adds 15 characters to the directory.
    for (const Case& c : {Case{240, true, true}, Case{241, false, true}, Case{255, false, true},
                          Case{256, false, false}, Case{0, false, false}}) {
        MemoryRegistry fresh;
        const std::string dir = c.length == 0 ? "" : "C:\\" + std::string(c.length - 3, 'd');
        const FixedDirectory current(dir);
        Settings loaded(fresh, current);
        loaded.LoadFromRegistry();
        EXPECT_EQ(loaded.GetSetupPath(), c.setupFits ? dir + "\\pellucorda.exe" : "") << c.length;
        EXPECT_EQ(loaded.GetBackupPath(), c.backupFits ? dir : "") << c.length;
        EXPECT_EQ(fresh.GetText(kUser, kConfigKeyPath, kSetupPathValue), loaded.GetSetupPath());
    }
}

// The in-memory registry answers as the Win32 one does for the calls the
// settings make; the Windows tests hold it against the real registry.
TEST(MemoryRegistryTest, SizesMissingValuesAndDispositions) {
    MemoryRegistry registry;
    RegistryKey key = nullptr;
    RegistryDisposition disposition{};
    ASSERT_EQ(registry.CreateKey(kUser, "A\\B", key, disposition), kRegOk);
    EXPECT_EQ(disposition, RegistryDisposition::CreatedNewKey);
    EXPECT_TRUE(registry.HasKey(kUser, "a"));
    EXPECT_EQ(registry.SetValue(key, "Text", kRegSz, reinterpret_cast<const std::uint8_t*>("abc"), 3), kRegOk);
    std::uint8_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    std::uint32_t size = sizeof buffer, type = 0;
    EXPECT_EQ(registry.QueryValue(key, "TEXT", &type, buffer, &size), kRegOk);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(type, kRegSz);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "abc") << "an unterminated string gets its zero";
    size = 2;
    EXPECT_EQ(registry.QueryValue(key, "Text", nullptr, buffer, &size), kRegMoreData);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(registry.QueryValue(key, "Nope", nullptr, buffer, &size), kRegNotFound);
    EXPECT_EQ(registry.CloseKey(key), kRegOk);
    EXPECT_EQ(registry.CloseKey(key), kRegInvalidHandle);

    ASSERT_EQ(registry.CreateKey(kUser, "a\\b", key, disposition), kRegOk);
    EXPECT_EQ(disposition, RegistryDisposition::OpenedExistingKey);
    registry.CloseKey(key);
    EXPECT_EQ(registry.OpenKey(kUser, "A\\Missing", RegistryAccess::Read, key), kRegNotFound);
    ASSERT_EQ(registry.OpenKey(kUser, "A\\B", RegistryAccess::Read, key), kRegOk);
    EXPECT_EQ(registry.SetValue(key, "Text", kRegSz, buffer, 1), kRegAccessDenied);
    registry.CloseKey(key);
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

}  // namespace

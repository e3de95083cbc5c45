// Loads the settings from a registry filled with hostile values: wrong types,
// strings without a zero or longer than any buffer, empty and huge binaries,
// keys that refuse access, writes that fail. Whatever is stored, the loaded
// settings stay within their bounds, every key is closed, every string the
// settings write fits its buffer, and a second load changes nothing.
//
// Input: a flags byte, a directory length byte, then records of
// [target][type][size low][size high][data], the size cut to what is left.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/settings/settings.h"
#include "fixed_directory.h"
#include "memory_registry.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

struct Target {
    RegistryRoot root;
    const char* key;
    const char* name;
};

const Target kTargets[] = {
    {RegistryRoot::CurrentUser, kConfigKeyPath, kWebClientValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kFtpClientValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kTelnetClientValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kSetupPathValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kBackupPathValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kEnableHotKeyValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kAlphaValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kLogoutTimeValue},
    {RegistryRoot::CurrentUser, kRunKeyPath, kRunValueName},
    {RegistryRoot::ClassesRoot, kBrowserKeyPath, ""},
    {RegistryRoot::ClassesRoot, kBrowserKeyPath, "Other"},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kHotKeyValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kClipboardSecondsValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kLockOnSessionLockValue},
    {RegistryRoot::CurrentUser, kConfigKeyPath, kIdleMinutesValue},
};
constexpr std::size_t kTargetCount = sizeof kTargets / sizeof kTargets[0];

enum Flags : std::uint8_t {
    RunKeyExists = 1,
    ConfigDenied = 2,
    BrowserReadOnly = 4,
    WritesFail = 8,
    BlankInDirectory = 16,
};

struct Snapshot {
    std::string browser, web, ftp, telnet, setup, backup;
    bool autoRun, hotKey;
    std::uint8_t alpha, logout;
    std::uint32_t hotKeyCode, clipboardSeconds;
    bool lockOnSessionLock;
    std::uint8_t idle;
    bool operator==(const Snapshot& o) const {
        return browser == o.browser && web == o.web && ftp == o.ftp && telnet == o.telnet && setup == o.setup &&
               backup == o.backup && autoRun == o.autoRun && hotKey == o.hotKey && alpha == o.alpha &&
               logout == o.logout && hotKeyCode == o.hotKeyCode && clipboardSeconds == o.clipboardSeconds &&
               lockOnSessionLock == o.lockOnSessionLock && idle == o.idle;
    }
};

Snapshot Take(const Settings& s) {
    return {
        s.GetBrowserCommand(), s.GetWebClient(),        s.GetFtpClient(),        s.GetTelnetClient(), s.GetSetupPath(),
        s.GetBackupPath(),     s.IsAutoRun(),           s.IsHotKeyEnabled(),     s.GetAlpha(),        s.GetLogoutTime(),
        s.GetHotKey(),         s.GetClipboardSeconds(), s.IsLockOnSessionLock(), s.GetIdleMinutes()};
}

void CheckBounds(const Settings& s, const MemoryRegistry& registry) {
    const Snapshot now = Take(s);
    for (const std::string* text : {&now.browser, &now.web, &now.ftp, &now.telnet, &now.setup, &now.backup}) {
        Check(text->size() <= kSettingTextMax, "setting text longer than 255 characters");
    }
    Check(now.alpha >= kMinAlpha, "opacity below 128");
    Check(now.logout <= kMaxLogoutTime, "logout time above 60");
    Check(now.idle <= kMaxIdleMinutes, "idle minutes above 60");
    Check(now.clipboardSeconds <= kMaxClipboardSeconds, "clipboard seconds above 3600");
    Check(HotKeyVirtualKey(now.hotKeyCode) != 0 &&
              now.hotKeyCode == MakeHotKey(HotKeyModifiers(now.hotKeyCode), HotKeyVirtualKey(now.hotKeyCode)),
          "a hotkey without a key or with unknown bits");
    Check(registry.OpenKeyCount() == 0, "a key left open");
    for (const MemoryRegistry::Write& write : registry.Writes()) {
        if (write.type == kRegSz) {
            Check(write.data.size() <= kSettingBufferSize && !write.data.empty() && write.data.back() == 0,
                  "string written without its zero or past 256 bytes");
        } else if (write.type == kRegDword) {
            Check(write.data.size() == 4, "DWORD written wrongly");
        } else {
            Check(write.type == kRegBinary && write.data.size() == 1, "byte written wrongly");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    std::string directory(data[1] + (data[1] > 200 ? 100 : 0), 'd');
    if (!directory.empty()) {
        directory[0] = 'C';
        if ((flags & BlankInDirectory) != 0 && directory.size() > 2) {
            directory[directory.size() / 2] = ' ';
        }
    }
    MemoryRegistry registry;
    if ((flags & RunKeyExists) != 0) {
        registry.PutKey(RegistryRoot::CurrentUser, kRunKeyPath);
    }
    std::size_t at = 2;
    while (at + 4 <= size) {
        const Target& target = kTargets[data[at] % kTargetCount];
        const std::uint32_t type = data[at + 1] % 8;
        std::size_t length = data[at + 2] | (static_cast<std::size_t>(data[at + 3]) << 8);
        at += 4;
        if (length > size - at) {
            length = size - at;
        }
        registry.PutValue(target.root, target.key, target.name, type, data + at, length);
        at += length;
    }
    if ((flags & ConfigDenied) != 0) {
        registry.SetKeyPolicy(RegistryRoot::CurrentUser, kConfigKeyPath, MemoryRegistry::KeyPolicy::Denied);
    }
    if ((flags & BrowserReadOnly) != 0) {
        registry.SetKeyPolicy(RegistryRoot::ClassesRoot, kBrowserKeyPath, MemoryRegistry::KeyPolicy::ReadOnly);
    }
    if ((flags & WritesFail) != 0) {
        registry.FailAllWrites(kRegAccessDenied);
    }

    const FixedDirectory current(directory);
    Settings settings(registry, current);
    settings.DetectBrowser();
    settings.LoadFromRegistry();
    CheckBounds(settings, registry);

    // What a load wrote back, the next load reads as it left it.
    if ((flags & WritesFail) == 0) {
        const Snapshot first = Take(settings);
        Settings again(registry, current);
        again.DetectBrowser();
        again.LoadFromRegistry();
        Check(Take(again) == first, "a second load changed the settings");
    }

    settings.SaveValue(SettingAlpha, data[1]);
    settings.SaveValue(SettingLogoutTime, flags);
    settings.SaveValue(SettingAutoRun, flags & 1);
    settings.SavePath(data[1] % 5, directory);
    settings.SaveValue(SettingClipboardSeconds, static_cast<unsigned>(data[1]) * 40u);
    settings.SaveValue(SettingIdleMinutes, data[1]);
    settings.SaveValue(SettingHotKeyCode, static_cast<unsigned>(flags) << 4 | data[1]);
    CheckBounds(settings, registry);
    return 0;
}

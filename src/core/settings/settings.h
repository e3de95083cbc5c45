#pragma once
// The program's configuration for the current Windows user, kept in the
// registry under HKEY_CURRENT_USER and held in memory for the whole run. It is
// loaded once at start-up and never saved as a whole: every change is written
// at once, one value at a time.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/current_directory.h"
#include "base/registry.h"

constexpr char kConfigKeyPath[] = "SOFTWARE\\Corvanet\\Pellucorda\\Config";
constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValueName[] = "Pellucorda";
constexpr char kBrowserKeyPath[] = "htmlfile\\shell\\open\\command";
constexpr char kProgramFileName[] = "pellucorda.exe";

constexpr char kWebClientValue[] = "WebClient";
constexpr char kFtpClientValue[] = "FtpClient";
constexpr char kTelnetClientValue[] = "TelnetClient";
constexpr char kSetupPathValue[] = "SetupPath";
constexpr char kBackupPathValue[] = "BackupPath";
constexpr char kEnableHotKeyValue[] = "EnableHotKey";
constexpr char kAlphaValue[] = "Alpha";
constexpr char kLogoutTimeValue[] = "LogoutTime";
constexpr char kHotKeyValue[] = "HotKey";                        // DWORD, see MakeHotKey
constexpr char kAutoTypeHotKeyValue[] = "AutoTypeHotKey";        // DWORD, as HotKey
constexpr char kClipboardSecondsValue[] = "ClipboardSeconds";    // DWORD
constexpr char kLockOnSessionLockValue[] = "LockOnSessionLock";  // one byte, as EnableHotKey
constexpr char kIdleMinutesValue[] = "IdleMinutes";              // one byte, as LogoutTime

// Stored setting texts hold at most 255 characters; string values are read
// through, and written back from, a buffer of 256 bytes.
constexpr std::size_t kSettingTextMax = 255;
constexpr std::size_t kSettingBufferSize = 256;

constexpr std::uint8_t kMinAlpha = 128;
constexpr std::uint8_t kMaxAlpha = 255;
constexpr std::uint8_t kMaxLogoutTime = 60;
constexpr std::uint8_t kMaxIdleMinutes = 60;
constexpr std::uint32_t kDefaultClipboardSeconds = 20;
constexpr std::uint32_t kMaxClipboardSeconds = 3600;

// A hotkey is kept as one number: the virtual key in bits 0 to 7 and the
// modifier flags of RegisterHotKey (the same values) in bits 8 to 11.
constexpr std::uint32_t kHotKeyModAlt = 0x1;
constexpr std::uint32_t kHotKeyModControl = 0x2;
constexpr std::uint32_t kHotKeyModShift = 0x4;
constexpr std::uint32_t kHotKeyModWin = 0x8;
constexpr std::uint32_t kHotKeyModifierMask = 0xF;
constexpr std::uint32_t MakeHotKey(std::uint32_t modifiers, std::uint32_t virtualKey) {
    return ((modifiers & kHotKeyModifierMask) << 8) | (virtualKey & 0xFF);
}
constexpr std::uint32_t HotKeyVirtualKey(std::uint32_t hotKey) { return hotKey & 0xFF; }
constexpr std::uint32_t HotKeyModifiers(std::uint32_t hotKey) { return (hotKey >> 8) & kHotKeyModifierMask; }
constexpr std::uint32_t kDefaultHotKey = MakeHotKey(kHotKeyModWin, 'A');
constexpr std::uint32_t kDefaultAutoTypeHotKey = MakeHotKey(kHotKeyModControl | kHotKeyModAlt, 'A');

// Codes of the stored values, one numbering for SavePath (0 to 4) and
// SaveValue (5 to 13).
enum SettingId {
    SettingWebClient = 0,
    SettingFtpClient = 1,
    SettingTelnetClient = 2,
    SettingSetupPath = 3,
    SettingBackupPath = 4,
    SettingAutoRun = 5,
    SettingHotKey = 6,
    SettingAlpha = 7,
    SettingLogoutTime = 8,
    SettingClipboardSeconds = 9,
    SettingLockOnSessionLock = 10,
    SettingIdleMinutes = 11,
    SettingHotKeyCode = 12,
    SettingAutoTypeHotKeyCode = 13,
};

// Where the settings live. The program uses the defaults; tests point them at
// keys of their own.
struct SettingsKeys {
    std::string config = kConfigKeyPath;    // under HKEY_CURRENT_USER
    std::string run = kRunKeyPath;          // under HKEY_CURRENT_USER
    std::string browser = kBrowserKeyPath;  // under HKEY_CLASSES_ROOT
};

// One stored value of the Config key, kept in settings.cpp.
struct SettingField;

class Settings {
public:
#if defined(_WIN32)
    // The Win32 registry, the process's current directory, the program's
    // keys.
    Settings();
#endif
    // The registry and the directory provider are the caller's, and must
    // outlive the settings.
    explicit Settings(Registry& registry, const CurrentDirectoryProvider& currentDirectory = ProcessCurrentDirectory(),
                      SettingsKeys keys = SettingsKeys());
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // The running program's full path, before LoadFromRegistry: SetupPath and
    // the auto-run value then name it, wherever the program now lives. Without
    // it, the program is taken to be "pellucorda.exe" in the current folder.
    void SetProgramPath(const std::string& path) { m_strProgramPath = path; }
    // The command that opens HTML files, up to and including its quoted
    // program path; arguments after that are dropped.
    void DetectBrowser();
    // Fills every other member, creating the Config key with its defaults on
    // the first start and writing normalised values back.
    void LoadFromRegistry();
    // Codes 0 to 4: writes one string value, cut to 255 characters, and on
    // success the member. Other codes do nothing. True when the value was
    // written; registry failures are the caller's to ignore or report.
    bool SavePath(int code, const std::string& text);
    // Codes 5 to 13: writes one value, bounded, and on success the member.
    // Other codes do nothing. True when the value was written (auto-run on
    // with no program path, or a hotkey without a key, writes nothing).
    bool SaveValue(int code, unsigned int value);
    // Takes effect in memory even if it cannot be stored.
    void SetLogoutTime(std::uint8_t minutes);

    const std::string& GetBrowserCommand() const { return m_strBrowserCommand; }
    const std::string& GetWebClient() const { return m_strWebClient; }
    const std::string& GetFtpClient() const { return m_strFtpClient; }
    const std::string& GetTelnetClient() const { return m_strTelnetClient; }
    const std::string& GetSetupPath() const { return m_strSetupPath; }
    const std::string& GetBackupPath() const { return m_strBackupPath; }
    // The program path SetupPath held before this start when it named another
    // program (a moved or another copy); empty otherwise.
    const std::string& GetPreviousSetupPath() const { return m_strPreviousSetupPath; }
    // In memory only; the Config dialog stores them itself.
    void SetWebClient(const std::string& text) { m_strWebClient = text; }
    void SetFtpClient(const std::string& text) { m_strFtpClient = text; }
    void SetTelnetClient(const std::string& text) { m_strTelnetClient = text; }
    bool IsAutoRun() const { return m_bAutoRun != 0; }
    bool IsHotKeyEnabled() const { return m_bHotKey != 0; }
    std::uint8_t GetAlpha() const { return static_cast<std::uint8_t>(m_nAlpha); }
    std::uint8_t GetLogoutTime() const { return static_cast<std::uint8_t>(m_nLogoutTime); }
    std::uint32_t GetHotKey() const { return m_nHotKeyCode; }
    // The key that types a login into the window in front; the hotkey switch
    // governs it too.
    std::uint32_t GetAutoTypeHotKey() const { return m_nAutoTypeHotKeyCode; }
    std::uint32_t GetClipboardSeconds() const { return m_nClipboardSeconds; }
    bool IsLockOnSessionLock() const { return m_bLockOnSessionLock != 0; }
    std::uint8_t GetIdleMinutes() const { return static_cast<std::uint8_t>(m_nIdleMinutes); }

private:
    // The Config key's values, in the order they are loaded and written
    // back; see settings.cpp.
    static const SettingField kFields[];
    static const SettingField* FindField(int code);

    // The auto-run value's text for the program path.
    std::string AutoRunCommand() const;
    void LoadField(RegistryKey key, const SettingField& field, bool created);
    void LoadAutoRun();
    std::string DefaultSetupPath() const;
    // The running program: the path set, or the default.
    std::string ProgramPath() const;
    std::string DefaultBackupPath() const;
    std::string ReadText(RegistryKey key, const char* name);
    // False for a value that reads as missing: what that means is the
    // field's kind.
    bool ReadNumber(RegistryKey key, const SettingField& field, std::uint32_t& value);
    // A load writes back only what differs, so a start that changes nothing
    // writes nothing; a save always writes, and tells whether it could.
    enum class Write { Always, IfChanged };
    long StoreBuffer(RegistryKey key, const char* name, const std::string& text, Write how = Write::Always);
    long StoreText(RegistryKey key, const char* name, const std::string& text, Write how = Write::Always);
    long StoreNumber(RegistryKey key, const SettingField& field, std::uint32_t value, Write how = Write::Always);
    long Store(RegistryKey key, const char* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size,
               Write how);

    std::string m_strBrowserCommand;
    std::string m_strWebClient;
    std::string m_strFtpClient;
    std::string m_strTelnetClient;
    std::string m_strSetupPath;
    std::string m_strBackupPath;
    std::string m_strProgramPath;
    std::string m_strPreviousSetupPath;
    std::int32_t m_bAutoRun = 0;
    // The table's numbers, in four bytes whatever their size in the registry.
    std::uint32_t m_bHotKey = 0;  // the byte as read: only whether it is zero counts
    std::uint32_t m_nAlpha = kMaxAlpha;
    std::uint32_t m_nLogoutTime = 0;
    std::uint32_t m_nHotKeyCode = kDefaultHotKey;
    std::uint32_t m_nAutoTypeHotKeyCode = kDefaultAutoTypeHotKey;
    std::uint32_t m_nClipboardSeconds = kDefaultClipboardSeconds;
    std::uint32_t m_bLockOnSessionLock = 1;
    std::uint32_t m_nIdleMinutes = 0;

    Registry& m_registry;
    const CurrentDirectoryProvider& m_currentDirectory;
    SettingsKeys m_keys;
};

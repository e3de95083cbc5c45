#include "core/settings/settings.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/windows_path.h"
#if defined(_WIN32)
#include "base/registry_win32.h"
#endif

namespace {

// Closes the key, if one was opened, when the step that needed it ends.
struct ScopedKey {
    explicit ScopedKey(Registry& owner) : registry(owner) {}
    ~ScopedKey() {
        if (key != nullptr) {
            registry.CloseKey(key);
        }
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    Registry& registry;
    RegistryKey key = nullptr;
};

std::string Bounded(const std::string& text) {
    return text.size() > kSettingTextMax ? text.substr(0, kSettingTextMax) : text;
}

// Text of a buffer that a read filled, however it ended.
std::string TextOf(std::uint8_t (&buffer)[kSettingBufferSize]) {
    buffer[kSettingBufferSize - 1] = 0;
    return std::string(reinterpret_cast<const char*>(buffer));
}

// A command line names a different program when its path holds a blank and
// is not quoted: "C:\Program Files\x.exe" would start "C:\Program".
std::string QuotedIfBlank(const std::string& path) {
    if (path.find_first_of(" \t") == std::string::npos || path[0] == '"') {
        return path;
    }
    return "\"" + path + "\"";
}

// The folder of a program path; a drive's root keeps its backslash.
std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return std::string();
    const std::string folder = path.substr(0, separator);
    return !folder.empty() && folder.back() == ':' ? folder + '\\' : folder;
}

}  // namespace

#if defined(_WIN32)
Settings::Settings() : Settings(PlatformRegistry()) {}
#endif

Settings::Settings(Registry& registry, const CurrentDirectoryProvider& currentDirectory, SettingsKeys keys)
    : m_registry(registry), m_currentDirectory(currentDirectory), m_keys(std::move(keys)) {}

void Settings::DetectBrowser() {
    ScopedKey root(m_registry);
    ScopedKey command(m_registry);
    // Reading is all this needs, and full access to HKEY_CLASSES_ROOT is
    // refused to standard users.
    if (m_registry.OpenKey(RegistryRoot::ClassesRoot, "", RegistryAccess::Read, root.key) != kRegOk ||
        m_registry.OpenKey(root.key, m_keys.browser.c_str(), RegistryAccess::Read, command.key) != kRegOk) {
        return;
    }
    char name[kSettingBufferSize] = {};
    std::uint32_t nameSize = sizeof name;
    std::uint8_t data[kSettingBufferSize] = {};
    std::uint32_t dataSize = sizeof data;
    if (m_registry.EnumValue(command.key, 0, name, &nameSize, nullptr, data, &dataSize) != kRegOk) {
        // A command that did not fit may have arrived cut: a cut program
        // path must never be started.
        std::memset(data, 0, sizeof data);
    }
    std::string text = TextOf(data);
    // Keep a quoted program path with both quotes and drop what follows it.
    const std::size_t first = text.find('"');
    const std::size_t second = text.find('"', first == std::string::npos ? 0 : first + 1);
    if (second != std::string::npos) {
        text.erase(second + 1);
    }
    m_strBrowserCommand = text;
}

void Settings::LoadFromRegistry() {
    {
        ScopedKey config(m_registry);
        RegistryDisposition disposition = RegistryDisposition::OpenedExistingKey;
        if (m_registry.CreateKey(RegistryRoot::CurrentUser, m_keys.config.c_str(), config.key, disposition) == kRegOk) {
            if (disposition == RegistryDisposition::CreatedNewKey) {
                CreateDefaultConfig(config.key);
            } else {
                LoadExistingConfig(config.key);
            }
        }
    }
    LoadAutoRun();
}

// Missing values are created empty or zero: only a new key gets the defaults.
void Settings::LoadExistingConfig(RegistryKey key) {
    m_strWebClient = LoadText(key, kWebClientValue);
    StoreBuffer(key, kWebClientValue, m_strWebClient);
    m_strFtpClient = LoadText(key, kFtpClientValue);
    StoreBuffer(key, kFtpClientValue, m_strFtpClient);
    m_strTelnetClient = LoadText(key, kTelnetClientValue);
    StoreBuffer(key, kTelnetClientValue, m_strTelnetClient);

    // SetupPath names the program that runs now: kept from the first copy
    // ever started, auto-run would start a removed or moved program.
    const std::string stored = LoadText(key, kSetupPathValue);
    const std::string running = ProgramPath();
    m_strSetupPath = running.empty() ? stored : running;
    m_strPreviousSetupPath = !stored.empty() && !SameWindowsPath(stored, m_strSetupPath) ? stored : std::string();
    StoreBuffer(key, kSetupPathValue, m_strSetupPath);

    // The default backup folder is the program's own, and moves with it; a
    // folder the user chose stays.
    m_strBackupPath = LoadText(key, kBackupPathValue);
    if (!m_strPreviousSetupPath.empty() && !m_strBackupPath.empty() &&
        SameWindowsPath(m_strBackupPath, FolderOf(m_strPreviousSetupPath))) {
        m_strBackupPath = FolderOf(m_strSetupPath);
    }
    StoreBuffer(key, kBackupPathValue, m_strBackupPath);

    const std::uint8_t hotKey = LoadByte(key, kEnableHotKeyValue);
    m_bHotKey = hotKey != 0 ? 1 : 0;
    StoreByte(key, kEnableHotKeyValue, hotKey);

    std::uint8_t alpha = LoadByte(key, kAlphaValue);
    if (alpha < kMinAlpha) {
        alpha = kMaxAlpha;
    }
    m_nAlpha = alpha;
    StoreByte(key, kAlphaValue, alpha);

    std::uint8_t logoutTime = LoadByte(key, kLogoutTimeValue);
    if (logoutTime > kMaxLogoutTime) {
        logoutTime = kMaxLogoutTime;
    }
    m_nLogoutTime = logoutTime;
    StoreByte(key, kLogoutTimeValue, logoutTime);

    LoadLaterValues(key);
    StoreLaterValues(key);
}

void Settings::LoadLaterValues(RegistryKey key) {
    std::uint32_t value = 0;
    m_nHotKeyCode = kDefaultHotKey;
    // A key without Ctrl, Alt or Windows would take a plain key from every
    // program; the Security page never stores one.
    if (LoadDword(key, kHotKeyValue, value) && HotKeyVirtualKey(value) != 0 &&
        (HotKeyModifiers(value) & (kHotKeyModControl | kHotKeyModAlt | kHotKeyModWin)) != 0) {
        m_nHotKeyCode = MakeHotKey(HotKeyModifiers(value), HotKeyVirtualKey(value));
    }
    m_nClipboardSeconds = kDefaultClipboardSeconds;
    if (LoadDword(key, kClipboardSecondsValue, value)) {
        m_nClipboardSeconds = std::min(value, kMaxClipboardSeconds);
    }

    // The byte values were always written as one binary byte; anything else
    // is somebody else's and reads as missing.
    auto loadByte = [&](const char* name, std::uint8_t& byte) {
        std::uint32_t type = kRegNone;
        std::uint32_t size = 1;
        std::uint8_t read = 0;
        if (m_registry.QueryValue(key, name, &type, &read, &size) != kRegOk || type != kRegBinary || size != 1) {
            return false;
        }
        byte = read;
        return true;
    };
    std::uint8_t byte = 0;
    m_bLockOnSessionLock = loadByte(kLockOnSessionLockValue, byte) ? (byte != 0 ? 1 : 0) : 1;
    m_nIdleMinutes = loadByte(kIdleMinutesValue, byte) ? std::min(byte, kMaxIdleMinutes) : 0;
}

void Settings::StoreLaterValues(RegistryKey key) {
    StoreDword(key, kHotKeyValue, m_nHotKeyCode);
    StoreDword(key, kClipboardSecondsValue, m_nClipboardSeconds);
    StoreByte(key, kLockOnSessionLockValue, static_cast<std::uint8_t>(m_bLockOnSessionLock));
    StoreByte(key, kIdleMinutesValue, m_nIdleMinutes);
}

void Settings::CreateDefaultConfig(RegistryKey key) {
    m_strWebClient.clear();
    m_strFtpClient.clear();
    m_strTelnetClient.clear();
    StoreBuffer(key, kWebClientValue, m_strWebClient);
    StoreBuffer(key, kFtpClientValue, m_strFtpClient);
    StoreBuffer(key, kTelnetClientValue, m_strTelnetClient);
    m_strSetupPath = ProgramPath();
    StoreBuffer(key, kSetupPathValue, m_strSetupPath);
    m_strBackupPath = DefaultBackupPath();
    StoreBuffer(key, kBackupPathValue, m_strBackupPath);
    m_bHotKey = 1;
    m_nAlpha = kMaxAlpha;
    m_nLogoutTime = 0;
    StoreByte(key, kEnableHotKeyValue, 1);
    StoreByte(key, kAlphaValue, m_nAlpha);
    StoreByte(key, kLogoutTimeValue, m_nLogoutTime);
    m_nHotKeyCode = kDefaultHotKey;
    m_nClipboardSeconds = kDefaultClipboardSeconds;
    m_bLockOnSessionLock = 1;
    m_nIdleMinutes = 0;
    StoreLaterValues(key);
}

void Settings::LoadAutoRun() {
    ScopedKey run(m_registry);
    if (m_registry.OpenKey(RegistryRoot::CurrentUser, m_keys.run.c_str(), RegistryAccess::Full, run.key) != kRegOk) {
        return;
    }
    std::uint8_t buffer[kSettingBufferSize] = {};
    std::uint32_t size = sizeof buffer;
    const long result = m_registry.QueryValue(run.key, kRunValueName, nullptr, buffer, &size);
    if (result == kRegOk && TextOf(buffer).empty()) {
        // The user switched auto-run off; an empty value is how that is kept.
        m_bAutoRun = 0;
        return;
    }
    // Present: point it at this program wherever it now lives. Missing or
    // unreadable: the first start switches auto-run on. Without a program
    // path there is nothing to start, and an empty text would switch off an
    // entry the user made.
    if (m_strSetupPath.empty()) {
        m_bAutoRun = (result == kRegOk || result == kRegMoreData) ? 1 : 0;
        return;
    }
    StoreText(run.key, kRunValueName, AutoRunCommand());
    m_bAutoRun = 1;
}

bool Settings::SavePath(int code, const std::string& text) {
    const char* name = nullptr;
    std::string* member = nullptr;
    switch (code) {
    case SettingWebClient:
        name = kWebClientValue;
        member = &m_strWebClient;
        break;
    case SettingFtpClient:
        name = kFtpClientValue;
        member = &m_strFtpClient;
        break;
    case SettingTelnetClient:
        name = kTelnetClientValue;
        member = &m_strTelnetClient;
        break;
    case SettingSetupPath:
        name = kSetupPathValue;
        member = &m_strSetupPath;
        break;
    case SettingBackupPath:
        name = kBackupPathValue;
        member = &m_strBackupPath;
        break;
    default: return false;
    }
    ScopedKey config(m_registry);
    RegistryDisposition disposition = RegistryDisposition::OpenedExistingKey;
    if (m_registry.CreateKey(RegistryRoot::CurrentUser, m_keys.config.c_str(), config.key, disposition) != kRegOk) {
        return false;
    }
    const std::string bounded = Bounded(text);
    if (StoreText(config.key, name, bounded) != kRegOk) {
        return false;
    }
    *member = bounded;
    return true;
}

bool Settings::SaveValue(int code, unsigned int value) {
    ScopedKey key(m_registry);
    if (code == SettingAutoRun) {
        if (m_registry.OpenKey(RegistryRoot::CurrentUser, m_keys.run.c_str(), RegistryAccess::Full, key.key) !=
            kRegOk) {
            return false;
        }
        if (value != 0) {
            if (m_strSetupPath.empty() || StoreText(key.key, kRunValueName, AutoRunCommand()) != kRegOk) {
                return false;
            }
            m_bAutoRun = 1;
            return true;
        }
        // Off is an empty text; the value itself stays.
        if (StoreBuffer(key.key, kRunValueName, std::string()) != kRegOk) {
            return false;
        }
        m_bAutoRun = 0;
        return true;
    }
    if (code == SettingClipboardSeconds || code == SettingHotKeyCode) {
        return SaveDword(code, value);
    }
    const char* name = nullptr;
    std::uint8_t byte = 0;
    switch (code) {
    case SettingHotKey:
        name = kEnableHotKeyValue;
        byte = value != 0 ? 1 : 0;
        break;
    case SettingAlpha:
        name = kAlphaValue;
        byte = value > kMaxAlpha ? kMaxAlpha : value < kMinAlpha ? kMinAlpha : static_cast<std::uint8_t>(value);
        break;
    case SettingLogoutTime:
        name = kLogoutTimeValue;
        byte = value > kMaxLogoutTime ? kMaxLogoutTime : static_cast<std::uint8_t>(value);
        break;
    case SettingLockOnSessionLock:
        name = kLockOnSessionLockValue;
        byte = value != 0 ? 1 : 0;
        break;
    case SettingIdleMinutes:
        name = kIdleMinutesValue;
        byte = value > kMaxIdleMinutes ? kMaxIdleMinutes : static_cast<std::uint8_t>(value);
        break;
    default: return false;
    }
    if (m_registry.OpenKey(RegistryRoot::CurrentUser, m_keys.config.c_str(), RegistryAccess::Full, key.key) != kRegOk ||
        StoreByte(key.key, name, byte) != kRegOk) {
        return false;
    }
    switch (code) {
    case SettingHotKey: m_bHotKey = byte; break;
    case SettingAlpha: m_nAlpha = byte; break;
    case SettingLockOnSessionLock: m_bLockOnSessionLock = byte; break;
    case SettingIdleMinutes: m_nIdleMinutes = byte; break;
    default: m_nLogoutTime = byte; break;
    }
    return true;
}

bool Settings::SaveDword(int code, unsigned int value) {
    const char* name = kClipboardSecondsValue;
    std::uint32_t stored = std::min<std::uint32_t>(value, kMaxClipboardSeconds);
    if (code == SettingHotKeyCode) {
        // A hotkey without a key cannot be registered, and would read back as
        // the default: refuse it rather than store what will not be kept.
        if (HotKeyVirtualKey(value) == 0) {
            return false;
        }
        name = kHotKeyValue;
        stored = MakeHotKey(HotKeyModifiers(value), HotKeyVirtualKey(value));
    }
    ScopedKey key(m_registry);
    if (m_registry.OpenKey(RegistryRoot::CurrentUser, m_keys.config.c_str(), RegistryAccess::Full, key.key) != kRegOk ||
        StoreDword(key.key, name, stored) != kRegOk) {
        return false;
    }
    (code == SettingHotKeyCode ? m_nHotKeyCode : m_nClipboardSeconds) = stored;
    return true;
}

void Settings::SetLogoutTime(std::uint8_t minutes) {
    m_nLogoutTime = minutes;
    SaveValue(SettingLogoutTime, minutes);
}

std::string Settings::AutoRunCommand() const { return Bounded(QuotedIfBlank(m_strSetupPath)); }

// A default that does not fit in 255 characters is left empty rather than
// cut: a cut path names some other file or folder.
std::string Settings::DefaultSetupPath() const {
    const std::string directory = m_currentDirectory.Read();
    if (directory.empty()) {
        return std::string();
    }
    const std::string path = directory + "\\" + kProgramFileName;
    return path.size() > kSettingTextMax ? std::string() : path;
}

std::string Settings::ProgramPath() const {
    if (m_strProgramPath.empty()) return DefaultSetupPath();
    return m_strProgramPath.size() > kSettingTextMax ? std::string() : m_strProgramPath;
}

std::string Settings::DefaultBackupPath() const {
    const std::string directory = m_currentDirectory.Read();
    return directory.size() > kSettingTextMax ? std::string() : directory;
}

std::string Settings::LoadText(RegistryKey key, const char* name) {
    std::uint8_t buffer[kSettingBufferSize] = {};
    std::uint32_t size = sizeof buffer;
    if (m_registry.QueryValue(key, name, nullptr, buffer, &size) != kRegOk) {
        // After a failed read the buffer's contents are undefined; a value too
        // long for it must not arrive cut.
        std::memset(buffer, 0, sizeof buffer);
    }
    return TextOf(buffer);
}

std::uint8_t Settings::LoadByte(RegistryKey key, const char* name) {
    std::uint8_t byte = 0;
    std::uint32_t size = 1;
    if (m_registry.QueryValue(key, name, nullptr, &byte, &size) != kRegOk) {
        byte = 0;
    }
    return byte;
}

long Settings::StoreBuffer(RegistryKey key, const char* name, const std::string& text) {
    std::uint8_t buffer[kSettingBufferSize] = {};
    const std::string bounded = Bounded(text);
    std::copy(bounded.begin(), bounded.end(), buffer);  // at most 255 bytes: the zero after them stays
    return m_registry.SetValue(key, name, kRegSz, buffer, sizeof buffer);
}

long Settings::StoreText(RegistryKey key, const char* name, const std::string& text) {
    const std::string bounded = Bounded(text);
    return m_registry.SetValue(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(bounded.c_str()),
                               static_cast<std::uint32_t>(bounded.size() + 1));
}

long Settings::StoreByte(RegistryKey key, const char* name, std::uint8_t byte) {
    return m_registry.SetValue(key, name, kRegBinary, &byte, 1);
}

bool Settings::LoadDword(RegistryKey key, const char* name, std::uint32_t& value) {
    std::uint32_t type = kRegNone;
    std::uint8_t bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    if (m_registry.QueryValue(key, name, &type, bytes, &size) != kRegOk || type != kRegDword || size != sizeof bytes) {
        return false;
    }
    // REG_DWORD is little-endian whatever the machine.
    value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
            std::uint32_t{bytes[3]} << 24;
    return true;
}

long Settings::StoreDword(RegistryKey key, const char* name, std::uint32_t value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return m_registry.SetValue(key, name, kRegDword, bytes, sizeof bytes);
}

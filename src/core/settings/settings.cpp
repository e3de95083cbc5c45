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

// How a value of the Config key is stored, read and bounded.
enum class Kind : std::uint8_t {
    Text,           // REG_SZ, read through and written back from the 256-byte buffer
    ProgramPath,    // Text naming the program that runs now (SetupPath)
    ProgramFolder,  // Text that moves with the program when it was its folder
    // A byte of the first release, read as whatever fills one byte; missing
    // or unreadable it reads as zero, not as the default.
    FirstByte,
    FirstFlag,  // FirstByte where only zero or not counts; loaded and written back as read
    // A byte added later: REG_BINARY of exactly one byte, anything else is
    // somebody else's and reads as missing.
    Byte,
    Dword,   // REG_DWORD, four bytes, else missing
    HotKey,  // Dword holding MakeHotKey
};

bool IsDword(Kind kind) { return kind == Kind::Dword || kind == Kind::HotKey; }

}  // namespace

struct SettingField {
    int code;  // SettingId
    const char* name;
    Kind kind;
    std::string Settings::*text;        // the text kinds
    std::uint32_t Settings::*number;    // the others
    std::uint32_t low, high, fallback;  // numbers: saved within [low, high]; the default
};

// Write-back order is the order here.
const SettingField Settings::kFields[] = {
    {SettingWebClient, kWebClientValue, Kind::Text, &Settings::m_strWebClient, nullptr, 0, 0, 0},
    {SettingFtpClient, kFtpClientValue, Kind::Text, &Settings::m_strFtpClient, nullptr, 0, 0, 0},
    {SettingTelnetClient, kTelnetClientValue, Kind::Text, &Settings::m_strTelnetClient, nullptr, 0, 0, 0},
    {SettingSetupPath, kSetupPathValue, Kind::ProgramPath, &Settings::m_strSetupPath, nullptr, 0, 0, 0},
    {SettingBackupPath, kBackupPathValue, Kind::ProgramFolder, &Settings::m_strBackupPath, nullptr, 0, 0, 0},
    {SettingHotKey, kEnableHotKeyValue, Kind::FirstFlag, nullptr, &Settings::m_bHotKey, 0, 1, 1},
    {SettingAlpha, kAlphaValue, Kind::FirstByte, nullptr, &Settings::m_nAlpha, kMinAlpha, kMaxAlpha, kMaxAlpha},
    {SettingLogoutTime, kLogoutTimeValue, Kind::FirstByte, nullptr, &Settings::m_nLogoutTime, 0, kMaxLogoutTime, 0},
    {SettingHotKeyCode, kHotKeyValue, Kind::HotKey, nullptr, &Settings::m_nHotKeyCode, 0, 0, kDefaultHotKey},
    {SettingClipboardSeconds, kClipboardSecondsValue, Kind::Dword, nullptr, &Settings::m_nClipboardSeconds, 0,
     kMaxClipboardSeconds, kDefaultClipboardSeconds},
    {SettingLockOnSessionLock, kLockOnSessionLockValue, Kind::Byte, nullptr, &Settings::m_bLockOnSessionLock, 0, 1, 1},
    {SettingIdleMinutes, kIdleMinutesValue, Kind::Byte, nullptr, &Settings::m_nIdleMinutes, 0, kMaxIdleMinutes, 0},
    {SettingAutoTypeHotKeyCode, kAutoTypeHotKeyValue, Kind::HotKey, nullptr, &Settings::m_nAutoTypeHotKeyCode, 0, 0,
     kDefaultAutoTypeHotKey},
};

namespace {

// Brings a number read or to be saved within the field's bounds. False when
// it is refused: a value loaded then reads as the default, a value to save
// is not stored.
bool Bound(const SettingField& field, std::uint32_t& value, bool loading) {
    if (field.kind == Kind::HotKey) {
        // A hotkey without a key cannot be registered. One without Ctrl, Alt
        // or Windows would take a plain key from every program; the Security
        // page never stores one.
        if (HotKeyVirtualKey(value) == 0 ||
            (loading && (HotKeyModifiers(value) & (kHotKeyModControl | kHotKeyModAlt | kHotKeyModWin)) == 0)) {
            return false;
        }
        value = MakeHotKey(HotKeyModifiers(value), HotKeyVirtualKey(value));
        return true;
    }
    if (loading && field.kind == Kind::FirstFlag) {
        return true;
    }
    // Below the least the program stores, a loaded value is not its own.
    if (value < field.low) {
        if (loading) return false;
        value = field.low;
    }
    value = std::min(value, field.high);
    return true;
}

}  // namespace

const SettingField* Settings::FindField(int code) {
    for (const SettingField& field : kFields) {
        if (field.code == code) return &field;
    }
    return nullptr;
}

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
            // A key just made gets the defaults; every value is written back
            // normalised.
            for (const SettingField& field : kFields) {
                LoadField(config.key, field, disposition == RegistryDisposition::CreatedNewKey);
            }
        }
    }
    LoadAutoRun();
}

// In a key that exists, the values of the first release that are missing are
// created empty or zero: only a new key gets their defaults. The values added
// later get theirs, as a key made by an older version lacks them.
void Settings::LoadField(RegistryKey key, const SettingField& field, bool created) {
    if (field.number != nullptr) {
        std::uint32_t value = 0;
        if (created || !ReadNumber(key, field, value) || !Bound(field, value, true)) {
            value = field.fallback;
        }
        this->*field.number = value;
        StoreNumber(key, field, value, Write::IfChanged);
        return;
    }
    std::string& text = this->*field.text;
    const std::string stored = created ? std::string() : ReadText(key, field.name);
    switch (field.kind) {
    case Kind::ProgramPath:
        // SetupPath names the program that runs now: kept from the first copy
        // ever started, auto-run would start a removed or moved program.
        text = ProgramPath();
        if (text.empty()) text = stored;
        if (!created) {
            m_strPreviousSetupPath = !stored.empty() && !SameWindowsPath(stored, text) ? stored : std::string();
        }
        break;
    case Kind::ProgramFolder:
        // The default backup folder is the program's own, and moves with it; a
        // folder the user chose stays.
        text = created ? DefaultBackupPath() : stored;
        if (!created && !m_strPreviousSetupPath.empty() && !text.empty() &&
            SameWindowsPath(text, FolderOf(m_strPreviousSetupPath))) {
            text = FolderOf(m_strSetupPath);
        }
        break;
    default: text = stored; break;
    }
    StoreBuffer(key, field.name, text, Write::IfChanged);
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
    StoreText(run.key, kRunValueName, AutoRunCommand(), Write::IfChanged);
    m_bAutoRun = 1;
}

bool Settings::SavePath(int code, const std::string& text) {
    const SettingField* field = FindField(code);
    if (field == nullptr || field->text == nullptr) {
        return false;
    }
    ScopedKey config(m_registry);
    RegistryDisposition disposition = RegistryDisposition::OpenedExistingKey;
    if (m_registry.CreateKey(RegistryRoot::CurrentUser, m_keys.config.c_str(), config.key, disposition) != kRegOk) {
        return false;
    }
    const std::string bounded = Bounded(text);
    if (StoreText(config.key, field->name, bounded) != kRegOk) {
        return false;
    }
    this->*field->text = bounded;
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
    const SettingField* field = FindField(code);
    std::uint32_t stored = value;
    if (field == nullptr || field->number == nullptr || !Bound(*field, stored, false)) {
        return false;
    }
    if (m_registry.OpenKey(RegistryRoot::CurrentUser, m_keys.config.c_str(), RegistryAccess::Full, key.key) != kRegOk ||
        StoreNumber(key.key, *field, stored) != kRegOk) {
        return false;
    }
    this->*field->number = stored;
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

std::string Settings::ReadText(RegistryKey key, const char* name) {
    std::uint8_t buffer[kSettingBufferSize] = {};
    std::uint32_t size = sizeof buffer;
    if (m_registry.QueryValue(key, name, nullptr, buffer, &size) != kRegOk) {
        // After a failed read the buffer's contents are undefined; a value too
        // long for it must not arrive cut.
        std::memset(buffer, 0, sizeof buffer);
    }
    return TextOf(buffer);
}

bool Settings::ReadNumber(RegistryKey key, const SettingField& field, std::uint32_t& value) {
    const bool dword = IsDword(field.kind);
    std::uint32_t type = kRegNone;
    std::uint8_t bytes[4] = {};
    std::uint32_t size = dword ? 4 : 1;
    const long result = m_registry.QueryValue(key, field.name, &type, bytes, &size);
    if (field.kind == Kind::FirstByte || field.kind == Kind::FirstFlag) {
        // Whatever it is, a value that fills one byte is taken as it is.
        value = result == kRegOk ? bytes[0] : 0;
        return true;
    }
    if (result != kRegOk || type != (dword ? kRegDword : kRegBinary) || size != (dword ? 4u : 1u)) {
        return false;
    }
    // REG_DWORD is little-endian whatever the machine.
    value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
            std::uint32_t{bytes[3]} << 24;
    return true;
}

long Settings::StoreBuffer(RegistryKey key, const char* name, const std::string& text, Write how) {
    std::uint8_t buffer[kSettingBufferSize] = {};
    const std::string bounded = Bounded(text);
    std::copy(bounded.begin(), bounded.end(), buffer);  // at most 255 bytes: the zero after them stays
    return Store(key, name, kRegSz, buffer, sizeof buffer, how);
}

long Settings::StoreText(RegistryKey key, const char* name, const std::string& text, Write how) {
    const std::string bounded = Bounded(text);
    return Store(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(bounded.c_str()),
                 static_cast<std::uint32_t>(bounded.size() + 1), how);
}

long Settings::StoreNumber(RegistryKey key, const SettingField& field, std::uint32_t value, Write how) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return IsDword(field.kind) ? Store(key, field.name, kRegDword, bytes, sizeof bytes, how)
                               : Store(key, field.name, kRegBinary, bytes, 1, how);
}

long Settings::Store(RegistryKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                     std::uint32_t size, Write how) {
    if (how == Write::Always) return m_registry.SetValue(key, name, type, data, size);
    // One byte more than any value written here: a longer stored value reads
    // as too big and is written afresh.
    std::uint8_t stored[kSettingBufferSize + 1] = {};
    std::uint32_t storedSize = sizeof stored;
    std::uint32_t storedType = kRegNone;
    if (size <= kSettingBufferSize && m_registry.QueryValue(key, name, &storedType, stored, &storedSize) == kRegOk &&
        storedType == type && storedSize == size && std::equal(data, data + size, stored)) {
        return kRegOk;
    }
    return m_registry.SetValue(key, name, type, data, size);
}

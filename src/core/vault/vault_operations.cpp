// The store as a vault: opening with a password, default content of a new
// vault, password change, backup copy and the wipes on logout and failure.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/secure_wipe.h"
#include "core/crypto/password_crypto.h"
#include "core/vault/login_store.h"

namespace {
// The homepage is this project's own.
constexpr const char kDefaultServiceName[] = "Corvanet software";
constexpr const char kDefaultUserName[] = "Pellucorda";
constexpr const char kDefaultPassword[] = "brackmon";
constexpr const char kDefaultAddress[] = "http://pellucorda.example.org/";
constexpr const char kDefaultDescription[] = "The homepage of Pellucorda.";

// Appended to a backup folder that does not end in a separator. A backslash
// on Windows; elsewhere a backslash is an ordinary file name character, so
// the platform's own separator is used instead.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

bool LoginStore::OpenDefault(const char* password, VaultResult* result) {
    m_failure = VaultFailure();
    VaultResult opened = LockWriter(kVaultFileName);
    if (opened == VaultInUse) {
        Fail(opened);
    } else {
        opened = Open(password, kVaultFileName);
    }
    if (result != nullptr) *result = opened;
    return opened == VaultOk;
}

VaultResult LoginStore::LockWriter(const std::string& path) {
    m_failure = VaultFailure();  // a lock held elsewhere is the caller's to tell
    // Beside the file the vault really is, so a link to it and its own name
    // share one lock.
    bool heldElsewhere = false;
    m_writerLock.reset();  // a lock of its own is no other writer's
    m_writerLockPath = Files().FinalPath(path) + kWriterLockSuffix;
    m_writerLock = Files().TryLock(m_writerLockPath, heldElsewhere);
    if (heldElsewhere) m_writerLockPath.clear();
    return heldElsewhere ? VaultInUse : VaultOk;
}

VaultResult LoginStore::Open(const char* password, const std::string& path, VaultAccess access) {
    // Only the key is kept: the caller wipes the password once this returns.
    DigestPassword(password, m_key);
    filePath = path;
    m_readOnly = access == VaultAccess::ReadOnly;
    m_openPassword = password != nullptr ? password : "";
    const VaultResult result = Load();
    m_openPassword = nullptr;
    if (result == VaultOk) return result;
    SecureWipe(m_key, sizeof m_key);
    filePath.clear();
    m_writerLock.reset();
    m_writerLockPath.clear();
    return result;
}

bool LoginStore::CreatedThisRun() const {
    return !m_createdPath.empty() && m_createdPath == Files().FinalPath(filePath);
}

void LoginStore::FillDefault() {
    LoginItem item;
    item.Clear();
    CopyField(item.serviceName, sizeof item.serviceName, kDefaultServiceName);
    CopyField(item.userName, sizeof item.userName, kDefaultUserName);
    CopyField(item.password, sizeof item.password, kDefaultPassword);
    CopyField(item.serviceAddress, sizeof item.serviceAddress, kDefaultAddress);
    CopyField(item.description, sizeof item.description, kDefaultDescription);
    item.addressType = ADDRESS_HTTP;
    std::memcpy(&items[0], &item, sizeof item);
    SecureWipe(&item, sizeof item);
    header.itemCount = 1;
    // A vault made new has the compatible key, as every first start has made.
    m_format = VaultFormat::Compatible;
    DigestPassword(kDefaultMasterPassword, header.digest);
}

VaultResult LoginStore::ChangePassword(const char* oldPassword, const char* newPassword) {
    return ChangePassword(oldPassword, newPassword, m_format);
}

std::string BackupFilePath(const std::string& folder) {
    std::string target = folder;
    const std::string vaultName = kVaultFileName;
    if (target == vaultName) {
        target.clear();
    } else if (target.size() > vaultName.size() &&
               target.compare(target.size() - vaultName.size(), vaultName.size(), vaultName) == 0 &&
               IsPathSeparator(target[target.size() - vaultName.size() - 1])) {
        target.erase(target.size() - vaultName.size());
    }
    if (!target.empty() && !IsPathSeparator(target.back())) target += kPathSeparator;
    return target + kBackupFileName;
}

BackupResult LoginStore::BackupTo(const std::string& folder) {
    std::string target = Files().FinalPath(BackupFilePath(folder));
    // A vault made from nothing stands where the user's was lost: the
    // backup may be all that is left of their logins.
    FileStamp existing;
    if (CreatedThisRun() && Files().StampOf(target, existing) && existing.size != 0) {
        return BackupResult::KeptPrevious;
    }

    // Written as the vault is: a temporary file beside the backup, flushed,
    // then put in its place, so a copy that fails half-way (a full disk)
    // keeps the previous backup.
    std::string error;
    std::unique_ptr<FileHandle> vault = Files().OpenForReading(filePath, error);
    if (!vault) return BackupResult::Failed;
    std::string tempPath;
    std::unique_ptr<FileHandle> temp = Files().CreateTempBeside(target, tempPath);
    if (!temp) return BackupResult::Failed;
    std::uint64_t length = 0;
    bool copied = vault->GetLength(length) && length != 0;
    std::vector<std::uint8_t> chunk(std::size_t{64} * 1024);
    for (std::uint64_t done = 0; copied && done < length;) {
        std::size_t got = 0;
        copied = vault->Read(chunk.data(), chunk.size(), got) && got != 0 && temp->Write(chunk.data(), got);
        done += got;
    }
    copied = copied && temp->Flush();
    vault->Close();
    return CommitReplace(*temp, tempPath, target, copied) ? BackupResult::Written : BackupResult::Failed;
}

void LoginStore::Reset() {
    SecureWipe(items, sizeof items);
    firstVisible = 0;
    SecureWipe(&header, sizeof header);
    SecureWipe(m_key, sizeof m_key);
    SecureWipe(m_strongKeys, sizeof m_strongKeys);
    SecureWipe(m_salt, sizeof m_salt);
    m_strongCost = Argon2Parameters();
    m_format = VaultFormat::Compatible;
    SecureWipe(ioBuffer, sizeof ioBuffer);
    ioLength = 0;
    filePath.clear();
    isOpen = false;
    m_hasStamp = false;
    m_writerLock.reset();
    m_writerLockPath.clear();
    m_readOnly = false;
}

void LoginStore::ClearAfterFailure() { Reset(); }

bool LoginStore::IsOpen() const { return isOpen; }

// The encrypted vault file: reading it into the table and writing the table
// back. The image is assembled and ciphered in place in the store's fixed
// buffer; nothing is allocated for it.
#include <cstring>
#include <memory>
#include <string>

#include "base/file_system.h"
#include "base/secure_wipe.h"
#include "core/crypto/password_crypto.h"
#include "core/vault/login_store.h"

namespace {
constexpr char kTag[4] = {'v', '0', '1', '\0'};
constexpr std::size_t kHeaderSize = sizeof(VaultHeader);
}  // namespace

VaultResult LoginStore::Fail(VaultResult result) {
    m_failure.result = result;
    return result;
}

VaultResult LoginStore::FailLoad(FileHandle& file, VaultResult result) {
    // Closed before the caller can tell the failure, so a message box left
    // standing does not keep the vault locked against everyone else.
    file.Close();
    ClearAfterFailure();
    return Fail(result);
}

VaultResult LoginStore::Load() {
    m_failure = VaultFailure();
    m_hasStamp = false;
    if (filePath.empty()) return Fail(VaultBadName);
    std::string error;
    std::unique_ptr<FileHandle> file =
        m_readOnly ? Files().OpenForReading(filePath, error) : Files().OpenExclusive(filePath, error);
    if (!file) {
        m_failure.systemError = error;
        return Fail(VaultOpenFailed);
    }

    std::uint64_t length = 0;
    if (!file->GetLength(length)) return FailLoad(*file, VaultReadFailed);
    // Only a store that may write makes a vault where there was none.
    if (length == 0 && m_readOnly) return FailLoad(*file, VaultDamaged);
    if (length == 0) {
        m_createdPath = Files().FinalPath(filePath);
        m_createdUntouched = true;
        FillDefault();
        if (WriteTo(*file) != VaultOk) {
            // Leave no partial image behind: it would fail every later login
            // as damaged, where an empty file is simply created again.
            file->Truncate(0);
            file->Close();
            return VaultWriteFailed;
        }
        // Read back through a handle that wrote nothing, so that its stamp is
        // the one every later opener sees.
        file->Close();
        file = Files().OpenExclusive(filePath, error);
        if (!file) {
            ClearAfterFailure();
            m_failure.systemError = error;
            return Fail(VaultOpenFailed);
        }
    }

    SecureWipe(ioBuffer, sizeof ioBuffer);
    ioLength = 0;
    if (!file->SeekToStart() || !file->GetLength(length)) return FailLoad(*file, VaultReadFailed);
    // No valid image comes near the buffer's size; a longer file is not ours.
    if (length > kIoBufferSize) return FailLoad(*file, VaultDamaged);
    std::size_t got = 0;
    if (!file->Read(ioBuffer, static_cast<std::size_t>(length), got) || got > length) {
        return FailLoad(*file, VaultReadFailed);
    }
    ioLength = static_cast<std::uint32_t>(got);
    const bool strong = FormatOfImage(ioBuffer, ioLength) == VaultFormat::Strong;
    if (!strong && ioLength < kHeaderSize) return FailLoad(*file, VaultDamaged);
    if (!file->GetStamp(m_loadedStamp)) return FailLoad(*file, VaultReadFailed);
    file->Close();
    if (strong) return LoadStrong();

    DecryptBuffer(ioBuffer, ioLength / 16, m_key);

    // The vault is little-endian like every platform this is built for.
    VaultHeader loaded;
    std::memcpy(&loaded, ioBuffer, kHeaderSize);
    VaultResult result = VaultOk;
    if (!DigestsMatch(m_key, loaded.digest)) {
        result = m_createdUntouched && CreatedThisRun() ? VaultCreatedNew : VaultWrongPassword;
    } else if (loaded.itemCount > kMaxItems || std::memcmp(loaded.tag, kTag, sizeof kTag) != 0 ||
               ioLength < kHeaderSize + sizeof(LoginItem) * static_cast<std::size_t>(loaded.itemCount)) {
        result = VaultDamaged;
    }
    if (result != VaultOk) {
        SecureWipe(&loaded, sizeof loaded);
        ClearAfterFailure();
        return result == VaultCreatedNew ? result : Fail(result);
    }

    std::memcpy(&header, &loaded, kHeaderSize);
    SecureWipe(&loaded, sizeof loaded);
    std::memcpy(items, ioBuffer + kHeaderSize, sizeof(LoginItem) * header.itemCount);
    m_format = VaultFormat::Compatible;
    isOpen = true;
    m_hasStamp = true;
    return VaultOk;
}

VaultResult LoginStore::WriteTo(FileHandle& file) {
    m_failure = VaultFailure();
    if (header.itemCount > kMaxItems) header.itemCount = kMaxItems;
    if (m_format == VaultFormat::Strong) {
        // Whatever image the buffer held before goes first, as below.
        SecureWipe(ioBuffer, ioLength);
        if (!BuildStrongImage()) return Fail(VaultWriteFailed);
        if (!file.Write(ioBuffer, ioLength) || !file.Flush()) return Fail(VaultWriteFailed);
        return VaultOk;
    }
    VaultHeader out;
    std::memset(&out, 0, sizeof out);
    std::memcpy(out.tag, kTag, sizeof kTag);
    out.itemCount = header.itemCount;
    std::memcpy(out.digest, header.digest, sizeof out.digest);

    // Whatever image the buffer held before, decrypted or not, goes first, so
    // no plain text of deleted items lingers behind a shorter new image.
    SecureWipe(ioBuffer, ioLength);
    std::memcpy(ioBuffer, &out, kHeaderSize);
    SecureWipe(&out, sizeof out);
    std::memcpy(ioBuffer + kHeaderSize, items, sizeof(LoginItem) * header.itemCount);
    ioLength = static_cast<std::uint32_t>(kHeaderSize + sizeof(LoginItem) * header.itemCount);
    while (ioLength % 16 != 0) ioBuffer[ioLength++] = 0;
    EncryptBuffer(ioBuffer, ioLength / 16, header.digest);

    if (!file.Write(ioBuffer, ioLength) || !file.Flush()) return Fail(VaultWriteFailed);
    return VaultOk;
}

bool LoginStore::ChangedSinceLoad(FileHandle& vault) {
    if (!m_hasStamp) return false;
    FileStamp now;
    if (!vault.GetStamp(now)) return true;
    // A vault emptied or deleted (and so created again empty) since holds
    // nothing that writing the table could lose.
    return now != m_loadedStamp && now.size != 0;
}

void LoginStore::StampVault() {
    // Not through an open for reading: another reader holding the vault at
    // this moment would switch change detection off for the whole session.
    m_hasStamp = Files().StampOf(filePath, m_loadedStamp);
}

bool LoginStore::CommitReplace(FileHandle& temp, const std::string& tempPath, const std::string& target, bool written) {
    temp.Close();
    if (written && Files().MoveReplace(tempPath, target)) return true;
    // A replace that failed half-way took the old file away: the temporary
    // file then holds the only copy of the new content, and stays.
    FileStamp targetStamp;
    if (written && !Files().StampOf(target, targetStamp)) return false;
    Files().Remove(tempPath);
    return false;
}

bool LoginStore::KeepWriterLock() {
    if (m_writerLockPath.empty() || (m_writerLock && m_writerLock->IsAt(m_writerLockPath))) return true;
    bool heldElsewhere = false;
    m_writerLock = Files().TryLock(m_writerLockPath, heldElsewhere);
    return !heldElsewhere;
}

VaultResult LoginStore::Save() {
    // The vault stays open without sharing while the new image is written, so
    // a vault that another opener holds still makes the save fail; the image
    // itself goes to a temporary file that then replaces the vault at once.
    // A failed or interrupted save thus leaves the previous vault whole, and
    // the vault is never longer than its image.
    m_failure = VaultFailure();
    if (!KeepWriterLock()) return Fail(VaultInUse);
    std::string error;
    std::unique_ptr<FileHandle> vault = m_readOnly ? nullptr : Files().OpenExclusive(filePath, error);
    if (!vault) {
        // Told as the failed write it is: silence here would lose the change.
        Fail(VaultWriteFailed);
        return VaultOpenFailed;
    }
    // Whatever another program wrote since the load would be lost under the
    // whole table written here.
    if (ChangedSinceLoad(*vault)) {
        vault->Close();
        return Fail(VaultChanged);
    }
    // A vault reached through a link is replaced where it really lies, and the
    // link stays a link.
    const std::string target = Files().FinalPath(filePath);
    std::string tempPath;
    std::unique_ptr<FileHandle> temp = Files().CreateTempBeside(target, tempPath);
    if (!temp) {
        vault->Close();
        return Fail(VaultWriteFailed);
    }
    VaultResult result = WriteTo(*temp);
    vault->Close();
    if (!CommitReplace(*temp, tempPath, target, result == VaultOk) && result == VaultOk) {
        result = Fail(VaultWriteFailed);
    }
    if (result == VaultOk) {
        StampVault();
        m_createdUntouched = false;
    }
    return result;
}

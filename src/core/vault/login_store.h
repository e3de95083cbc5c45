#pragma once
// The table of at most 100 login items, bound to one encrypted vault file.
#include <cstdint>
#include <memory>
#include <string>

#include "base/file_system.h"
#include "core/crypto/argon2.h"
#include "core/crypto/password_crypto.h"
#include "core/vault/login_item.h"

constexpr std::uint32_t kMaxItems = 100;
constexpr std::uint32_t kPageSize = 10;
constexpr std::uint32_t kIoBufferSize = 2 * 1024 * 1024;
constexpr const char kVaultFileName[] = "logininfo.dat";
constexpr const char kBackupFileName[] = "logininfo.bak";
// Beside the vault: the file whose lock says who may write the vault.
constexpr const char kWriterLockSuffix[] = ".lock";
constexpr const char kDefaultMasterPassword[] = "quillmarsh";
// The longest master password, in characters (a double-byte character counts
// as one): what the Login and Modify Password dialogs take, and so the longest
// the tool lets a vault be given.
constexpr int kMaxMasterPasswordChars = 16;
// The same for a vault with the strong key.
constexpr int kMaxStrongPasswordChars = 64;

// How the vault's key is made from the master password. Compatible: one MD5
// of the password, the format every earlier vault and reader has. Strong:
// Argon2id with a salt of the vault's own, and a MAC over the whole file
// (docs/vault-format.md).
enum class VaultFormat { Compatible, Strong };

int MaxMasterPasswordChars(VaultFormat format);
// The format an image (a vault file's first bytes or all of it) is in.
VaultFormat FormatOfImage(const std::uint8_t* image, std::size_t length);
// Characters as the Login dialog counts them: a double-byte character is one.
std::size_t PasswordCharacterCount(const char* text);

// The cost a vault is given when it is switched to the strong key or its
// password changes: about 0.7 s for a login on a current desktop.
constexpr Argon2Parameters kDefaultStrongParameters = {256 * 1024, 3, 1, kArgon2Version};
// The most a vault file may ask for: a vault damaged or made by somebody else
// cannot make a login take gigabytes or minutes.
constexpr std::uint32_t kMaxStrongMemoryKiB = 1024 * 1024;
constexpr std::uint32_t kMaxStrongPasses = 64;
constexpr std::uint32_t kMaxStrongLanes = 16;

struct VaultHeader {
    std::uint8_t digest[16];
    char tag[4];
    std::uint32_t itemCount;
    std::uint8_t reserved[32];
};
static_assert(sizeof(VaultHeader) == 56, "VaultHeader is a storage format");

enum VaultResult {
    VaultOk = 0,
    VaultOpenFailed = 1,
    VaultWriteFailed = 2,
    VaultReadFailed = 3,
    VaultDamaged = 4,
    VaultBadName = 5,
    VaultWrongPassword = 6,
    VaultInUse = 7,    // another process holds the vault's writer lock
    VaultChanged = 8,  // the file changed since it was loaded and was left as it is
    // There was no vault: a new one was made under the default master
    // password, and the password given is not that one. Nothing to tell in
    // VaultMessage's words: the caller knows where the backup is and says
    // what happened.
    VaultCreatedNew = 9,
};

// What the last OpenDefault, LockWriter, Open, Load, WriteTo, Save or
// ChangePassword of a store has to tell the user; VaultMessage
// (core/vault/vault_message.h) puts it into words. The store itself shows
// nothing.
struct VaultFailure {
    // The failure as the user is told it; VaultOk when there is nothing to
    // tell: the operation succeeded, or its caller says what happened in words
    // of its own (a vault made new, a wrong old password at a change, the
    // tool's refusal while the program holds the writer lock). Not always the
    // result returned: a save that cannot open the vault is told as the
    // failed write it is (VaultWriteFailed), and a password change that
    // cannot save is told as its save's failure.
    VaultResult result = VaultOk;
    // With VaultOpenFailed: the file layer's description of why the file did
    // not open, as it gave it.
    std::string systemError;
};

// Whether a store may write the file it opens.
enum class VaultAccess { ReadWrite, ReadOnly };

enum class BackupResult {
    Written,
    // Not replaced on purpose: the vault was made from nothing in this run
    // and may lack what the backup holds.
    KeptPrevious,
    Failed,  // the previous backup, if any, is as it was
};

// The backup file in `folder`, which may end in a separator or in the
// vault's own file name; an empty folder names it in the current directory.
std::string BackupFilePath(const std::string& folder);

class LoginStore {
public:
    LoginStore();
    ~LoginStore();
    LoginStore(const LoginStore&) = delete;
    LoginStore& operator=(const LoginStore&) = delete;

    // Seam; nullptr restores the platform default.
    void SetFileSystem(FileSystem* fileSystem);

    // Table.
    std::uint32_t GetCount() const;
    bool GetItem(int index, LoginItem& out) const;
    bool AddItem(const LoginItem& item);
    bool DeleteItem(int index);
    bool ReplaceItem(int index, const LoginItem& item);

    // Pages of 10.
    std::uint32_t GetFirstVisible() const;
    void GetPage(LoginItem out[kPageSize], std::uint32_t& count) const;
    void PageUp();
    void PageDown();
    void GoToLastPage();
    void FindByServiceName(const char* text);

    // File.
    VaultResult Load();
    VaultResult Save();
    VaultResult WriteTo(FileHandle& file);

    // Vault.
    // The program's login: takes the writer lock of "logininfo.dat", then
    // opens it; the lock is held until Reset (logout). `result`, when given,
    // receives why it failed; LastFailure what to tell (VaultInUse when
    // another process holds the lock).
    bool OpenDefault(const char* password, VaultResult* result = nullptr);
    // One writer at a time: takes the writer lock of the vault at `path`, to
    // be held from before it is opened until Reset, so no other writer
    // changes the file meanwhile. VaultInUse, with nothing in LastFailure,
    // when another process holds it. When the lock cannot be had for another
    // reason (no lock file can be made there) the result is VaultOk and no
    // lock is held: a save still refuses to replace a vault that changed since
    // it was read.
    VaultResult LockWriter(const std::string& path);
    // Opens the vault at `path` (the program always uses "logininfo.dat");
    // OpenDefault is this with the default name. The password is only read:
    // the store keeps the key derived from it, never a copy. Read only, a
    // missing or empty file is not created, a read-only one opens, and
    // nothing is ever saved.
    VaultResult Open(const char* password, const std::string& path, VaultAccess access = VaultAccess::ReadWrite);
    void FillDefault();
    // Saves the vault under the new password, in the format it has.
    VaultResult ChangePassword(const char* oldPassword, const char* newPassword);
    // The same, switching the vault to `format` (a new salt for the strong
    // key every time). VaultWrongPassword when the old password is not the
    // vault's, VaultWriteFailed when the save failed (the vault keeps its
    // password and format then), VaultBadName when the new password is
    // longer than the format takes.
    VaultResult ChangePassword(const char* oldPassword, const char* newPassword, VaultFormat format);
    // The format of the open vault.
    VaultFormat GetFormat() const;
    // The strong key's cost in the open vault (meaningful when it is strong).
    const Argon2Parameters& GetStrongParameters() const;
    // The cost the next change to the strong key gives. Unset, a switch from
    // the compatible key gives kDefaultStrongParameters, and a change of a
    // strong vault's password keeps its cost where that is higher.
    void SetNewStrongParameters(const Argon2Parameters& parameters);
    // The format of the vault at `path` as it lies on disk, without opening
    // it for the store: a missing, empty or unreadable file is Compatible,
    // which is what a first login makes of it.
    VaultFormat FormatOnDisk(const std::string& path) const;
    BackupResult BackupTo(const std::string& folder);
    // Whether a load in this run found no vault at the open path and made one.
    bool CreatedThisRun() const;
    void Reset();
    void ClearAfterFailure();
    bool IsOpen() const;
    // What the last OpenDefault, LockWriter, Open, Load, WriteTo, Save or
    // ChangePassword has to tell (see VaultFailure); kept until the next of
    // them begins, whatever Reset does meanwhile.
    const VaultFailure& LastFailure() const;

    const std::string& GetFilePath() const;
    // Bytes of the image that the last Load read or the last WriteTo wrote.
    std::uint32_t GetIoLength() const;

    // For the checks that wiping wipes: the slot `index` as it lies in the
    // table, every byte (GetItem hands out a cleaned copy), also behind the
    // count where a deleted item was; nullptr outside 0 to 99. And whether no
    // item, key, header or image byte is left in the store, as after Reset
    // and every failed open.
    const LoginItem* RawSlot(int index) const;
    bool HoldsNoSecret() const;

private:
    FileSystem& Files() const;
    VaultResult Fail(VaultResult result);
    VaultResult FailLoad(FileHandle& file, VaultResult result);
    // True when the vault on disk is no longer the one loaded (and holds
    // something a save would lose).
    bool ChangedSinceLoad(FileHandle& vault);
    // Reads the stamp of the vault as it now is on disk.
    void StampVault();
    // Ends a replacement begun with CreateTempBeside: the temporary file takes
    // the place of `target` when `written`; otherwise, or when that fails, it goes.
    bool CommitReplace(FileHandle& temp, const std::string& tempPath, const std::string& target, bool written);
    // A lock file deleted since it was taken guards nothing: takes it again.
    // False when another writer holds it now.
    bool KeepWriterLock();
    // The strong format (vault_strong.cpp): the image in ioBuffer after the
    // file is read, and the table written as an image into ioBuffer.
    VaultResult LoadStrong();
    bool BuildStrongImage();
    // Derives the cipher and MAC keys from `password` with the salt and cost
    // given into `keys`; false when the cost cannot be paid (memory).
    static bool DeriveStrongKeys(const char* password, const std::uint8_t salt[16], const Argon2Parameters& cost,
                                 std::uint8_t keys[64]);
    bool IsVaultPassword(const char* password);
    Argon2Parameters NextStrongCost() const;

    LoginItem items[kMaxItems];
    std::uint32_t firstVisible;
    VaultHeader header;
    // The key derived from the master password the vault was opened with (its
    // digest, which the header holds too once it is loaded); the password
    // itself is never kept.
    std::uint8_t m_key[kDigestSize];
    std::uint8_t ioBuffer[kIoBufferSize];
    std::uint32_t ioLength;
    std::string filePath;
    bool isOpen;
    // The vault as Load found it or the last save left it.
    FileStamp m_loadedStamp;
    bool m_hasStamp;
    std::unique_ptr<FileLock> m_writerLock;
    // Set while this store is to hold the writer lock, even when a deleted
    // lock file made it lose it.
    std::string m_writerLockPath;
    bool m_readOnly = false;
    // The vault a load made from nothing in this run; kept across logouts.
    std::string m_createdPath;
    // Until something is saved to it, that vault holds only what it was made with.
    bool m_createdUntouched = false;
    VaultFailure m_failure;

    VaultFormat m_format = VaultFormat::Compatible;
    // With the strong format: the vault's cost and salt, and the cipher key
    // then the MAC key derived from them.
    Argon2Parameters m_strongCost;
    std::uint8_t m_salt[16];
    std::uint8_t m_strongKeys[64];
    Argon2Parameters m_newStrongCost = kDefaultStrongParameters;
    bool m_newCostChosen = false;
    // The password given to Open, only while it runs: a strong vault's keys
    // depend on the salt the file holds.
    const char* m_openPassword = nullptr;

    FileSystem* m_fileSystem;
};

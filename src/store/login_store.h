#pragma once
// The table of at most 100 login items, bound to one encrypted vault file.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "store/login_item.h"

class MessageSink;

constexpr std::uint32_t kMaxItems = 100;
constexpr std::uint32_t kPageSize = 10;
constexpr std::uint32_t kIoBufferSize = 2 * 1024 * 1024;
constexpr const char kVaultFileName[] = "logininfo.dat";
constexpr const char kBackupFileName[] = "logininfo.bak";
// Beside the vault: the file whose lock says who may write the vault.
constexpr const char kWriterLockSuffix[] = ".lock";
constexpr const char kDefaultMasterPassword[] = "quillmarsh";
constexpr std::size_t kMasterPasswordSize = 256;

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
};

class LoginStore {
public:
    LoginStore();
    ~LoginStore();
    LoginStore(const LoginStore&) = delete;
    LoginStore& operator=(const LoginStore&) = delete;

    // Seams; nullptr restores the platform default.
    void SetMessageSink(MessageSink* sink);
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
    // opens it; the lock is held until Reset (logout).
    bool OpenDefault(const char* password);
    // One writer at a time: takes the writer lock of the vault at `path`, to
    // be held from before it is opened until Reset, so no other writer
    // changes the file meanwhile. VaultInUse, with no message, when another
    // process holds it. When the lock cannot be had for another reason (no
    // lock file can be made there) the result is VaultOk and no lock is held:
    // a save still refuses to replace a vault that changed since it was read.
    VaultResult LockWriter(const std::string& path);
    // Opens the vault at `path` (the program always uses "logininfo.dat") and
    // tells why it failed; OpenDefault is this with the default name.
    VaultResult Open(const char* password, const std::string& path);
    void FillDefault();
    VaultResult ChangePassword(const char* oldPassword, const char* newPassword);
    bool BackupTo(const std::string& folder);
    void Reset();
    void ClearAfterFailure();
    bool IsOpen() const;

    const std::string& GetFilePath() const;
    // Bytes of the image that the last Load read or the last WriteTo wrote.
    std::uint32_t GetIoLength() const;

private:
    // Lets the tests look at the slots and check that secrets were wiped.
    friend struct LoginStoreProbe;

    void Tell(const char* text);
    FileSystem& Files();
    VaultResult FailLoad(FileHandle& file, const char* message, VaultResult result);
    // True when the vault on disk is no longer the one loaded (and holds
    // something a save would lose).
    bool ChangedSinceLoad(FileHandle& vault);
    // Reads the stamp of the vault as it now is on disk.
    void StampVault();
    // Ends a replacement begun with CreateTempBeside: the temporary file takes
    // the place of `target` when `written`; otherwise, or when that fails, it goes.
    bool CommitReplace(FileHandle& temp, const std::string& tempPath, const std::string& target, bool written);

    LoginItem items[kMaxItems];
    std::uint32_t firstVisible;
    VaultHeader header;
    char masterPassword[kMasterPasswordSize];
    std::uint8_t ioBuffer[kIoBufferSize];
    std::uint32_t ioLength;
    std::string filePath;
    bool isOpen;
    // The vault as Load found it or the last save left it.
    FileStamp m_loadedStamp;
    bool m_hasStamp;
    std::unique_ptr<FileLock> m_writerLock;

    MessageSink* m_sink;
    FileSystem* m_fileSystem;
};

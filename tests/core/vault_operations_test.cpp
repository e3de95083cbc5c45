#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/vault/login_store.h"
#include "core/vault/vault_message.h"
#include "store_test_support.h"

namespace {
class VaultOperationsTest : public StoreTest {
protected:
    std::string VaultPath() const { return dir.Path("vault.dat"); }

    // Logs in as the program does after a logout.
    bool Relogin(const char* password) {
        store->Reset();
        return OpenVault(password);
    }
};
}  // namespace

TEST_F(VaultOperationsTest, FirstStartCreatesTheVaultInTheCurrentFolder) {
    CurrentDirectory here(dir.Path());
    VaultResult result = VaultOk;
    EXPECT_FALSE(store->OpenDefault("typo", &result));
    EXPECT_EQ(result, VaultCreatedNew);
    EXPECT_TRUE(Told(*store).empty());
    EXPECT_EQ(std::filesystem::file_size(dir.Path("logininfo.dat")), 1728u);

    ASSERT_TRUE(store->OpenDefault("quillmarsh"));
    EXPECT_TRUE(store->IsOpen());
    EXPECT_EQ(store->GetFilePath(), "logininfo.dat");
    EXPECT_EQ(store->GetCount(), 1u);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"logininfo.dat", "logininfo.dat.lock"}));
}

TEST_F(VaultOperationsTest, AFailedOpenLeavesTheStoreClosedAndEmpty) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    ASSERT_TRUE(Relogin(kDefaultMasterPassword));
    EXPECT_FALSE(Relogin("wrong"));
    EXPECT_FALSE(store->IsOpen());
    EXPECT_TRUE(store->GetFilePath().empty());
    EXPECT_FALSE(StoreHoldsText(*store, "wrong"));
    EXPECT_TRUE(store->HoldsNoSecret());
}

// The store derives the key from the password it is given and keeps only
// that: the text typed is gone from it as soon as the open returns, and a
// change of password keeps none of the two either.
TEST_F(VaultOperationsTest, NoMasterPasswordIsKeptOnlyItsKey) {
    const char kTyped[] = "Tr0ub4dor&3-zq";
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    ASSERT_EQ(store->ChangePassword(kDefaultMasterPassword, kTyped), VaultOk);
    ASSERT_TRUE(Relogin(kTyped));
    EXPECT_FALSE(StoreHoldsText(*store, kTyped));

    // The key alone saves, and checks the old password at the next change.
    store->AddItem(MakeItem("bank"));
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(store->ChangePassword("not it", "other"), VaultWrongPassword);
    ASSERT_EQ(store->ChangePassword(kTyped, "Zq-second-0ne"), VaultOk);
    EXPECT_FALSE(StoreHoldsText(*store, kTyped));
    EXPECT_FALSE(StoreHoldsText(*store, "Zq-second-0ne"));
    ASSERT_TRUE(Relogin("Zq-second-0ne"));
    EXPECT_EQ(store->GetCount(), 2u);
}

TEST_F(VaultOperationsTest, ResetWipesEverySecret) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    store->AddItem(MakeItem("bank"));
    ASSERT_EQ(store->Save(), VaultOk);
    store->GoToLastPage();
    store->Reset();
    EXPECT_FALSE(store->IsOpen());
    EXPECT_EQ(store->GetFirstVisible(), 0u);
    EXPECT_TRUE(store->GetFilePath().empty());
    EXPECT_TRUE(store->HoldsNoSecret());
}

TEST_F(VaultOperationsTest, ChangePasswordWithAWrongOldPasswordChangesNothing) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    const std::vector<std::uint8_t> before = ReadBytes(VaultPath());
    EXPECT_EQ(store->ChangePassword("Quillmarsh", "new"), VaultWrongPassword);
    EXPECT_EQ(ReadBytes(VaultPath()), before);
    EXPECT_TRUE(Told(*store).empty());  // the caller words a wrong old password
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(ReadBytes(VaultPath()), before);
}

TEST_F(VaultOperationsTest, AChangedPasswordOpensTheVaultAndTheOldOneNoLonger) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    store->AddItem(MakeItem("bank"));
    ASSERT_EQ(store->ChangePassword(kDefaultMasterPassword, "s3cond"), VaultOk);
    EXPECT_FALSE(Relogin(kDefaultMasterPassword));
    EXPECT_EQ(Told(*store), std::vector<std::string>{"please input correct password!"});
    ASSERT_TRUE(Relogin("s3cond"));
    EXPECT_EQ(store->GetCount(), 2u);

    // The new password is not judged here: even an empty one is taken.
    ASSERT_EQ(store->ChangePassword("s3cond", ""), VaultOk);
    EXPECT_TRUE(Relogin(""));
}

TEST_F(VaultOperationsTest, AChangeThatCannotBeSavedKeepsTheOldPasswordInForce) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    {
        std::string error;
        std::unique_ptr<FileHandle> holder = DefaultFileSystem().OpenExclusive(VaultPath(), error);
        ASSERT_TRUE(holder);
        EXPECT_EQ(store->ChangePassword(kDefaultMasterPassword, "never told"), VaultWriteFailed);
    }
    // A later save, once the vault is free again, stays under the old key.
    store->AddItem(MakeItem("bank"));
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_FALSE(Relogin("never told"));
    ASSERT_TRUE(Relogin(kDefaultMasterPassword));
    EXPECT_EQ(store->GetCount(), 2u);

    // A lock (the logout timer, Windows locking) while the caller has the
    // failure on screen empties the store: the old key must not come back
    // into it.
    std::string error;
    std::unique_ptr<FileHandle> holder = DefaultFileSystem().OpenExclusive(VaultPath(), error);
    EXPECT_EQ(store->ChangePassword(kDefaultMasterPassword, "new"), VaultWriteFailed);
    EXPECT_EQ(Told(*store), std::vector<std::string>{"Write file failed!"});  // the save's failure
    store->Reset();
    EXPECT_TRUE(store->HoldsNoSecret());
}

TEST_F(VaultOperationsTest, BackupGoesToLogininfoBakInTheNamedFolder) {
    ASSERT_TRUE(OpenEarlierVault(kDefaultMasterPassword));
    const std::vector<std::uint8_t> vault = ReadBytes(VaultPath());
    std::filesystem::create_directory(dir.Path("backup"));
    const std::string folder = dir.Path("backup");
    const std::string backup = dir.Path("backup/logininfo.bak");
    for (const std::string& given : {folder, folder + "/", folder + "/logininfo.dat"}) {
        SCOPED_TRACE(given);
        WriteBytes(backup, {1, 2, 3});
        EXPECT_EQ(store->BackupTo(given), BackupResult::Written);
        EXPECT_EQ(ReadBytes(backup), vault);
        EXPECT_EQ(TempDir::Names(folder), std::vector<std::string>{"logininfo.bak"});
    }

    CurrentDirectory here(dir.Path());
    for (const std::string& given : {std::string(), std::string("logininfo.dat")}) {
        std::filesystem::remove(dir.Path("logininfo.bak"));
        EXPECT_EQ(store->BackupTo(given), BackupResult::Written);
        EXPECT_EQ(ReadBytes(dir.Path("logininfo.bak")), vault);
    }
    // A name that merely ends like the vault's is a folder of its own.
    EXPECT_EQ(store->BackupTo(dir.Path("old_logininfo.dat")), BackupResult::Failed);
    EXPECT_EQ(store->BackupTo(dir.Path("no such folder")), BackupResult::Failed);
}

TEST_F(VaultOperationsTest, TheLoginHoldsTheWriterLockUntilLogout) {
    CurrentDirectory here(dir.Path());
    ASSERT_TRUE(store->OpenDefault(kDefaultMasterPassword));
    const std::vector<std::uint8_t> vault = ReadBytes(dir.Path("logininfo.dat"));
    std::filesystem::create_symlink(dir.Path("logininfo.dat"), dir.Path("link.dat"));

    // A second writer, by the vault's name or through a link to it, waits.
    auto other = std::make_unique<LoginStore>();
    EXPECT_EQ(other->LockWriter(dir.Path("link.dat")), VaultInUse);
    EXPECT_TRUE(Told(*other).empty());
    EXPECT_FALSE(other->OpenDefault(kDefaultMasterPassword));
    EXPECT_EQ(Told(*other),
              std::vector<std::string>{"The service information file is being changed by another program, please try "
                                       "again later!"});
    EXPECT_FALSE(other->IsOpen());

    // A failed login holds nothing either; logging out hands the lock on.
    EXPECT_FALSE(Relogin("wrong"));
    ASSERT_TRUE(other->OpenDefault(kDefaultMasterPassword));
    EXPECT_EQ(store->LockWriter("logininfo.dat"), VaultInUse);
    other->Reset();
    EXPECT_EQ(store->LockWriter("logininfo.dat"), VaultOk);
    EXPECT_EQ(ReadBytes(dir.Path("logininfo.dat")), vault);
}

TEST_F(VaultOperationsTest, SavesAndBackupsReplaceTheFileALinkNamesAndKeepItsMode) {
    std::filesystem::create_directories(dir.Path("synced/backup"));
    std::filesystem::create_symlink(dir.Path("synced/vault.dat"), dir.Path("vault.dat"));
    std::filesystem::create_symlink(dir.Path("synced/backup/logininfo.bak"), dir.Path("logininfo.bak"));
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    ASSERT_EQ(::chmod(dir.Path("synced/vault.dat").c_str(), 0640), 0);
    for (const char* service : {"bank", "shop"}) {  // the second save replaces what the first wrote
        store->AddItem(MakeItem(service));
        ASSERT_EQ(store->Save(), VaultOk) << service;
    }
    ASSERT_EQ(store->BackupTo(dir.Path()), BackupResult::Written);

    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("vault.dat")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("logininfo.bak")));
    EXPECT_EQ(std::filesystem::file_size(dir.Path("synced/vault.dat")), 5072u);  // 3 items
    EXPECT_EQ(ReadBytes(dir.Path("synced/backup/logininfo.bak")), ReadBytes(dir.Path("synced/vault.dat")));
    struct stat info;
    ASSERT_EQ(::stat(dir.Path("synced/vault.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(TempDir::Names(dir.Path("synced")), (std::vector<std::string>{"backup", "vault.dat"}));
}

TEST_F(VaultOperationsTest, ABackupThatFailsHalfWayKeepsThePreviousOne) {
    ASSERT_TRUE(OpenEarlierVault(kDefaultMasterPassword));
    const std::string backup = dir.Path("logininfo.bak");
    const std::vector<std::uint8_t> previous(3000, 0xAB);
    FaultyFileSystem files;
    store->SetFileSystem(&files);
    for (bool failMove : {false, true}) {
        SCOPED_TRACE(failMove ? "replace fails" : "disk full part-way");
        WriteBytes(backup, previous);
        files.writeLimit = failMove ? -1 : 1000;
        files.failMove = failMove;
        EXPECT_EQ(store->BackupTo(dir.Path()), BackupResult::Failed);
        EXPECT_EQ(ReadBytes(backup), previous);
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"logininfo.bak", "vault.dat"}));
    }
}

// The vault was lost, the backup was not: the program makes a new vault and
// explains the typed password's refusal while the vault is as made, and the
// backup is kept for the rest of the run, whatever is then saved.
TEST_F(VaultOperationsTest, AVaultMadeFromNothingIsExplainedAndNeverReplacesTheBackup) {
    CurrentDirectory here(dir.Path());
    const std::vector<std::uint8_t> users = VaultImage("mine", {MakeItem("bank")}, 1);
    WriteBytes(dir.Path("logininfo.bak"), users);
    VaultResult result = VaultOk;
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_FALSE(store->OpenDefault("mine", &result));
        EXPECT_EQ(result, VaultCreatedNew);
    }
    ASSERT_TRUE(store->OpenDefault(kDefaultMasterPassword));
    EXPECT_EQ(store->BackupTo(""), BackupResult::KeptPrevious);
    store->AddItem(MakeItem("shop"));
    ASSERT_EQ(store->Save(), VaultOk);
    store->Reset();
    EXPECT_FALSE(store->OpenDefault("mine", &result));
    EXPECT_EQ(result, VaultWrongPassword) << "no longer as made";
    ASSERT_TRUE(store->OpenDefault(kDefaultMasterPassword));
    EXPECT_EQ(store->BackupTo(""), BackupResult::KeptPrevious);
    EXPECT_EQ(ReadBytes(dir.Path("logininfo.bak")), users);
    store->Reset();

    auto nextRun = std::make_unique<LoginStore>();
    ASSERT_TRUE(nextRun->OpenDefault(kDefaultMasterPassword));
    EXPECT_EQ(nextRun->BackupTo(""), BackupResult::Written);
}

// Deleting the lock file of a logged-in writer lets a second one take a lock
// of its own, but not write behind the first one's back, nor the first
// behind the second's.
TEST_F(VaultOperationsTest, ADeletedLockFileLetsNoSecondWriterThrough) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    ASSERT_EQ(store->LockWriter(VaultPath()), VaultOk);
    std::filesystem::remove(VaultPath() + kWriterLockSuffix);
    auto other = std::make_unique<LoginStore>();
    ASSERT_EQ(other->LockWriter(VaultPath()), VaultOk);
    ASSERT_EQ(other->Open(kDefaultMasterPassword, VaultPath()), VaultOk);

    store->AddItem(MakeItem("bank"));
    EXPECT_EQ(store->Save(), VaultInUse);
    EXPECT_EQ(LastTold(*store), kVaultBusyMessage);
    other->Reset();
    EXPECT_EQ(store->Save(), VaultOk) << "the lock is taken again";
    EXPECT_EQ(other->LockWriter(VaultPath()), VaultInUse);
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/login_store.h"
#include "store_test_support.h"

namespace {
class VaultOperationsTest : public StoreTest {
protected:
    std::string VaultPath() const { return dir.Path("vault.dat"); }

    // Logs in as the program does after a logout.
    bool Relogin(const char* password) {
        store->Reset();
        sink.messages.clear();
        return OpenVault(password);
    }
};
}  // namespace

TEST_F(VaultOperationsTest, FirstStartCreatesTheVaultInTheCurrentFolder) {
    CurrentDirectory here(dir.Path());
    EXPECT_FALSE(store->OpenDefault("typo"));
    EXPECT_EQ(sink.messages, std::vector<std::string>{"please input correct password!"});
    EXPECT_EQ(std::filesystem::file_size(dir.Path("logininfo.dat")), 1728u);

    ASSERT_TRUE(store->OpenDefault("quillmarsh"));
    EXPECT_TRUE(store->IsOpen());
    EXPECT_EQ(store->GetFilePath(), "logininfo.dat");
    EXPECT_EQ(store->GetCount(), 1u);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"logininfo.dat"});
}

TEST_F(VaultOperationsTest, AFailedOpenLeavesTheStoreClosedAndEmpty) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    ASSERT_TRUE(Relogin(kDefaultMasterPassword));
    EXPECT_FALSE(Relogin("wrong"));
    EXPECT_FALSE(store->IsOpen());
    EXPECT_TRUE(store->GetFilePath().empty());
    EXPECT_STREQ(LoginStoreProbe::MasterPassword(*store), "");
    EXPECT_TRUE(LoginStoreProbe::HoldsNoSecret(*store));
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
    EXPECT_TRUE(LoginStoreProbe::HoldsNoSecret(*store));
}

TEST_F(VaultOperationsTest, ChangePasswordWithAWrongOldPasswordChangesNothing) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    const std::vector<std::uint8_t> before = ReadBytes(VaultPath());
    EXPECT_EQ(store->ChangePassword("Quillmarsh", "new"), VaultWrongPassword);
    EXPECT_EQ(ReadBytes(VaultPath()), before);
    EXPECT_TRUE(sink.messages.empty());
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(ReadBytes(VaultPath()), before);
}

TEST_F(VaultOperationsTest, AChangedPasswordOpensTheVaultAndTheOldOneNoLonger) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    store->AddItem(MakeItem("bank"));
    ASSERT_EQ(store->ChangePassword(kDefaultMasterPassword, "s3cond"), VaultOk);
    EXPECT_FALSE(Relogin(kDefaultMasterPassword));
    EXPECT_EQ(sink.messages, std::vector<std::string>{"please input correct password!"});
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
}

TEST_F(VaultOperationsTest, BackupGoesToLogininfoBakInTheNamedFolder) {
    ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
    const std::vector<std::uint8_t> vault = ReadBytes(VaultPath());
    std::filesystem::create_directory(dir.Path("backup"));
    const std::string folder = dir.Path("backup");
    const std::string backup = dir.Path("backup/logininfo.bak");
    for (const std::string& given : {folder, folder + "/", folder + "/logininfo.dat"}) {
        SCOPED_TRACE(given);
        WriteBytes(backup, {1, 2, 3});
        EXPECT_TRUE(store->BackupTo(given));
        EXPECT_EQ(ReadBytes(backup), vault);
        EXPECT_EQ(TempDir::Names(folder), std::vector<std::string>{"logininfo.bak"});
    }

    CurrentDirectory here(dir.Path());
    for (const std::string& given : {std::string(), std::string("logininfo.dat")}) {
        std::filesystem::remove(dir.Path("logininfo.bak"));
        EXPECT_TRUE(store->BackupTo(given));
        EXPECT_EQ(ReadBytes(dir.Path("logininfo.bak")), vault);
    }
    // A name that merely ends like the vault's is a folder of its own.
    EXPECT_FALSE(store->BackupTo(dir.Path("old_logininfo.dat")));
    EXPECT_FALSE(store->BackupTo(dir.Path("no such folder")));
}

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "core/crypto/password_crypto.h"
#include "core/vault/login_store.h"
#include "memory_file_system.h"
#include "store_test_support.h"

namespace {
constexpr char kPassword[] = "correct horse";

LoginItem Numbered(int i) {
    return MakeItem("service " + std::to_string(i), "user" + std::to_string(i), "pw" + std::to_string(i), i % 5);
}

std::vector<LoginItem> NumberedItems(int count) {
    std::vector<LoginItem> items;
    items.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) items.push_back(Numbered(i));
    return items;
}

class VaultFileTest : public StoreTest {
protected:
    std::string VaultPath() const { return dir.Path("vault.dat"); }

    // Puts a vault of `count` numbered items under kPassword on disk, written
    // by an independent serialiser.
    void PlaceVault(int count) { WriteBytes(VaultPath(), VaultImage(kPassword, NumberedItems(count), count)); }

    VaultResult LoadAs(const char* password, const std::string& path) { return store->Open(password, path); }
    VaultResult LoadAs(const char* password) { return LoadAs(password, VaultPath()); }

    void ExpectFailure(VaultResult got, VaultResult result, const char* message) {
        EXPECT_EQ(got, result);
        ASSERT_EQ(Told(*store).size(), 1u);
        EXPECT_EQ(LastTold(*store), message);
    }

    void ExpectCleared() {
        EXPECT_FALSE(store->IsOpen());
        EXPECT_EQ(store->GetCount(), 0u);
        EXPECT_TRUE(store->GetFilePath().empty());
        EXPECT_TRUE(store->HoldsNoSecret());
    }
};
}  // namespace

TEST_F(VaultFileTest, WrittenImagesFollowTheFormatByteForByte) {
    const struct {
        int items;
        std::size_t size;
    } cases[] = {{0, 64}, {1, 1728}, {100, 166864}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.items);
        PlaceVault(0);
        ASSERT_EQ(LoadAs(kPassword), VaultOk);
        for (int i = 0; i < c.items; ++i) ASSERT_TRUE(store->AddItem(Numbered(i)));
        ASSERT_EQ(store->Save(), VaultOk);
        const std::vector<std::uint8_t> file = ReadBytes(VaultPath());
        ASSERT_EQ(file.size(), c.size);
        EXPECT_EQ(file, VaultImage(kPassword, NumberedItems(c.items), c.items));

        const std::vector<std::uint8_t> plain = Decrypted(file, kPassword);
        std::uint8_t digest[kDigestSize];
        DigestPassword(kPassword, digest);
        EXPECT_EQ(std::memcmp(plain.data(), digest, 16), 0);
        EXPECT_EQ(std::memcmp(plain.data() + 16, "v01\0", 4), 0);
        EXPECT_EQ(plain[20] | plain[21] << 8 | plain[22] << 16 | plain[23] << 24, c.items);
        EXPECT_TRUE(AllZero(plain.data() + 24, 32));
        for (int i = 0; i < c.items; ++i) {
            const LoginItem expected = Numbered(i);
            ASSERT_EQ(std::memcmp(plain.data() + 56 + 1668 * static_cast<std::size_t>(i), &expected, 1668), 0) << i;
        }
        const std::size_t end = 56 + 1668 * static_cast<std::size_t>(c.items);
        EXPECT_TRUE(AllZero(plain.data() + end, plain.size() - end));
        store->Reset();
    }
}

TEST_F(VaultFileTest, RewritingIsDeterministicAndDropsReservedBytes) {
    std::vector<std::uint8_t> plain = PlainImage(kPassword, NumberedItems(2), 2, "v01");
    std::memset(plain.data() + 24, 0x5A, 32);
    std::uint8_t key[kDigestSize];
    DigestPassword(kPassword, key);
    EncryptBuffer(plain.data(), static_cast<std::uint32_t>(plain.size() / 16), key);
    WriteBytes(VaultPath(), plain);

    ASSERT_EQ(LoadAs(kPassword), VaultOk);
    ASSERT_EQ(store->Save(), VaultOk);
    const std::vector<std::uint8_t> first = ReadBytes(VaultPath());
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(ReadBytes(VaultPath()), first);
    EXPECT_EQ(first, VaultImage(kPassword, NumberedItems(2), 2));
}

TEST_F(VaultFileTest, AFullVaultTakesNoMoreAndIsWrittenAsOneHundred) {
    PlaceVault(100);
    ASSERT_EQ(LoadAs(kPassword), VaultOk);
    EXPECT_FALSE(store->AddItem(Numbered(100)));
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(store->GetCount(), 100u);
    EXPECT_EQ(ReadBytes(VaultPath()), VaultImage(kPassword, NumberedItems(100), 100));
}

TEST_F(VaultFileTest, LoadFillsTheTableAndIgnoresBytesBehindTheImage) {
    std::vector<std::uint8_t> bytes = VaultImage(kPassword, NumberedItems(3), 3);
    bytes.resize(8400, 0xEE);
    WriteBytes(VaultPath(), bytes);
    ASSERT_EQ(LoadAs(kPassword), VaultOk);
    EXPECT_TRUE(Told(*store).empty());
    EXPECT_TRUE(store->IsOpen());
    ASSERT_EQ(store->GetCount(), 3u);
    LoginItem item;
    store->GetItem(2, item);
    EXPECT_EQ(std::memcmp(&item, store->RawSlot(2), sizeof item), 0);
    EXPECT_STREQ(item.password, "pw2");
    EXPECT_EQ(store->GetIoLength(), 8400u);
}

TEST_F(VaultFileTest, EmptyPathAndUnopenableFileAreReportedWithoutTouchingTheStore) {
    ExpectFailure(LoadAs(kPassword, ""), VaultBadName, "File name is invalid!");
    ExpectFailure(LoadAs(kPassword, dir.Path("missing/vault.dat")), VaultOpenFailed, std::strerror(ENOENT));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{});
}

TEST_F(VaultFileTest, ALongOpenFailureIsCutWithoutSplittingACharacter) {
    FaultyFileSystem files;
    store->SetFileSystem(&files);
    files.openError = std::string(300, 'e');
    ExpectFailure(LoadAs(kPassword), VaultOpenFailed, std::string(255, 'e').c_str());

    // A double-byte character at 254 and 255 does not fit: it goes whole.
    files.openError = std::string(254, 'e') + "\x82\xA0" + std::string(40, 'e');
    struct LeadIs82 : LeadBytes {
        bool IsLead(unsigned char byte) const override { return byte == 0x82; }
    } lead82;
    SetLeadBytes(&lead82);
    // Cut when it is put into words, in the code page of that moment.
    ExpectFailure(LoadAs(kPassword), VaultOpenFailed, std::string(254, 'e').c_str());
    SetLeadBytes(nullptr);
}

TEST_F(VaultFileTest, AVaultHeldByAnotherOpenerFailsLoadAndSave) {
    PlaceVault(2);
    ASSERT_EQ(LoadAs(kPassword), VaultOk);
    const std::vector<std::uint8_t> before = ReadBytes(VaultPath());
    std::string error;
    std::unique_ptr<FileHandle> holder = DefaultFileSystem().OpenExclusive(VaultPath(), error);
    ASSERT_TRUE(holder);

    store->DeleteItem(0);
    ExpectFailure(store->Save(), VaultOpenFailed, "Write file failed!");
    EXPECT_EQ(ReadBytes(VaultPath()), before);

    auto other = std::make_unique<LoginStore>();
    EXPECT_EQ(other->Open(kPassword, VaultPath()), VaultOpenFailed);
    ASSERT_EQ(Told(*other).size(), 1u);
    EXPECT_FALSE(LastTold(*other).empty());
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"vault.dat"});
}

TEST_F(VaultFileTest, ShortFilesAreDamagedWhateverThePassword) {
    for (std::size_t size : {1u, 20u, 55u}) {
        SCOPED_TRACE(size);
        WriteBytes(VaultPath(), VaultImage(kPassword, {}, 0));
        std::filesystem::resize_file(VaultPath(), size);
        ExpectFailure(LoadAs(kPassword), VaultDamaged, "File is damaged!");
        ExpectCleared();
        ExpectFailure(LoadAs("another"), VaultDamaged, "File is damaged!");
    }
}

TEST_F(VaultFileTest, AnotherPasswordIsAWrongPasswordNotDamage) {
    for (int count : {0, 3}) {
        PlaceVault(count);
        ExpectFailure(LoadAs("Correct horse"), VaultWrongPassword, "please input correct password!");
        ExpectCleared();
    }
}

TEST_F(VaultFileTest, BadHeadersAreDamageOnceThePasswordMatched) {
    const struct {
        const char* what;
        std::vector<std::uint8_t> image;
    } cases[] = {
        {"count 101", VaultImage(kPassword, NumberedItems(101), 101)},
        {"tag v02", VaultImage(kPassword, NumberedItems(1), 1, "v02")},
        {"unterminated tag", VaultImage(kPassword, NumberedItems(1), 1, "v01x")},
        {"shorter than its count", VaultImage(kPassword, NumberedItems(2), 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(VaultPath(), c.image);
        ExpectFailure(LoadAs(kPassword), VaultDamaged, "File is damaged!");
        ExpectCleared();
    }
}

TEST_F(VaultFileTest, FilesLongerThanTheBufferAreRefused) {
    std::vector<std::uint8_t> bytes = VaultImage(kPassword, NumberedItems(1), 1);
    bytes.resize(kIoBufferSize, 0);
    WriteBytes(VaultPath(), bytes);
    EXPECT_EQ(LoadAs(kPassword), VaultOk);

    bytes.push_back(0);
    WriteBytes(VaultPath(), bytes);
    ExpectFailure(LoadAs(kPassword), VaultDamaged, "File is damaged!");
    ExpectCleared();
}

TEST_F(VaultFileTest, AReadFailureClearsTheStore) {
    PlaceVault(2);
    FaultyFileSystem files;
    files.failRead = true;
    store->SetFileSystem(&files);
    ExpectFailure(LoadAs(kPassword), VaultReadFailed, "Read file failed!");
    ExpectCleared();
}

TEST_F(VaultFileTest, AMissingOrEmptyFileIsCreatedWithTheDefaultContent) {
    for (bool exists : {false, true}) {
        SCOPED_TRACE(exists);
        std::filesystem::remove(VaultPath());
        if (exists) WriteBytes(VaultPath(), {});

        EXPECT_EQ(LoadAs("not the default"), VaultCreatedNew);  // told by the caller, who knows the backup
        EXPECT_TRUE(Told(*store).empty());
        const std::vector<std::uint8_t> created = ReadBytes(VaultPath());
        ASSERT_EQ(created.size(), 1728u);
        const std::vector<std::uint8_t> plain = Decrypted(created, kDefaultMasterPassword);
        EXPECT_EQ(plain[20], 1);

        ASSERT_EQ(LoadAs(kDefaultMasterPassword), VaultOk);
        ASSERT_EQ(store->GetCount(), 1u);
        LoginItem item;
        store->GetItem(0, item);
        EXPECT_STREQ(item.serviceName, "Corvanet software");
        EXPECT_STREQ(item.userName, "Pellucorda");
        EXPECT_STREQ(item.password, "brackmon");
        EXPECT_EQ(std::string(item.serviceAddress).rfind("http://", 0), 0u);
        EXPECT_STREQ(item.description, "The homepage of Pellucorda.");
        EXPECT_EQ(item.addressType, ADDRESS_HTTP);
        EXPECT_EQ(ReadBytes(VaultPath()), created);
        store->Reset();
    }
}

TEST_F(VaultFileTest, AFailedDefaultWriteLeavesAnEmptyFileToStartAgain) {
    FaultyFileSystem files;
    files.writeLimit = 1000;
    store->SetFileSystem(&files);
    ExpectFailure(LoadAs(kDefaultMasterPassword), VaultWriteFailed, "Write file failed!");
    EXPECT_EQ(std::filesystem::file_size(VaultPath()), 0u);
    EXPECT_EQ(store->GetCount(), 1u);  // the default item stays until the next load

    files.writeLimit = -1;
    EXPECT_EQ(LoadAs(kDefaultMasterPassword), VaultOk);
    EXPECT_EQ(std::filesystem::file_size(VaultPath()), 1728u);
}

TEST_F(VaultFileTest, SavingAShorterTableShortensTheFile) {
    PlaceVault(5);
    ASSERT_EQ(LoadAs(kPassword), VaultOk);
    store->DeleteItem(4);
    store->DeleteItem(0);
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(std::filesystem::file_size(VaultPath()), 5072u);
    ASSERT_EQ(LoadAs(kPassword), VaultOk);
    EXPECT_EQ(store->GetCount(), 3u);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"vault.dat"});
}

TEST_F(VaultFileTest, AFailedSaveLeavesThePreviousVaultWhole) {
    for (bool failMove : {false, true}) {
        SCOPED_TRACE(failMove ? "replace fails" : "write fails part-way");
        PlaceVault(5);
        const std::vector<std::uint8_t> before = ReadBytes(VaultPath());
        FaultyFileSystem files;
        store->SetFileSystem(&files);
        ASSERT_EQ(LoadAs(kPassword), VaultOk);
        store->DeleteItem(1);
        store->AddItem(MakeItem("new one"));
        files.writeLimit = failMove ? -1 : 4096;
        files.failMove = failMove;

        EXPECT_EQ(store->Save(), VaultWriteFailed);
        EXPECT_EQ(Told(*store), std::vector<std::string>{"Write file failed!"});
        EXPECT_EQ(ReadBytes(VaultPath()), before);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"vault.dat"});
        EXPECT_EQ(store->GetCount(), 5u);  // the change stays in memory

        store->SetFileSystem(nullptr);
        ASSERT_EQ(LoadAs(kPassword), VaultOk);
        LoginItem item;
        store->GetItem(1, item);
        EXPECT_STREQ(item.serviceName, "service 1");
        store->Reset();
    }
}

// A replace that fails half-way has taken the vault away: the new image,
// now the only copy, stays in its temporary file.
TEST_F(VaultFileTest, AReplaceThatLosesTheVaultKeepsTheNewImage) {
    MemoryFileSystem files;
    store->SetFileSystem(&files);
    ASSERT_EQ(store->Open(kDefaultMasterPassword, "vault.dat"), VaultOk);
    store->AddItem(MakeItem("bank"));
    files.faults.failMove = files.faults.moveLosesTarget = true;
    EXPECT_EQ(store->Save(), VaultWriteFailed);
    EXPECT_EQ(Told(*store), std::vector<std::string>{"Write file failed!"});
    ASSERT_EQ(files.Names(), std::vector<std::string>{"vault.dat.tmp1"});
    EXPECT_EQ(Decrypted(files.Contents("vault.dat.tmp1"), kDefaultMasterPassword)[20], 2);
}

// Another reader holds the vault just when a save takes its new stamp: a
// later change by another program is still found.
TEST_F(VaultFileTest, ChangeDetectionOutlastsAReaderAtTheMomentOfTheStamp) {
    struct ReadAfterMove : MemoryFileSystem {
        bool MoveReplace(const std::string& from, const std::string& to) override {
            std::string error;
            const bool moved = MemoryFileSystem::MoveReplace(from, to);
            reader = OpenForReading(to, error);
            return moved;
        }
        std::unique_ptr<FileHandle> reader;
    } files;
    store->SetFileSystem(&files);
    ASSERT_EQ(store->Open(kDefaultMasterPassword, "vault.dat"), VaultOk);
    store->AddItem(MakeItem("bank"));
    ASSERT_EQ(store->Save(), VaultOk);
    ASSERT_TRUE(files.reader);
    files.reader.reset();
    const std::vector<std::uint8_t> theirs = VaultImage(kDefaultMasterPassword, {MakeItem("theirs")}, 1);
    files.Put("vault.dat", theirs.data(), theirs.size());
    store->AddItem(MakeItem("shop"));
    EXPECT_EQ(store->Save(), VaultChanged);
    EXPECT_EQ(files.Contents("vault.dat"), theirs);
}

// The vault with the strong key: its layout read back field by field, what
// damage of each kind is told as, and switching between the two keys.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/crypto/argon2.h"
#include "core/crypto/blake2b.h"
#include "core/crypto/rijndael.h"
#include "core/vault/login_store.h"
#include "store_test_support.h"

namespace {
constexpr char kLong[] = "a master password of forty-two characters!";
constexpr Argon2Parameters kCheap = {64, 1, 1, kArgon2Version};

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

class StrongVaultTest : public StoreTest {
protected:
    std::string VaultPath() const { return dir.Path("vault.dat"); }

    // A vault of four items (the default one and three) switched to the
    // strong key under kLong.
    void MakeStrongVault() {
        ASSERT_TRUE(OpenVault(kDefaultMasterPassword));
        for (const char* name : {"alpha", "beta", "gamma"}) ASSERT_TRUE(store->AddItem(MakeItem(name)));
        store->SetNewStrongParameters(kCheap);
        ASSERT_EQ(store->ChangePassword(kDefaultMasterPassword, kLong, VaultFormat::Strong), VaultOk);
        store->Reset();
    }

    VaultResult Reopen(const char* password) {
        store->Reset();
        return store->Open(password, VaultPath());
    }
};
}  // namespace

// The file read with nothing of the store: the header's fields, the MAC with
// the second half of the Argon2id output, the table under the first half.
TEST_F(StrongVaultTest, TheFileFollowsItsLayoutAndOpensOnlyWithItsPassword) {
    MakeStrongVault();
    const std::vector<std::uint8_t> file = ReadBytes(VaultPath());
    const std::uint8_t magic[8] = {0x89, 'P', 'L', 'C', '\r', '\n', 0x1A, '\n'};
    // The plain header, the table of four padded to whole blocks, the MAC.
    ASSERT_EQ(file.size(), 80u + 6736u + 32u);
    EXPECT_EQ(std::memcmp(file.data(), magic, 8), 0);
    EXPECT_EQ((std::vector<std::uint32_t>{Word(file, 8), Word(file, 12), Word(file, 16), Word(file, 20), Word(file, 24),
                                          Word(file, 28), Word(file, 64)}),
              (std::vector<std::uint32_t>{1, 2, 0x13, 64, 1, 1, static_cast<std::uint32_t>(file.size() - 112)}));

    std::uint8_t keys[64];
    Argon2Input input;
    input.password = kLong;
    input.passwordLength = std::strlen(kLong);
    input.salt = &file[32];
    input.saltLength = 16;
    ASSERT_EQ(Argon2Hash(Argon2Type::Id, kCheap, input, keys, sizeof keys), Argon2Result::Ok);
    std::uint8_t mac[32];
    Blake2bHash(mac, sizeof mac, file.data(), file.size() - 32, keys + 32, 32);
    EXPECT_EQ(std::memcmp(mac, &file[file.size() - 32], 32), 0);
    std::vector<std::uint8_t> body(file.begin() + 80, file.end() - 32);
    CRijndael aes;
    aes.Setup(CRijndael::CBC, CRijndael::Decrypt, keys, CRijndael::Key32Bytes, &file[48]);
    aes.DecryptBlocks(body.data(), static_cast<int>(body.size() * 8), body.data());
    EXPECT_TRUE(AllZero(body.data(), 16)) << "no fast digest of the password beside the slow key";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&body[16])), "v01");
    EXPECT_EQ(Word(body, 20), 4u);
    LoginItem third;
    std::memcpy(&third, &body[56 + 2 * sizeof(LoginItem)], sizeof third);
    EXPECT_STREQ(third.serviceName, "beta");

    EXPECT_EQ(Reopen("quillmarsh"), VaultWrongPassword);
    EXPECT_EQ(LastTold(*store), "please input correct password!");
    EXPECT_TRUE(store->HoldsNoSecret());
    ASSERT_EQ(Reopen(kLong), VaultOk);
    EXPECT_EQ(store->GetFormat(), VaultFormat::Strong);
    EXPECT_EQ(store->GetCount(), 4u);
    EXPECT_FALSE(StoreHoldsText(*store, kLong));

    // Every save draws a new initial vector; the salt stays until the
    // password changes.
    ASSERT_EQ(store->Save(), VaultOk);
    const std::vector<std::uint8_t> resaved = ReadBytes(VaultPath());
    EXPECT_TRUE(std::equal(file.begin() + 32, file.begin() + 48, resaved.begin() + 32));
    EXPECT_FALSE(std::equal(file.begin() + 48, file.begin() + 64, resaved.begin() + 48));
    ASSERT_EQ(store->ChangePassword(kLong, kLong), VaultOk);
    EXPECT_FALSE(std::equal(file.begin() + 32, file.begin() + 48, ReadBytes(VaultPath()).begin() + 32));
    EXPECT_EQ(Reopen(kLong), VaultOk);
}

// A header that is not ours is damage; anything the MAC covers that changed
// cannot be told from another password.
TEST_F(StrongVaultTest, DamageIsToldAsFarAsTheMacAllows) {
    MakeStrongVault();
    const std::vector<std::uint8_t> good = ReadBytes(VaultPath());
    const auto flip = [&](std::size_t at, std::uint8_t bits) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] ^= bits;
        return bytes;
    };
    const auto cut = [&](std::size_t size) {
        return std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    };
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        VaultResult result;
    } cases[] = {
        {"magic only", cut(8), VaultDamaged},
        {"header only", cut(80), VaultDamaged},
        {"one byte short", cut(good.size() - 1), VaultDamaged},
        {"one byte more", longer, VaultDamaged},
        {"format version", flip(8, 2), VaultDamaged},
        {"key derivation", flip(12, 1), VaultDamaged},
        {"memory beyond the limit", flip(23, 0x40), VaultDamaged},
        {"no pass", flip(24, 1), VaultDamaged},
        {"reserved", flip(79, 1), VaultDamaged},
        {"salt", flip(40, 1), VaultWrongPassword},
        {"initial vector", flip(50, 0x80), VaultWrongPassword},
        {"cipher text", flip(200, 1), VaultWrongPassword},
        {"MAC", flip(good.size() - 1, 1), VaultWrongPassword},
        {"two passes", flip(24, 3), VaultWrongPassword},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(VaultPath(), c.bytes);
        EXPECT_EQ(Reopen(kLong), c.result);
        EXPECT_EQ(LastTold(*store), c.result == VaultDamaged ? "File is damaged!" : "please input correct password!");
        EXPECT_TRUE(store->HoldsNoSecret());
        EXPECT_EQ(ReadBytes(VaultPath()), c.bytes) << "a refused vault is left as it is";
    }
}

TEST_F(StrongVaultTest, SwitchingBackWritesTheCompatibleFormatAndFailuresKeepTheKey) {
    MakeStrongVault();
    ASSERT_EQ(Reopen(kLong), VaultOk);
    const std::vector<std::uint8_t> strong = ReadBytes(VaultPath());
    EXPECT_EQ(store->ChangePassword("not it", "short", VaultFormat::Compatible), VaultWrongPassword);
    EXPECT_EQ(store->ChangePassword(kLong, kLong, VaultFormat::Compatible), VaultBadName);
    FaultyFileSystem faulty;
    faulty.failMove = true;
    store->SetFileSystem(&faulty);
    EXPECT_EQ(store->ChangePassword(kLong, "short", VaultFormat::Compatible), VaultWriteFailed);
    store->SetFileSystem(nullptr);
    EXPECT_EQ(ReadBytes(VaultPath()), strong);
    EXPECT_EQ(store->GetFormat(), VaultFormat::Strong);
    ASSERT_EQ(store->Save(), VaultOk) << "a later save keeps the key in force";
    EXPECT_EQ(store->FormatOnDisk(VaultPath()), VaultFormat::Strong);

    ASSERT_EQ(store->ChangePassword(kLong, "sixteen chars ok", VaultFormat::Compatible), VaultOk);
    std::vector<LoginItem> items;
    for (int i = 0; i < 4; ++i) {
        items.emplace_back();
        store->GetItem(i, items.back());
    }
    EXPECT_EQ(ReadBytes(VaultPath()), VaultImage("sixteen chars ok", items, 4));
    EXPECT_EQ(store->FormatOnDisk(VaultPath()), VaultFormat::Compatible);
    EXPECT_EQ(store->FormatOnDisk(dir.Path("missing")), VaultFormat::Compatible);
    EXPECT_EQ(Reopen("sixteen chars ok"), VaultOk);
}

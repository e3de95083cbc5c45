#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/crypto/password_crypto.h"
#include "core/crypto/rijndael.h"
#include "support/hex.h"

namespace {

Bytes Digest(const char* password) {
    Bytes d(kDigestSize);
    DigestPassword(password, d.data());
    return d;
}

// A buffer of distinct-looking blocks, the size of vault images and beyond.
Bytes Pattern(std::size_t blocks) {
    Bytes b(blocks * 16);
    std::uint32_t x = 0x12345678u;
    for (auto& byte : b) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(x >> 24);
    }
    return b;
}

const Bytes kKey = FromHex("2b7e151628aed2a6abf7158809cf4f3c");

TEST(DigestPassword, HashesThePasswordPaddedTo128Bytes) {
    // MD5 of "0123456789" followed by 118 zero bytes, not of the ten bytes alone
    // (781e5e245d69b566979b86e28d23f2c7).
    EXPECT_EQ(Digest("0123456789"), FromHex("07a7bcc8e52f7a459fba7c0b7dc63c88"));
    // MD5 of 128 zero bytes.
    EXPECT_EQ(Digest(""), FromHex("f09f35a5637839458e462e6350ecbce4"));
    EXPECT_EQ(Digest(nullptr), Digest(""));
}

TEST(DigestPassword, OnlyTheFirst128BytesCount) {
    const std::string base(128, 'k');
    EXPECT_EQ(Digest((base + "tail one").c_str()), Digest((base + "other").c_str()));
    EXPECT_EQ(Digest((base + "x").c_str()), Digest(base.c_str()));
    std::string differsAtLastCountedByte = base;
    differsAtLastCountedByte[127] = 'j';
    EXPECT_NE(Digest(differsAtLastCountedByte.c_str()), Digest(base.c_str()));

    // A 128-byte password needs no terminator: nothing past it may be read
    // (the sanitizer reports a read past this exact-size heap block).
    std::unique_ptr<char[]> unterminated(new char[128]);
    std::memset(unterminated.get(), 'k', 128);
    EXPECT_EQ(Digest(unterminated.get()), Digest(base.c_str()));
}

TEST(CheckPassword, AcceptsOnlyTheMatchingPassword) {
    const Bytes stored = Digest("quillmarsh");
    EXPECT_TRUE(CheckPassword("quillmarsh", stored.data()));
    EXPECT_FALSE(CheckPassword("Quillmarsh", stored.data()));
    EXPECT_FALSE(CheckPassword("quillmarsh ", stored.data()));
    EXPECT_FALSE(CheckPassword("", stored.data()));
    Bytes lastByteOff = stored;
    lastByteOff[15] ^= 1;
    EXPECT_FALSE(CheckPassword("quillmarsh", lastByteOff.data()));
}

TEST(EncryptBuffer, IsCbcWithAZeroVectorInPlace) {
    // SP 800-38A's plaintext and key under a zero initial vector, computed by an
    // independent implementation; the first block is the F.1.1 ECB result.
    Bytes buffer = FromHex(
        "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
        "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
    const Bytes plain = buffer;
    EncryptBuffer(buffer.data(), 4, kKey.data());
    EXPECT_EQ(buffer, FromHex("3ad77bb40d7a3660a89ecaf32466ef97b148c17f309ee692287ae57cf12add49"
                              "c93d11bfaf08c5dc4d90b37b4dee002ba7356e1207bb406639e5e5ceb9a9ed93"));
    DecryptBuffer(buffer.data(), 4, kKey.data());
    EXPECT_EQ(buffer, plain);

    // No blocks: nothing touched.
    EncryptBuffer(buffer.data(), 0, kKey.data());
    DecryptBuffer(buffer.data(), 0, kKey.data());
    EXPECT_EQ(buffer, plain);
}

TEST(EncryptBuffer, RoundTripsOneBlockAndAFullVaultImage) {
    const Bytes key = Digest("a master password");
    for (std::uint32_t blocks : {1u, 10429u}) {
        const Bytes plain = Pattern(blocks);
        Bytes buffer = plain;
        EncryptBuffer(buffer.data(), blocks, key.data());
        EXPECT_NE(buffer, plain);

        // In place gives what a separate output buffer gives.
        CRijndael engine;
        ASSERT_EQ(engine.Setup(CRijndael::CBC, CRijndael::Encrypt, key.data(), CRijndael::Key16Bytes), 0);
        Bytes separate(plain.size());
        const int bits = static_cast<int>(blocks * 128);
        ASSERT_EQ(engine.EncryptBlocks(plain.data(), bits, separate.data()), bits);
        EXPECT_EQ(buffer, separate) << blocks;

        // Every encryption starts from the zero vector: the same bytes again.
        Bytes again = plain;
        EncryptBuffer(again.data(), blocks, key.data());
        EXPECT_EQ(again, buffer) << blocks;

        DecryptBuffer(buffer.data(), blocks, key.data());
        EXPECT_EQ(buffer, plain) << blocks;
    }
}

TEST(EncryptBuffer, ShorterRunsChainLikeOneRun) {
    const std::uint32_t blocks = 23;
    const Bytes plain = Pattern(blocks);
    Bytes whole = plain;
    EncryptBuffer(whole.data(), blocks, kKey.data());
    for (std::uint32_t run : {1u, 3u, 7u, 22u, 23u, 100u}) {
        Bytes buffer = plain;
        CbcBufferInRuns(buffer.data(), blocks, kKey.data(), false, run);
        EXPECT_EQ(buffer, whole) << "encrypting in runs of " << run;
        CbcBufferInRuns(buffer.data(), blocks, kKey.data(), true, run);
        EXPECT_EQ(buffer, plain) << "decrypting in runs of " << run;
    }
}

}  // namespace

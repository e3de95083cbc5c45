#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/crypto/rijndael.h"
#include "core/crypto/rijndael_tables.h"
#include "support/hex.h"

namespace {

// ---- The tables, recomputed from GF(2^8) arithmetic --------------------------

std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) {
    unsigned product = 0;
    unsigned x = a;
    for (int bit = 0; bit < 8; ++bit) {
        if (b & (1u << bit)) product ^= x << bit;
    }
    // Reduce modulo x^8 + x^4 + x^3 + x + 1.
    for (int bit = 14; bit >= 8; --bit) {
        if (product & (1u << bit)) product ^= 0x11Bu << (bit - 8);
    }
    return static_cast<std::uint8_t>(product);
}

std::uint8_t Inverse(std::uint8_t a) {
    if (a == 0) return 0;
    for (unsigned b = 1; b < 256; ++b) {
        if (Multiply(a, static_cast<std::uint8_t>(b)) == 1) return static_cast<std::uint8_t>(b);
    }
    ADD_FAILURE() << "no inverse for " << int(a);
    return 0;
}

std::uint8_t AffineSBox(std::uint8_t x) {
    const std::uint8_t b = Inverse(x);
    std::uint8_t s = 0;
    for (int i = 0; i < 8; ++i) {
        const int bit = ((b >> i) ^ (b >> ((i + 4) % 8)) ^ (b >> ((i + 5) % 8)) ^ (b >> ((i + 6) % 8)) ^
                         (b >> ((i + 7) % 8)) ^ (0x63 >> i)) &
                        1;
        s |= static_cast<std::uint8_t>(bit << i);
    }
    return s;
}

// A column with `value` in row `row` and zeros elsewhere, multiplied by the
// circulant matrix whose first row is m, packed row 0 first.
std::uint32_t MixSingle(const std::uint8_t m[4], int row, std::uint8_t value) {
    std::uint32_t word = 0;
    for (int r = 0; r < 4; ++r) {
        const std::uint8_t coefficient = m[(row - r + 4) % 4];
        word |= static_cast<std::uint32_t>(Multiply(coefficient, value)) << (24 - 8 * r);
    }
    return word;
}

TEST(RijndaelTables, SBoxesFollowFromFieldInverseAndAffineMap) {
    for (int x = 0; x < 256; ++x) {
        const std::uint8_t s = AffineSBox(static_cast<std::uint8_t>(x));
        EXPECT_EQ(kSBox[x], s) << "S-box entry " << x;
        EXPECT_EQ(kInvSBox[s], x) << "inverse S-box entry " << int(s);
    }
}

TEST(RijndaelTables, RoundTablesFollowFromMixColumns) {
    const std::uint8_t mix[4] = {2, 3, 1, 1};
    const std::uint8_t invMix[4] = {14, 11, 13, 9};
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < 256; ++x) {
            const std::uint8_t b = static_cast<std::uint8_t>(x);
            EXPECT_EQ(kFwdTable[row][x], MixSingle(mix, row, AffineSBox(b)))
                << "forward table " << row << " entry " << x;
            EXPECT_EQ(kInvTable[row][x], MixSingle(invMix, row, kInvSBox[x]))
                << "inverse table " << row << " entry " << x;
            EXPECT_EQ(kKeyInvMix[row][x], MixSingle(invMix, row, b))
                << "key conversion table " << row << " entry " << x;
        }
    }
}

TEST(RijndaelTables, RoundConstantsArePowersOfTwo) {
    std::uint8_t power = 1;
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(kRoundConstants[i], power) << i;
        power = Multiply(power, 2);
    }
}

// ---- Known answers ----------------------------------------------------------

const Bytes kNistKey = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
const Bytes kNistIv = FromHex("000102030405060708090a0b0c0d0e0f");
const Bytes kNistPlain = FromHex(
    "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");

TEST(Rijndael, Fips197AppendixCInBothDirections) {
    const struct {
        int keyLengthCode;
        const char* key;
        const char* cipher;
    } cases[] = {
        {CRijndael::Key16Bytes, "000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {CRijndael::Key24Bytes, "000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {CRijndael::Key32Bytes, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
         "8ea2b7ca516745bfeafc49904b496089"},
        // Back to a short key on a reused engine: nothing of the longer
        // schedule may linger.
        {CRijndael::Key16Bytes, "000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
    };
    const Bytes plain = FromHex("00112233445566778899aabbccddeeff");
    CRijndael encryptor;
    CRijndael decryptor;
    for (const auto& c : cases) {
        const Bytes key = FromHex(c.key);
        const Bytes cipher = FromHex(c.cipher);
        Bytes out(16);
        ASSERT_EQ(encryptor.Setup(CRijndael::ECB, CRijndael::Encrypt, key.data(), c.keyLengthCode), 0);
        EXPECT_EQ(encryptor.EncryptBlocks(plain.data(), 128, out.data()), 128);
        EXPECT_EQ(out, cipher) << c.key;
        ASSERT_EQ(decryptor.Setup(CRijndael::ECB, CRijndael::Decrypt, key.data(), c.keyLengthCode), 0);
        EXPECT_EQ(decryptor.DecryptBlocks(cipher.data(), 128, out.data()), 128);
        EXPECT_EQ(out, plain) << c.key;
    }
}

TEST(Rijndael, Sp800_38aCbcAes128BothDirectionsAndInPlace) {
    const Bytes cipher = FromHex(
        "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
        "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7");
    const int bits = static_cast<int>(kNistPlain.size() * 8);

    CRijndael engine;
    ASSERT_EQ(engine.Setup(CRijndael::CBC, CRijndael::Encrypt, kNistKey.data(), CRijndael::Key16Bytes, kNistIv.data()),
              0);
    Bytes out(kNistPlain.size());
    EXPECT_EQ(engine.EncryptBlocks(kNistPlain.data(), bits, out.data()), bits);
    EXPECT_EQ(out, cipher);
    // Each call chains from the initial vector again, not from the last block.
    Bytes inPlace = kNistPlain;
    EXPECT_EQ(engine.EncryptBlocks(inPlace.data(), bits, inPlace.data()), bits);
    EXPECT_EQ(inPlace, cipher);

    ASSERT_EQ(engine.Setup(CRijndael::CBC, CRijndael::Decrypt, kNistKey.data(), CRijndael::Key16Bytes, kNistIv.data()),
              0);
    EXPECT_EQ(engine.DecryptBlocks(cipher.data(), bits, out.data()), bits);
    EXPECT_EQ(out, kNistPlain);
    EXPECT_EQ(engine.DecryptBlocks(inPlace.data(), bits, inPlace.data()), bits);
    EXPECT_EQ(inPlace, kNistPlain);
}

TEST(Rijndael, Cfb1Aes128AsAStream) {
    // SP 800-38A F.3.1 / F.3.2 give the first 16 bits; the rest of the run was
    // produced by an independent implementation.
    const Bytes cipher = FromHex(
        "68b3a264f838f5f8c3101070d1ab4c2e22e7f950383a0b71ade4fad0095cb188"
        "a57972c3c1882615f7511411fbebf1193997069704fc1d1f27028434c99e60f4");
    ASSERT_EQ(cipher[0], 0x68);  // F.3.1 ciphertext bits 0110 1000 1011 0011
    ASSERT_EQ(cipher[1], 0xb3);
    const int bits = static_cast<int>(kNistPlain.size() * 8);

    CRijndael engine;
    ASSERT_EQ(engine.Setup(CRijndael::CFB1, CRijndael::Encrypt, kNistKey.data(), CRijndael::Key16Bytes, kNistIv.data()),
              0);
    Bytes out(kNistPlain.size());
    EXPECT_EQ(engine.EncryptBlocks(kNistPlain.data(), bits, out.data()), bits);
    EXPECT_EQ(out, cipher);
    // An engine set up to encrypt may also decrypt in this mode.
    Bytes back(kNistPlain.size());
    EXPECT_EQ(engine.DecryptBlocks(cipher.data(), bits, back.data()), bits);
    EXPECT_EQ(back, kNistPlain);

    // A shorter run is a prefix of the longer one.
    Bytes firstBlock(16);
    EXPECT_EQ(engine.EncryptBlocks(kNistPlain.data(), 128, firstBlock.data()), 128);
    EXPECT_EQ(firstBlock, Bytes(cipher.begin(), cipher.begin() + 16));

    // A decrypting engine runs on the encryption schedule too, also in place,
    // and refuses to encrypt like any decrypting engine.
    ASSERT_EQ(engine.Setup(CRijndael::CFB1, CRijndael::Decrypt, kNistKey.data(), CRijndael::Key16Bytes, kNistIv.data()),
              0);
    Bytes inPlace = cipher;
    EXPECT_EQ(engine.DecryptBlocks(inPlace.data(), bits, inPlace.data()), bits);
    EXPECT_EQ(inPlace, kNistPlain);
    EXPECT_EQ(engine.EncryptBlocks(kNistPlain.data(), bits, out.data()), CRijndael::RE_WRONG_DIRECTION);
}

// ---- Lengths and result codes -----------------------------------------------

TEST(Rijndael, OnlyWholeBlocksAreProcessed) {
    CRijndael ecb;
    ASSERT_EQ(ecb.Setup(CRijndael::ECB, CRijndael::Encrypt, kNistKey.data(), CRijndael::Key16Bytes), 0);
    Bytes expectedFirst(16);
    ASSERT_EQ(ecb.EncryptBlocks(kNistPlain.data(), 128, expectedFirst.data()), 128);

    for (int mode : {CRijndael::ECB, CRijndael::CBC, CRijndael::CFB1}) {
        CRijndael engine;
        ASSERT_EQ(engine.Setup(mode, CRijndael::Encrypt, kNistKey.data(), CRijndael::Key16Bytes), 0);
        Bytes out(32, 0xEE);
        EXPECT_EQ(engine.EncryptBlocks(kNistPlain.data(), 200, out.data()), 128) << mode;
        for (int i = 16; i < 32; ++i) EXPECT_EQ(out[i], 0xEE) << "mode " << mode << " byte " << i;
        if (mode != CRijndael::CFB1) {  // zero IV: CBC's first block is ECB's
            EXPECT_EQ(Bytes(out.begin(), out.begin() + 16), expectedFirst) << mode;
        }
        EXPECT_EQ(engine.EncryptBlocks(kNistPlain.data(), 127, out.data()), 0) << mode;

        CRijndael decryptor;
        ASSERT_EQ(decryptor.Setup(mode, CRijndael::Decrypt, kNistKey.data(), CRijndael::Key16Bytes), 0);
        Bytes back(32, 0xEE);
        EXPECT_EQ(decryptor.DecryptBlocks(out.data(), 255, back.data()), 128) << mode;
        EXPECT_EQ(Bytes(back.begin(), back.begin() + 16), Bytes(kNistPlain.begin(), kNistPlain.begin() + 16)) << mode;
        EXPECT_EQ(back[16], 0xEE) << mode;
    }
}

TEST(Rijndael, SetupChecksInOrderAndFailureLeavesTheEngineNotValid) {
    const std::uint8_t* key = kNistKey.data();
    CRijndael engine;
    Bytes out(16, 0xEE);
    EXPECT_EQ(engine.EncryptBlocks(kNistPlain.data(), 128, out.data()), CRijndael::RE_NOT_SET_UP);
    EXPECT_EQ(engine.DecryptBlocks(kNistPlain.data(), 128, out.data()), CRijndael::RE_NOT_SET_UP);

    const struct {
        int mode, direction;
        const std::uint8_t* key;
        int keyLengthCode;
        int expected;
    } failures[] = {
        {3, 2, nullptr, 7, CRijndael::RE_UNSUPPORTED_MODE},
        {-1, 0, key, 0, CRijndael::RE_UNSUPPORTED_MODE},
        {1, 2, nullptr, 7, CRijndael::RE_UNSUPPORTED_DIRECTION},
        {0, -1, key, 0, CRijndael::RE_UNSUPPORTED_DIRECTION},
        {2, 1, nullptr, 3, CRijndael::RE_UNSUPPORTED_KEY_LENGTH},
        {0, 0, key, -1, CRijndael::RE_UNSUPPORTED_KEY_LENGTH},
        {1, 0, nullptr, 0, CRijndael::RE_NO_KEY},
    };
    for (const auto& f : failures) {
        // A good setup first, so the failure has to take validity away.
        ASSERT_EQ(engine.Setup(CRijndael::ECB, CRijndael::Encrypt, key, CRijndael::Key16Bytes), 0);
        EXPECT_EQ(engine.Setup(f.mode, f.direction, f.key, f.keyLengthCode), f.expected)
            << f.mode << ' ' << f.direction << ' ' << f.keyLengthCode;
        EXPECT_EQ(engine.EncryptBlocks(kNistPlain.data(), 128, out.data()), CRijndael::RE_NOT_SET_UP);
        EXPECT_EQ(engine.DecryptBlocks(kNistPlain.data(), 128, out.data()), CRijndael::RE_NOT_SET_UP);
    }
    EXPECT_EQ(out, Bytes(16, 0xEE));
}

TEST(Rijndael, WrongDirectionAndNothingToDo) {
    CRijndael encryptor;
    CRijndael decryptor;
    Bytes out(16, 0xEE);
    for (int mode : {CRijndael::ECB, CRijndael::CBC}) {
        ASSERT_EQ(encryptor.Setup(mode, CRijndael::Encrypt, kNistKey.data(), CRijndael::Key16Bytes), 0);
        ASSERT_EQ(decryptor.Setup(mode, CRijndael::Decrypt, kNistKey.data(), CRijndael::Key16Bytes), 0);
        EXPECT_EQ(encryptor.DecryptBlocks(kNistPlain.data(), 128, out.data()), CRijndael::RE_WRONG_DIRECTION);
        EXPECT_EQ(decryptor.EncryptBlocks(kNistPlain.data(), 128, out.data()), CRijndael::RE_WRONG_DIRECTION);
        // The direction is checked before the input.
        EXPECT_EQ(decryptor.EncryptBlocks(nullptr, 0, out.data()), CRijndael::RE_WRONG_DIRECTION);

        EXPECT_EQ(encryptor.EncryptBlocks(nullptr, 128, out.data()), 0);
        EXPECT_EQ(encryptor.EncryptBlocks(kNistPlain.data(), 0, out.data()), 0);
        EXPECT_EQ(encryptor.EncryptBlocks(kNistPlain.data(), -128, out.data()), 0);
        EXPECT_EQ(encryptor.EncryptBlocks(kNistPlain.data(), 128, nullptr), 0);
        EXPECT_EQ(decryptor.DecryptBlocks(nullptr, 128, out.data()), 0);
        EXPECT_EQ(decryptor.DecryptBlocks(kNistPlain.data(), -1, out.data()), 0);
    }
    EXPECT_EQ(out, Bytes(16, 0xEE));
}

}  // namespace

#include "core/crypto/password_crypto.h"

#include <cstring>

#include "base/secure_wipe.h"
#include "core/crypto/md5.h"
#include "core/crypto/rijndael.h"

void DigestPassword(const char* password, std::uint8_t out[kDigestSize]) {
    // Always the full 128 bytes, never the password's own length: the stored
    // digests of existing vaults were made that way.
    unsigned char padded[kPasswordPadSize] = {};
    if (password != nullptr) {
        for (int i = 0; i < kPasswordPadSize && password[i] != '\0'; ++i) {
            padded[i] = static_cast<unsigned char>(password[i]);
        }
    }
    CMD5 md5;
    md5.Update(padded, sizeof padded);
    md5.Final(out);
    SecureWipe(padded, sizeof padded);
}

bool CheckPassword(const char* password, const std::uint8_t digest[kDigestSize]) {
    std::uint8_t computed[kDigestSize];
    DigestPassword(password, computed);
    const bool same = DigestsMatch(computed, digest);
    SecureWipe(computed, sizeof computed);
    return same;
}

bool DigestsMatch(const std::uint8_t a[kDigestSize], const std::uint8_t b[kDigestSize]) {
    // Every byte is compared whatever the first difference, so the time taken
    // tells nothing about how much of the digest matched.
    unsigned difference = 0;
    for (int i = 0; i < kDigestSize; ++i) {
        difference |= static_cast<unsigned>(a[i] ^ b[i]);
    }
    return difference == 0;
}

void CbcBufferInRuns(std::uint8_t* buffer, std::uint32_t blocks, const std::uint8_t key[kDigestSize], bool decrypt,
                     std::uint32_t maxBlocksPerRun) {
    if (buffer == nullptr || key == nullptr) {
        return;
    }
    if (maxBlocksPerRun == 0 || maxBlocksPerRun > kMaxBlocksPerCall) {
        maxBlocksPerRun = kMaxBlocksPerCall;
    }
    std::uint8_t chain[16] = {};  // the first run starts from the zero vector
    while (blocks > 0) {
        const std::uint32_t run = blocks < maxBlocksPerRun ? blocks : maxBlocksPerRun;
        const int bits = static_cast<int>(run * 128);
        std::uint8_t* const lastBlock = buffer + 16 * static_cast<std::size_t>(run - 1);
        CRijndael engine;  // its destructor wipes the key schedule
        if (decrypt) {
            engine.Setup(CRijndael::CBC, CRijndael::Decrypt, key, CRijndael::Key16Bytes, chain);
            // Taken before decrypting in place overwrites it.
            std::memcpy(chain, lastBlock, sizeof chain);
            engine.DecryptBlocks(buffer, bits, buffer);
        } else {
            engine.Setup(CRijndael::CBC, CRijndael::Encrypt, key, CRijndael::Key16Bytes, chain);
            engine.EncryptBlocks(buffer, bits, buffer);
            std::memcpy(chain, lastBlock, sizeof chain);
        }
        buffer += 16 * static_cast<std::size_t>(run);
        blocks -= run;
    }
}

void EncryptBuffer(std::uint8_t* buffer, std::uint32_t blocks, const std::uint8_t key[kDigestSize]) {
    CbcBufferInRuns(buffer, blocks, key, false, kMaxBlocksPerCall);
}

void DecryptBuffer(std::uint8_t* buffer, std::uint32_t blocks, const std::uint8_t key[kDigestSize]) {
    CbcBufferInRuns(buffer, blocks, key, true, kMaxBlocksPerCall);
}

#pragma once
// The vault's key derivation and whole-buffer encryption.
#include <cstdint>

constexpr int kDigestSize = 16;
constexpr int kPasswordPadSize = 128;

// MD5 over the password copied into 128 zero bytes (cut at 128 bytes).
// A null password digests like the empty one.
void DigestPassword(const char* password, std::uint8_t out[kDigestSize]);
bool CheckPassword(const char* password, const std::uint8_t digest[kDigestSize]);
// Whether two digests are the same, in a time that does not tell how much of
// them matched.
bool DigestsMatch(const std::uint8_t a[kDigestSize], const std::uint8_t b[kDigestSize]);
// AES-128-CBC with a zero initial vector, in place, over whole 16-byte blocks.
void EncryptBuffer(std::uint8_t* buffer, std::uint32_t blocks, const std::uint8_t key[kDigestSize]);
void DecryptBuffer(std::uint8_t* buffer, std::uint32_t blocks, const std::uint8_t key[kDigestSize]);

// The engine counts a call's length in bits in an int, so one call covers at
// most this many blocks; EncryptBuffer and DecryptBuffer go on in further runs.
constexpr std::uint32_t kMaxBlocksPerCall = 0x7FFFFFFF / 128;

// What EncryptBuffer / DecryptBuffer do: CBC with a zero initial vector over
// the buffer in runs of at most maxBlocksPerRun blocks (0 or more than
// kMaxBlocksPerCall means kMaxBlocksPerCall), each run chained on from the last
// ciphertext block of the one before, so the result is the same as one run.
void CbcBufferInRuns(std::uint8_t* buffer, std::uint32_t blocks, const std::uint8_t key[kDigestSize], bool decrypt,
                     std::uint32_t maxBlocksPerRun);

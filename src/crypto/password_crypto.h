#pragma once
// The vault's key derivation and whole-buffer encryption.
#include <cstdint>

constexpr int kDigestSize = 16;
constexpr int kPasswordPadSize = 128;

// MD5 over the password copied into 128 zero bytes (cut at 128 bytes).
void DigestPassword(const char* password, std::uint8_t out[kDigestSize]);
bool CheckPassword(const char* password, const std::uint8_t digest[kDigestSize]);
// AES-128-CBC with a zero initial vector, in place, over whole 16-byte blocks.
void EncryptBuffer(std::uint8_t* buffer, std::uint32_t blocks, const std::uint8_t key[kDigestSize]);
void DecryptBuffer(std::uint8_t* buffer, std::uint32_t blocks, const std::uint8_t key[kDigestSize]);


#pragma once
// Argon2 (RFC 9106): the memory-hard key derivation of the strong vault. The
// strong vault uses Argon2id; Argon2d and Argon2i are here for the RFC's
// vectors, which share every other step.
#include <cstddef>
#include <cstdint>

enum class Argon2Type : std::uint32_t { D = 0, I = 1, Id = 2 };

constexpr std::uint32_t kArgon2Version = 0x13;

struct Argon2Parameters {
    std::uint32_t memoryKiB = 0;             // m: at least 8 per lane
    std::uint32_t passes = 0;                // t: at least 1
    std::uint32_t lanes = 0;                 // p: 1..0xFFFFFF; computed one after another
    std::uint32_t version = kArgon2Version;  // 0x13 only
};

struct Argon2Input {
    const void* password = nullptr;
    std::size_t passwordLength = 0;
    const void* salt = nullptr;  // at least 8 bytes
    std::size_t saltLength = 0;
    const void* secret = nullptr;  // K, optional
    std::size_t secretLength = 0;
    const void* associated = nullptr;  // X, optional
    std::size_t associatedLength = 0;
};

enum class Argon2Result { Ok, BadParameters, OutOfMemory };

// Writes the tag of tagLength (4..2^32-1) bytes to `tag`. The block memory
// (memoryKiB KiB) and every intermediate are wiped before it returns; on a
// failure nothing is written to `tag`. Never throws.
Argon2Result Argon2Hash(Argon2Type type, const Argon2Parameters& parameters, const Argon2Input& input,
                        std::uint8_t* tag, std::size_t tagLength);

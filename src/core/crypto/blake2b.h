#pragma once
// BLAKE2b (RFC 7693): the hash inside Argon2 and, keyed, the strong vault's MAC.
#include <cstddef>
#include <cstdint>

constexpr std::size_t kBlake2bMaxOutput = 64;
constexpr std::size_t kBlake2bMaxKey = 64;

class Blake2b {
public:
    // outputLength 1..64, keyLength 0..64; out of range is clamped into it,
    // so no call writes outside the 64-byte digest. A key of 0 bytes is the
    // unkeyed hash.
    explicit Blake2b(std::size_t outputLength, const std::uint8_t* key = nullptr, std::size_t keyLength = 0);
    ~Blake2b();  // wipes the state
    Blake2b(const Blake2b&) = delete;
    Blake2b& operator=(const Blake2b&) = delete;

    void Update(const void* data, std::size_t length);
    // Writes the outputLength bytes of the digest and wipes the state; the
    // object takes no more input afterwards.
    void Final(std::uint8_t* out);

private:
    void Compress(const std::uint8_t block[128], bool last);

    std::uint64_t m_h[8];
    std::uint64_t m_t[2];
    std::uint8_t m_buffer[128];
    std::size_t m_filled;
    std::size_t m_outputLength;
};

// The whole message at once.
void Blake2bHash(std::uint8_t* out, std::size_t outputLength, const void* data, std::size_t length,
                 const std::uint8_t* key = nullptr, std::size_t keyLength = 0);

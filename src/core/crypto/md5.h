#pragma once
#include <cstdint>

// MD5 message digest (RFC 1321).
class CMD5 {
public:
    CMD5();
    virtual ~CMD5();
    CMD5(const CMD5&) = delete;
    CMD5& operator=(const CMD5&) = delete;

    void Init();
    void Update(const unsigned char* input, std::uint32_t length);
    // Writes the 16-byte digest, wipes the context and starts a new message.
    void Final(unsigned char digest[16]);

    // The message's length so far in bits, as Final appends it. Public for
    // the tests of its carry past 2^32 bits: the digest alone would show
    // that the count went wrong, not which word.
    std::uint64_t BitCount() const { return (std::uint64_t{count[1]} << 32) | count[0]; }

private:
    void Transform(const unsigned char block[64]);

    std::uint32_t state[4];
    std::uint32_t count[2];  // bit count, low word first
    unsigned char buffer[64];
    unsigned char padding[64];
};

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

private:
    // Lets the tests reach the 64-bit bit count, whose high word a test could
    // not otherwise reach without feeding half a gigabyte.
    friend struct CMD5TestAccess;

    void Transform(const unsigned char block[64]);

    std::uint32_t state[4];
    std::uint32_t count[2];  // bit count, low word first
    unsigned char buffer[64];
    unsigned char padding[64];
};

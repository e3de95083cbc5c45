#include "core/crypto/md5.h"

#include <cstddef>
#include <cstring>

#include "base/secure_wipe.h"

namespace {

inline std::uint32_t RotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Byte-wise so it is right on any host; compilers turn it into one load.
inline std::uint32_t LoadLittleEndian(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void StoreLittleEndian(std::uint32_t v, unsigned char* p) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// The round functions are written so that the part not depending on b (the
// previous step's result) can be computed early: each step's latency chain
// then runs through b only once.
inline void StepF(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t xk, int s) {
    a += xk + (((c ^ d) & b) ^ d);
    a = RotateLeft(a, s) + b;
}

inline void StepG(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t xk, int s) {
    // (b & d) | (c & ~d): the two halves never share a set bit, so they may be added.
    a += xk + (c & ~d);
    a += b & d;
    a = RotateLeft(a, s) + b;
}

inline void StepH(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t xk, int s) {
    a += xk + (b ^ c ^ d);
    a = RotateLeft(a, s) + b;
}

inline void StepI(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t xk, int s) {
    a += xk + (c ^ (b | ~d));
    a = RotateLeft(a, s) + b;
}

}  // namespace

CMD5::CMD5() { Init(); }

CMD5::~CMD5() {
    SecureWipe(state, sizeof state);
    SecureWipe(count, sizeof count);
    SecureWipe(buffer, sizeof buffer);
}

void CMD5::Init() {
    state[0] = 0x67452301u;
    state[1] = 0xefcdab89u;
    state[2] = 0x98badcfeu;
    state[3] = 0x10325476u;
    count[0] = 0;
    count[1] = 0;
    std::memset(padding, 0, sizeof padding);
    padding[0] = 0x80;
}

void CMD5::Update(const unsigned char* input, std::uint32_t length) {
    if (input == nullptr || length == 0) {
        return;
    }
    std::uint32_t index = (count[0] >> 3) & 0x3F;

    // Bytes to bits: the low word may wrap, carrying into the high word, and
    // the three bits shifted out of a 32-bit length belong to the high word.
    const std::uint32_t bitsLow = length << 3;
    count[0] += bitsLow;
    if (count[0] < bitsLow) {
        ++count[1];
    }
    count[1] += length >> 29;

    const std::uint32_t partLength = 64 - index;
    std::uint32_t i = 0;
    if (length >= partLength) {
        std::memcpy(&buffer[index], input, partLength);
        Transform(buffer);
        for (i = partLength; length - i >= 64; i += 64) {
            Transform(&input[i]);
        }
        index = 0;
    }
    if (length > i) {
        std::memcpy(&buffer[index], &input[i], length - i);
    }
}

void CMD5::Final(unsigned char digest[16]) {
    unsigned char bits[8];
    StoreLittleEndian(count[0], bits);
    StoreLittleEndian(count[1], bits + 4);

    // Pad to 56 bytes modulo 64, then append the bit count taken before padding.
    const std::uint32_t index = (count[0] >> 3) & 0x3F;
    const std::uint32_t padLength = (index < 56) ? (56 - index) : (120 - index);
    Update(padding, padLength);
    Update(bits, 8);

    for (std::size_t i = 0; i < 4; ++i) {
        StoreLittleEndian(state[i], digest + 4 * i);
    }

    // The buffer held the message's last bytes, which may be a password.
    SecureWipe(state, sizeof state);
    SecureWipe(count, sizeof count);
    SecureWipe(buffer, sizeof buffer);
    SecureWipe(padding, sizeof padding);
    Init();
}

void CMD5::Transform(const unsigned char block[64]) {
    // Message words are read where they are used rather than copied to a
    // local array, so no copy of the message is left on the stack.
    const auto x = [block](std::size_t k) { return LoadLittleEndian(block + 4 * k); };
    std::uint32_t a = state[0];
    std::uint32_t b = state[1];
    std::uint32_t c = state[2];
    std::uint32_t d = state[3];

    StepF(a, b, c, d, x(0) + 0xd76aa478u, 7);
    StepF(d, a, b, c, x(1) + 0xe8c7b756u, 12);
    StepF(c, d, a, b, x(2) + 0x242070dbu, 17);
    StepF(b, c, d, a, x(3) + 0xc1bdceeeu, 22);
    StepF(a, b, c, d, x(4) + 0xf57c0fafu, 7);
    StepF(d, a, b, c, x(5) + 0x4787c62au, 12);
    StepF(c, d, a, b, x(6) + 0xa8304613u, 17);
    StepF(b, c, d, a, x(7) + 0xfd469501u, 22);
    StepF(a, b, c, d, x(8) + 0x698098d8u, 7);
    StepF(d, a, b, c, x(9) + 0x8b44f7afu, 12);
    StepF(c, d, a, b, x(10) + 0xffff5bb1u, 17);
    StepF(b, c, d, a, x(11) + 0x895cd7beu, 22);
    StepF(a, b, c, d, x(12) + 0x6b901122u, 7);
    StepF(d, a, b, c, x(13) + 0xfd987193u, 12);
    StepF(c, d, a, b, x(14) + 0xa679438eu, 17);
    StepF(b, c, d, a, x(15) + 0x49b40821u, 22);

    StepG(a, b, c, d, x(1) + 0xf61e2562u, 5);
    StepG(d, a, b, c, x(6) + 0xc040b340u, 9);
    StepG(c, d, a, b, x(11) + 0x265e5a51u, 14);
    StepG(b, c, d, a, x(0) + 0xe9b6c7aau, 20);
    StepG(a, b, c, d, x(5) + 0xd62f105du, 5);
    StepG(d, a, b, c, x(10) + 0x02441453u, 9);
    StepG(c, d, a, b, x(15) + 0xd8a1e681u, 14);
    StepG(b, c, d, a, x(4) + 0xe7d3fbc8u, 20);
    StepG(a, b, c, d, x(9) + 0x21e1cde6u, 5);
    StepG(d, a, b, c, x(14) + 0xc33707d6u, 9);
    StepG(c, d, a, b, x(3) + 0xf4d50d87u, 14);
    StepG(b, c, d, a, x(8) + 0x455a14edu, 20);
    StepG(a, b, c, d, x(13) + 0xa9e3e905u, 5);
    StepG(d, a, b, c, x(2) + 0xfcefa3f8u, 9);
    StepG(c, d, a, b, x(7) + 0x676f02d9u, 14);
    StepG(b, c, d, a, x(12) + 0x8d2a4c8au, 20);

    StepH(a, b, c, d, x(5) + 0xfffa3942u, 4);
    StepH(d, a, b, c, x(8) + 0x8771f681u, 11);
    StepH(c, d, a, b, x(11) + 0x6d9d6122u, 16);
    StepH(b, c, d, a, x(14) + 0xfde5380cu, 23);
    StepH(a, b, c, d, x(1) + 0xa4beea44u, 4);
    StepH(d, a, b, c, x(4) + 0x4bdecfa9u, 11);
    StepH(c, d, a, b, x(7) + 0xf6bb4b60u, 16);
    StepH(b, c, d, a, x(10) + 0xbebfbc70u, 23);
    StepH(a, b, c, d, x(13) + 0x289b7ec6u, 4);
    StepH(d, a, b, c, x(0) + 0xeaa127fau, 11);
    StepH(c, d, a, b, x(3) + 0xd4ef3085u, 16);
    StepH(b, c, d, a, x(6) + 0x04881d05u, 23);
    StepH(a, b, c, d, x(9) + 0xd9d4d039u, 4);
    StepH(d, a, b, c, x(12) + 0xe6db99e5u, 11);
    StepH(c, d, a, b, x(15) + 0x1fa27cf8u, 16);
    StepH(b, c, d, a, x(2) + 0xc4ac5665u, 23);

    StepI(a, b, c, d, x(0) + 0xf4292244u, 6);
    StepI(d, a, b, c, x(7) + 0x432aff97u, 10);
    StepI(c, d, a, b, x(14) + 0xab9423a7u, 15);
    StepI(b, c, d, a, x(5) + 0xfc93a039u, 21);
    StepI(a, b, c, d, x(12) + 0x655b59c3u, 6);
    StepI(d, a, b, c, x(3) + 0x8f0ccc92u, 10);
    StepI(c, d, a, b, x(10) + 0xffeff47du, 15);
    StepI(b, c, d, a, x(1) + 0x85845dd1u, 21);
    StepI(a, b, c, d, x(8) + 0x6fa87e4fu, 6);
    StepI(d, a, b, c, x(15) + 0xfe2ce6e0u, 10);
    StepI(c, d, a, b, x(6) + 0xa3014314u, 15);
    StepI(b, c, d, a, x(13) + 0x4e0811a1u, 21);
    StepI(a, b, c, d, x(4) + 0xf7537e82u, 6);
    StepI(d, a, b, c, x(11) + 0xbd3af235u, 10);
    StepI(c, d, a, b, x(2) + 0x2ad7d2bbu, 15);
    StepI(b, c, d, a, x(9) + 0xeb86d391u, 21);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

// BLAKE2b as RFC 7693 specifies it (sections 2 and 3): 12 rounds of G over a
// 16-word working vector, words little-endian whatever the host's order.
#include "core/crypto/blake2b.h"

#include <cstring>

#include "base/secure_wipe.h"

namespace {

constexpr std::size_t kBlockBytes = 128;

constexpr std::uint64_t kIv[8] = {
    0x6a09e667f3bcc908ULL, 0xbb67ae8584caa73bULL, 0x3c6ef372fe94f82bULL, 0xa54ff53a5f1d36f1ULL,
    0x510e527fade682d1ULL, 0x9b05688c2b3e6c1fULL, 0x1f83d9abfb41bd6bULL, 0x5be0cd19137e2179ULL,
};

// The message schedule; rounds 10 and 11 reuse rows 0 and 1.
constexpr std::uint8_t kSigma[12][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4}, {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13}, {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11}, {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5}, {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
};

inline std::uint64_t Rotr64(std::uint64_t x, unsigned n) { return (x >> n) | (x << (64 - n)); }

inline std::uint64_t Load64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(p[0]) | static_cast<std::uint64_t>(p[1]) << 8 |
           static_cast<std::uint64_t>(p[2]) << 16 | static_cast<std::uint64_t>(p[3]) << 24 |
           static_cast<std::uint64_t>(p[4]) << 32 | static_cast<std::uint64_t>(p[5]) << 40 |
           static_cast<std::uint64_t>(p[6]) << 48 | static_cast<std::uint64_t>(p[7]) << 56;
}

inline void Mix(std::uint64_t* v, int a, int b, int c, int d, std::uint64_t x, std::uint64_t y) {
    v[a] = v[a] + v[b] + x;
    v[d] = Rotr64(v[d] ^ v[a], 32);
    v[c] = v[c] + v[d];
    v[b] = Rotr64(v[b] ^ v[c], 24);
    v[a] = v[a] + v[b] + y;
    v[d] = Rotr64(v[d] ^ v[a], 16);
    v[c] = v[c] + v[d];
    v[b] = Rotr64(v[b] ^ v[c], 63);
}

}  // namespace

Blake2b::Blake2b(std::size_t outputLength, const std::uint8_t* key, std::size_t keyLength)
    : m_h{}, m_t{}, m_buffer{}, m_filled(0), m_outputLength(outputLength) {
    if (m_outputLength < 1) m_outputLength = 1;
    if (m_outputLength > kBlake2bMaxOutput) m_outputLength = kBlake2bMaxOutput;
    if (key == nullptr) keyLength = 0;
    if (keyLength > kBlake2bMaxKey) keyLength = kBlake2bMaxKey;
    for (int i = 0; i < 8; ++i) m_h[i] = kIv[i];
    // The parameter block: digest length, key length, fanout 1, depth 1.
    m_h[0] ^= 0x01010000ULL ^ (static_cast<std::uint64_t>(keyLength) << 8) ^ m_outputLength;
    if (keyLength > 0) {
        // The key, padded with zeros to a whole block, is the first block.
        std::memcpy(m_buffer, key, keyLength);
        m_filled = kBlockBytes;
    }
}

Blake2b::~Blake2b() {
    SecureWipe(m_h, sizeof m_h);
    SecureWipe(m_buffer, sizeof m_buffer);
}

void Blake2b::Compress(const std::uint8_t block[128], bool last) {
    std::uint64_t m[16];
    std::uint64_t v[16];
    for (std::size_t i = 0; i < 16; ++i) m[i] = Load64(block + 8 * i);
    for (int i = 0; i < 8; ++i) {
        v[i] = m_h[i];
        v[i + 8] = kIv[i];
    }
    v[12] ^= m_t[0];
    v[13] ^= m_t[1];
    if (last) v[14] = ~v[14];
    for (const auto& s : kSigma) {
        Mix(v, 0, 4, 8, 12, m[s[0]], m[s[1]]);
        Mix(v, 1, 5, 9, 13, m[s[2]], m[s[3]]);
        Mix(v, 2, 6, 10, 14, m[s[4]], m[s[5]]);
        Mix(v, 3, 7, 11, 15, m[s[6]], m[s[7]]);
        Mix(v, 0, 5, 10, 15, m[s[8]], m[s[9]]);
        Mix(v, 1, 6, 11, 12, m[s[10]], m[s[11]]);
        Mix(v, 2, 7, 8, 13, m[s[12]], m[s[13]]);
        Mix(v, 3, 4, 9, 14, m[s[14]], m[s[15]]);
    }
    for (int i = 0; i < 8; ++i) m_h[i] ^= v[i] ^ v[i + 8];
    SecureWipe(m, sizeof m);
    SecureWipe(v, sizeof v);
}

void Blake2b::Update(const void* data, std::size_t length) {
    const auto* in = static_cast<const std::uint8_t*>(data);
    while (length > 0) {
        // A full buffer is compressed only once more input follows it: the
        // last block must go through Final with its flag set.
        if (m_filled == kBlockBytes) {
            m_t[0] += kBlockBytes;
            if (m_t[0] < kBlockBytes) ++m_t[1];
            Compress(m_buffer, false);
            m_filled = 0;
        }
        std::size_t take = kBlockBytes - m_filled;
        if (take > length) take = length;
        std::memcpy(m_buffer + m_filled, in, take);
        m_filled += take;
        in += take;
        length -= take;
    }
}

void Blake2b::Final(std::uint8_t* out) {
    m_t[0] += m_filled;
    if (m_t[0] < m_filled) ++m_t[1];
    std::memset(m_buffer + m_filled, 0, kBlockBytes - m_filled);
    Compress(m_buffer, true);
    for (std::size_t i = 0; i < m_outputLength; ++i) {
        out[i] = static_cast<std::uint8_t>(m_h[i / 8] >> (8 * (i % 8)));
    }
    SecureWipe(m_h, sizeof m_h);
    SecureWipe(m_buffer, sizeof m_buffer);
    m_t[0] = m_t[1] = 0;
    m_filled = 0;
}

void Blake2bHash(std::uint8_t* out, std::size_t outputLength, const void* data, std::size_t length,
                 const std::uint8_t* key, std::size_t keyLength) {
    Blake2b hash(outputLength, key, keyLength);
    hash.Update(data, length);
    hash.Final(out);
}

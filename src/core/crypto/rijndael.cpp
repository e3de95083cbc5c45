#include "core/crypto/rijndael.h"

#include <cstddef>
#include <cstring>

#include "base/secure_wipe.h"
#include "core/crypto/rijndael_tables.h"

namespace {

using RoundKeys = const std::uint32_t (*)[4];

// Byte-wise so it is right on any host; compilers turn it into a load and a
// byte swap.
inline std::uint32_t LoadBigEndian(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

inline void StoreBigEndian(std::uint32_t v, std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

inline std::uint32_t B0(std::uint32_t w) { return w >> 24; }
inline std::uint32_t B1(std::uint32_t w) { return (w >> 16) & 0xFF; }
inline std::uint32_t B2(std::uint32_t w) { return (w >> 8) & 0xFF; }
inline std::uint32_t B3(std::uint32_t w) { return w & 0xFF; }

inline std::uint32_t SubWord(std::uint32_t w) {
    return (static_cast<std::uint32_t>(kSBox[B0(w)]) << 24) | (static_cast<std::uint32_t>(kSBox[B1(w)]) << 16) |
           (static_cast<std::uint32_t>(kSBox[B2(w)]) << 8) | static_cast<std::uint32_t>(kSBox[B3(w)]);
}

// The rounds index the tables by state bytes, so which cache lines they
// touch depends on the key and the data: they are not constant-time, and a
// process timing the cache on the same machine could learn key bits. That is
// accepted here: the cipher only protects one user's file at rest on that
// user's own desktop, and whoever can run timing probes beside the user's
// session already has that desktop and everything shown on it.

inline void ForwardRound(std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3,
                         const std::uint32_t rk[4], std::uint32_t& t0, std::uint32_t& t1, std::uint32_t& t2,
                         std::uint32_t& t3) {
    t0 = kFwdTable[0][B0(s0)] ^ kFwdTable[1][B1(s1)] ^ kFwdTable[2][B2(s2)] ^ kFwdTable[3][B3(s3)] ^ rk[0];
    t1 = kFwdTable[0][B0(s1)] ^ kFwdTable[1][B1(s2)] ^ kFwdTable[2][B2(s3)] ^ kFwdTable[3][B3(s0)] ^ rk[1];
    t2 = kFwdTable[0][B0(s2)] ^ kFwdTable[1][B1(s3)] ^ kFwdTable[2][B2(s0)] ^ kFwdTable[3][B3(s1)] ^ rk[2];
    t3 = kFwdTable[0][B0(s3)] ^ kFwdTable[1][B1(s0)] ^ kFwdTable[2][B2(s1)] ^ kFwdTable[3][B3(s2)] ^ rk[3];
}

inline std::uint32_t SubShiftWord(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return (static_cast<std::uint32_t>(kSBox[B0(a)]) << 24) | (static_cast<std::uint32_t>(kSBox[B1(b)]) << 16) |
           (static_cast<std::uint32_t>(kSBox[B2(c)]) << 8) | static_cast<std::uint32_t>(kSBox[B3(d)]);
}

// Enciphers the state words in place: initial AddRoundKey, rounds - 1 full
// rounds two at a time (rounds is always even), then the final round without
// MixColumns.
inline void EncipherWords(RoundKeys rk, int rounds, std::uint32_t& s0, std::uint32_t& s1, std::uint32_t& s2,
                          std::uint32_t& s3) {
    s0 ^= rk[0][0];
    s1 ^= rk[0][1];
    s2 ^= rk[0][2];
    s3 ^= rk[0][3];
    std::uint32_t t0, t1, t2, t3;
    for (int pairs = rounds / 2;;) {
        ForwardRound(s0, s1, s2, s3, rk[1], t0, t1, t2, t3);
        rk += 2;
        if (--pairs == 0) {
            break;
        }
        ForwardRound(t0, t1, t2, t3, rk[0], s0, s1, s2, s3);
    }
    s0 = SubShiftWord(t0, t1, t2, t3) ^ rk[0][0];
    s1 = SubShiftWord(t1, t2, t3, t0) ^ rk[0][1];
    s2 = SubShiftWord(t2, t3, t0, t1) ^ rk[0][2];
    s3 = SubShiftWord(t3, t0, t1, t2) ^ rk[0][3];
}

inline void InverseRound(std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3,
                         const std::uint32_t rk[4], std::uint32_t& t0, std::uint32_t& t1, std::uint32_t& t2,
                         std::uint32_t& t3) {
    t0 = kInvTable[0][B0(s0)] ^ kInvTable[1][B1(s3)] ^ kInvTable[2][B2(s2)] ^ kInvTable[3][B3(s1)] ^ rk[0];
    t1 = kInvTable[0][B0(s1)] ^ kInvTable[1][B1(s0)] ^ kInvTable[2][B2(s3)] ^ kInvTable[3][B3(s2)] ^ rk[1];
    t2 = kInvTable[0][B0(s2)] ^ kInvTable[1][B1(s1)] ^ kInvTable[2][B2(s0)] ^ kInvTable[3][B3(s3)] ^ rk[2];
    t3 = kInvTable[0][B0(s3)] ^ kInvTable[1][B1(s2)] ^ kInvTable[2][B2(s1)] ^ kInvTable[3][B3(s0)] ^ rk[3];
}

inline std::uint32_t InvSubShiftWord(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return (static_cast<std::uint32_t>(kInvSBox[B0(a)]) << 24) | (static_cast<std::uint32_t>(kInvSBox[B1(b)]) << 16) |
           (static_cast<std::uint32_t>(kInvSBox[B2(c)]) << 8) | static_cast<std::uint32_t>(kInvSBox[B3(d)]);
}

// The equivalent inverse cipher over the converted (reversed, InvMixColumns'd)
// schedule, so it has the same shape as EncipherWords.
inline void DecipherWords(RoundKeys rk, int rounds, std::uint32_t& s0, std::uint32_t& s1, std::uint32_t& s2,
                          std::uint32_t& s3) {
    s0 ^= rk[0][0];
    s1 ^= rk[0][1];
    s2 ^= rk[0][2];
    s3 ^= rk[0][3];
    std::uint32_t t0, t1, t2, t3;
    for (int pairs = rounds / 2;;) {
        InverseRound(s0, s1, s2, s3, rk[1], t0, t1, t2, t3);
        rk += 2;
        if (--pairs == 0) {
            break;
        }
        InverseRound(t0, t1, t2, t3, rk[0], s0, s1, s2, s3);
    }
    s0 = InvSubShiftWord(t0, t3, t2, t1) ^ rk[0][0];
    s1 = InvSubShiftWord(t1, t0, t3, t2) ^ rk[0][1];
    s2 = InvSubShiftWord(t2, t1, t0, t3) ^ rk[0][2];
    s3 = InvSubShiftWord(t3, t2, t1, t0) ^ rk[0][3];
}

struct Words {
    std::uint32_t w0, w1, w2, w3;
};

inline Words LoadBlock(const std::uint8_t* p) {
    return Words{LoadBigEndian(p), LoadBigEndian(p + 4), LoadBigEndian(p + 8), LoadBigEndian(p + 12)};
}

inline void StoreBlock(const Words& w, std::uint8_t* p) {
    StoreBigEndian(w.w0, p);
    StoreBigEndian(w.w1, p + 4);
    StoreBigEndian(w.w2, p + 8);
    StoreBigEndian(w.w3, p + 12);
}

}  // namespace

CRijndael::CRijndael()
    : m_valid(false), m_mode(ECB), m_direction(Encrypt), m_initVector(), m_rounds(0), m_expandedKey() {}

CRijndael::~CRijndael() {
    SecureWipe(m_expandedKey, sizeof m_expandedKey);
    SecureWipe(m_initVector, sizeof m_initVector);
}

int CRijndael::Setup(int mode, int direction, const std::uint8_t* key, int keyLengthCode,
                     const std::uint8_t* initVector) {
    m_valid = false;
    // Nothing of an earlier key outlives a new setup, failed or not.
    SecureWipe(m_expandedKey, sizeof m_expandedKey);

    if (mode != ECB && mode != CBC && mode != CFB1) {
        return RE_UNSUPPORTED_MODE;
    }
    if (direction != Encrypt && direction != Decrypt) {
        return RE_UNSUPPORTED_DIRECTION;
    }
    if (initVector != nullptr) {
        std::memcpy(m_initVector, initVector, sizeof m_initVector);
    } else {
        std::memset(m_initVector, 0, sizeof m_initVector);
    }
    int keyWords = 0;
    int rounds = 0;
    switch (keyLengthCode) {
    case Key16Bytes:
        keyWords = 4;
        rounds = 10;
        break;
    case Key24Bytes:
        keyWords = 6;
        rounds = 12;
        break;
    case Key32Bytes:
        keyWords = 8;
        rounds = 14;
        break;
    default: return RE_UNSUPPORTED_KEY_LENGTH;
    }
    if (key == nullptr) {
        return RE_NO_KEY;
    }

    m_mode = mode;
    m_direction = direction;
    m_rounds = rounds;
    ExpandKey(key, keyWords);
    // CFB deciphers by enciphering the shift register, so it keeps the
    // encryption schedule in both directions.
    if (direction == Decrypt && mode != CFB1) {
        ConvertScheduleForDecryption();
    }
    m_valid = true;
    return 0;
}

void CRijndael::ExpandKey(const std::uint8_t* key, int keyWords) {
    const auto word = [this](int i) -> std::uint32_t& { return m_expandedKey[i / 4][i % 4]; };
    const int total = 4 * (m_rounds + 1);
    for (int i = 0; i < keyWords; ++i) {
        word(i) = LoadBigEndian(key + 4 * static_cast<std::size_t>(i));
    }
    for (int i = keyWords; i < total; ++i) {
        std::uint32_t temp = word(i - 1);
        if (i % keyWords == 0) {
            const std::uint32_t rotated = (temp << 8) | (temp >> 24);
            temp = SubWord(rotated) ^ (static_cast<std::uint32_t>(kRoundConstants[i / keyWords - 1]) << 24);
        } else if (keyWords > 6 && i % keyWords == 4) {
            temp = SubWord(temp);
        }
        word(i) = word(i - keyWords) ^ temp;
    }
}

void CRijndael::ConvertScheduleForDecryption() {
    for (int i = 0, j = m_rounds; i < j; ++i, --j) {
        for (int c = 0; c < 4; ++c) {
            const std::uint32_t w = m_expandedKey[i][c];
            m_expandedKey[i][c] = m_expandedKey[j][c];
            m_expandedKey[j][c] = w;
        }
    }
    for (int r = 1; r < m_rounds; ++r) {
        for (int c = 0; c < 4; ++c) {
            const std::uint32_t w = m_expandedKey[r][c];
            m_expandedKey[r][c] =
                kKeyInvMix[0][B0(w)] ^ kKeyInvMix[1][B1(w)] ^ kKeyInvMix[2][B2(w)] ^ kKeyInvMix[3][B3(w)];
        }
    }
}

int CRijndael::EncryptBlocks(const std::uint8_t* input, int lengthInBits, std::uint8_t* output) {
    if (!m_valid) {
        return RE_NOT_SET_UP;
    }
    if (m_direction == Decrypt) {
        return RE_WRONG_DIRECTION;
    }
    if (input == nullptr || output == nullptr || lengthInBits <= 0) {
        return 0;
    }
    const int blocks = lengthInBits / 128;

    switch (m_mode) {
    case ECB:
        for (int n = 0; n < blocks; ++n, input += 16, output += 16) {
            Words s = LoadBlock(input);
            EncipherWords(m_expandedKey, m_rounds, s.w0, s.w1, s.w2, s.w3);
            StoreBlock(s, output);
        }
        break;
    case CBC: {
        // The chaining value stays in registers as four words.
        Words chain = LoadBlock(m_initVector);
        for (int n = 0; n < blocks; ++n, input += 16, output += 16) {
            const Words p = LoadBlock(input);
            chain.w0 ^= p.w0;
            chain.w1 ^= p.w1;
            chain.w2 ^= p.w2;
            chain.w3 ^= p.w3;
            EncipherWords(m_expandedKey, m_rounds, chain.w0, chain.w1, chain.w2, chain.w3);
            StoreBlock(chain, output);
        }
        break;
    }
    default: CfbOneBit(input, blocks, output, false); break;
    }
    return 128 * blocks;
}

int CRijndael::DecryptBlocks(const std::uint8_t* input, int lengthInBits, std::uint8_t* output) {
    if (!m_valid) {
        return RE_NOT_SET_UP;
    }
    if (m_direction == Encrypt && m_mode != CFB1) {
        return RE_WRONG_DIRECTION;
    }
    if (input == nullptr || output == nullptr || lengthInBits <= 0) {
        return 0;
    }
    const int blocks = lengthInBits / 128;

    switch (m_mode) {
    case ECB:
        for (int n = 0; n < blocks; ++n, input += 16, output += 16) {
            Words s = LoadBlock(input);
            DecipherWords(m_expandedKey, m_rounds, s.w0, s.w1, s.w2, s.w3);
            StoreBlock(s, output);
        }
        break;
    case CBC: {
        Words previous = LoadBlock(m_initVector);
        for (int n = 0; n < blocks; ++n, input += 16, output += 16) {
            // Held in registers before the plaintext is stored, so decrypting
            // in place still chains on the ciphertext.
            const Words c = LoadBlock(input);
            Words s = c;
            DecipherWords(m_expandedKey, m_rounds, s.w0, s.w1, s.w2, s.w3);
            s.w0 ^= previous.w0;
            s.w1 ^= previous.w1;
            s.w2 ^= previous.w2;
            s.w3 ^= previous.w3;
            StoreBlock(s, output);
            previous = c;
        }
        break;
    }
    default: CfbOneBit(input, blocks, output, true); break;
    }
    return 128 * blocks;
}

// One-bit CFB over every bit of the whole blocks, most significant bit of each
// byte first: the register is enciphered, its first bit masks one message bit,
// and the register shifts left by one taking in that bit's ciphertext.
void CRijndael::CfbOneBit(const std::uint8_t* input, int blocks, std::uint8_t* output, bool decrypting) const {
    Words reg = LoadBlock(m_initVector);
    const int bytes = blocks * 16;
    for (int i = 0; i < bytes; ++i) {
        // Read the whole byte before writing it, for the in-place case.
        const unsigned inByte = input[i];
        unsigned outByte = 0;
        for (int bit = 7; bit >= 0; --bit) {
            Words o = reg;
            EncipherWords(m_expandedKey, m_rounds, o.w0, o.w1, o.w2, o.w3);
            const std::uint32_t inBit = (inByte >> bit) & 1u;
            const std::uint32_t outBit = inBit ^ (o.w0 >> 31);
            outByte |= outBit << bit;
            const std::uint32_t cipherBit = decrypting ? inBit : outBit;
            reg.w0 = (reg.w0 << 1) | (reg.w1 >> 31);
            reg.w1 = (reg.w1 << 1) | (reg.w2 >> 31);
            reg.w2 = (reg.w2 << 1) | (reg.w3 >> 31);
            reg.w3 = (reg.w3 << 1) | cipherBit;
        }
        output[i] = static_cast<std::uint8_t>(outByte);
    }
}

// Argon2 as RFC 9106 specifies it (section 3), version 0x13, with the lanes
// computed one after another, slice by slice, in the calling thread.
//
// Blocks are 128 little-endian 64-bit words held as host words; bytes are
// read and written with explicit shifts, so the host's order does not matter.
// The block memory is one allocation, which also holds the scratch of the
// compression and of the address generation: no allocation per block, and
// one wipe covers every intermediate of the fill.
#include "core/crypto/argon2.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "base/secure_wipe.h"
#include "core/crypto/blake2b.h"

namespace {

constexpr std::size_t kBlockWords = 128;
constexpr std::size_t kBlockBytes = 1024;
constexpr std::uint32_t kSlices = 4;  // SL, the synchronisation points
constexpr std::uint32_t kAddressesInBlock = 128;
constexpr std::size_t kScratchBlocks = 5;  // R, Q, zero, input, addresses
constexpr std::uint64_t kMax32 = 0xFFFFFFFFULL;
// The most blocks one allocation can hold here beside the scratch (a bound
// only where size_t is narrower than m' KiB can be).
constexpr std::uint64_t kMaxBlocks = std::numeric_limits<std::size_t>::max() / kBlockBytes - kScratchBlocks;

inline std::uint64_t Rotr64(std::uint64_t x, unsigned n) { return (x >> n) | (x << (64 - n)); }

// x + y + 2 * lo32(x) * lo32(y): the multiplication-hardened addition.
inline std::uint64_t BlaMka(std::uint64_t x, std::uint64_t y) { return x + y + 2 * ((x & kMax32) * (y & kMax32)); }

inline void Gb(std::uint64_t& a, std::uint64_t& b, std::uint64_t& c, std::uint64_t& d) {
    a = BlaMka(a, b);
    d = Rotr64(d ^ a, 32);
    c = BlaMka(c, d);
    b = Rotr64(b ^ c, 24);
    a = BlaMka(a, b);
    d = Rotr64(d ^ a, 16);
    c = BlaMka(c, d);
    b = Rotr64(b ^ c, 63);
}

// The permutation P over 16 words, word k at p[(k / 2) * S + k % 2]: S = 2
// takes a row (16 consecutive words), S = 16 a column (two words of each row).
template <std::size_t S>
inline void Permute(std::uint64_t* p) {
    std::uint64_t v0 = p[0], v1 = p[1], v2 = p[S], v3 = p[S + 1];
    std::uint64_t v4 = p[2 * S], v5 = p[2 * S + 1], v6 = p[3 * S], v7 = p[3 * S + 1];
    std::uint64_t v8 = p[4 * S], v9 = p[4 * S + 1], v10 = p[5 * S], v11 = p[5 * S + 1];
    std::uint64_t v12 = p[6 * S], v13 = p[6 * S + 1], v14 = p[7 * S], v15 = p[7 * S + 1];
    Gb(v0, v4, v8, v12);
    Gb(v1, v5, v9, v13);
    Gb(v2, v6, v10, v14);
    Gb(v3, v7, v11, v15);
    Gb(v0, v5, v10, v15);
    Gb(v1, v6, v11, v12);
    Gb(v2, v7, v8, v13);
    Gb(v3, v4, v9, v14);
    p[0] = v0;
    p[1] = v1;
    p[S] = v2;
    p[S + 1] = v3;
    p[2 * S] = v4;
    p[2 * S + 1] = v5;
    p[3 * S] = v6;
    p[3 * S + 1] = v7;
    p[4 * S] = v8;
    p[4 * S + 1] = v9;
    p[5 * S] = v10;
    p[5 * S + 1] = v11;
    p[6 * S] = v12;
    p[6 * S + 1] = v13;
    p[7 * S] = v14;
    p[7 * S + 1] = v15;
}

// next = G(prev, ref), or next ^= G(prev, ref) with `withXor` (passes after
// the first). G(X, Y) = P(R) ^ R with R = X ^ Y, P over the rows, then the
// columns. `r` and `q` are one block of scratch each; `ref` may be `next`.
void FillBlock(const std::uint64_t* prev, const std::uint64_t* ref, std::uint64_t* next, bool withXor, std::uint64_t* r,
               std::uint64_t* q) {
    for (std::size_t i = 0; i < kBlockWords; ++i) {
        r[i] = prev[i] ^ ref[i];
        q[i] = r[i];
    }
    for (std::size_t i = 0; i < 8; ++i) Permute<2>(q + 16 * i);
    for (std::size_t i = 0; i < 8; ++i) Permute<16>(q + 2 * i);
    if (withXor) {
        for (std::size_t i = 0; i < kBlockWords; ++i) next[i] ^= r[i] ^ q[i];
    } else {
        for (std::size_t i = 0; i < kBlockWords; ++i) next[i] = r[i] ^ q[i];
    }
}

inline void Store32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void UpdateLe32(Blake2b& hash, std::uint64_t v) {
    std::uint8_t bytes[4];
    Store32(bytes, static_cast<std::uint32_t>(v));
    hash.Update(bytes, sizeof bytes);
}

void BlockFromBytes(std::uint64_t* block, const std::uint8_t* bytes) {
    for (std::size_t i = 0; i < kBlockWords; ++i) {
        std::uint64_t w = 0;
        for (int b = 7; b >= 0; --b) w = (w << 8) | bytes[8 * i + static_cast<std::size_t>(b)];
        block[i] = w;
    }
}

void BytesFromBlock(std::uint8_t* bytes, const std::uint64_t* block) {
    for (std::size_t i = 0; i < kBlockWords; ++i) {
        for (std::size_t b = 0; b < 8; ++b) bytes[8 * i + b] = static_cast<std::uint8_t>(block[i] >> (8 * b));
    }
}

// H', the variable-length hash (RFC 9106 section 3.3). `out` may not
// overlap `in`.
void HashPrime(std::uint8_t* out, std::size_t outLength, const std::uint8_t* in, std::size_t inLength) {
    std::uint8_t length[4];
    Store32(length, static_cast<std::uint32_t>(outLength));
    if (outLength <= kBlake2bMaxOutput) {
        Blake2b hash(outLength);
        hash.Update(length, sizeof length);
        hash.Update(in, inLength);
        hash.Final(out);
        return;
    }
    std::uint8_t v[kBlake2bMaxOutput];
    {
        Blake2b hash(kBlake2bMaxOutput);
        hash.Update(length, sizeof length);
        hash.Update(in, inLength);
        hash.Final(v);
    }
    std::memcpy(out, v, 32);
    out += 32;
    std::size_t remaining = outLength - 32;
    while (remaining > kBlake2bMaxOutput) {
        Blake2bHash(v, kBlake2bMaxOutput, v, kBlake2bMaxOutput);
        std::memcpy(out, v, 32);
        out += 32;
        remaining -= 32;
    }
    Blake2bHash(v, remaining, v, kBlake2bMaxOutput);
    std::memcpy(out, v, remaining);
    SecureWipe(v, sizeof v);
}

class Filler {
public:
    Filler(Argon2Type type, std::uint64_t* memory, std::uint32_t blocks, std::uint32_t passes, std::uint32_t lanes)
        : m_type(type),
          m_memory(memory),
          m_blocks(blocks),
          m_passes(passes),
          m_lanes(lanes),
          m_laneLength(blocks / lanes),
          m_segmentLength(blocks / lanes / kSlices),
          m_r(memory + static_cast<std::size_t>(blocks) * kBlockWords),
          m_q(m_r + kBlockWords),
          m_zero(m_q + kBlockWords),
          m_input(m_zero + kBlockWords),
          m_addresses(m_input + kBlockWords) {}

    void Run() {
        for (std::uint32_t pass = 0; pass < m_passes; ++pass) {
            for (std::uint32_t slice = 0; slice < kSlices; ++slice) {
                for (std::uint32_t lane = 0; lane < m_lanes; ++lane) FillSegment(pass, slice, lane);
            }
        }
    }

private:
    std::uint64_t* Block(std::size_t index) const { return m_memory + index * kBlockWords; }

    void NextAddresses() {
        ++m_input[6];
        FillBlock(m_zero, m_input, m_addresses, false, m_r, m_q);
        FillBlock(m_zero, m_addresses, m_addresses, false, m_r, m_q);
    }

    void FillSegment(std::uint32_t pass, std::uint32_t slice, std::uint32_t lane) {
        const bool independent = m_type == Argon2Type::I || (m_type == Argon2Type::Id && pass == 0 && slice < 2);
        std::uint32_t start = 0;
        if (independent) {
            for (std::size_t i = 0; i < kBlockWords; ++i) m_zero[i] = m_input[i] = 0;
            m_input[0] = pass;
            m_input[1] = lane;
            m_input[2] = slice;
            m_input[3] = m_blocks;
            m_input[4] = m_passes;
            m_input[5] = static_cast<std::uint64_t>(m_type);
        }
        if (pass == 0 && slice == 0) {
            start = 2;  // the first two blocks of each lane come from H0
            if (independent) NextAddresses();
        }
        const std::size_t laneStart = static_cast<std::size_t>(lane) * m_laneLength;
        for (std::uint32_t i = start; i < m_segmentLength; ++i) {
            const std::uint32_t column = slice * m_segmentLength + i;
            const std::size_t current = laneStart + column;
            const std::size_t previous = column == 0 ? laneStart + m_laneLength - 1 : current - 1;
            std::uint64_t pseudoRandom;
            if (independent) {
                if (i % kAddressesInBlock == 0) NextAddresses();
                pseudoRandom = m_addresses[i % kAddressesInBlock];
            } else {
                pseudoRandom = Block(previous)[0];
            }
            std::uint32_t refLane = static_cast<std::uint32_t>((pseudoRandom >> 32) % m_lanes);
            if (pass == 0 && slice == 0) refLane = lane;
            const std::uint32_t refColumn =
                ReferenceColumn(pass, slice, i, static_cast<std::uint32_t>(pseudoRandom & kMax32), refLane == lane);
            const std::uint64_t* ref = Block(static_cast<std::size_t>(refLane) * m_laneLength + refColumn);
            FillBlock(Block(previous), ref, Block(current), pass != 0, m_r, m_q);
        }
    }

    // The column within the reference lane (RFC 9106 section 3.4.2).
    std::uint32_t ReferenceColumn(std::uint32_t pass, std::uint32_t slice, std::uint32_t index, std::uint32_t j1,
                                  bool sameLane) const {
        std::uint32_t areaSize;
        if (pass == 0) {
            if (slice == 0) {
                areaSize = index - 1;
            } else if (sameLane) {
                areaSize = slice * m_segmentLength + index - 1;
            } else {
                areaSize = slice * m_segmentLength - (index == 0 ? 1 : 0);
            }
        } else if (sameLane) {
            areaSize = m_laneLength - m_segmentLength + index - 1;
        } else {
            areaSize = m_laneLength - m_segmentLength - (index == 0 ? 1 : 0);
        }
        std::uint64_t x = j1;
        x = (x * x) >> 32;
        const std::uint64_t relative = areaSize - 1 - ((areaSize * x) >> 32);
        std::uint64_t startColumn = 0;
        if (pass != 0 && slice != kSlices - 1) startColumn = static_cast<std::uint64_t>(slice + 1) * m_segmentLength;
        return static_cast<std::uint32_t>((startColumn + relative) % m_laneLength);
    }

    Argon2Type m_type;
    std::uint64_t* m_memory;
    std::uint32_t m_blocks;
    std::uint32_t m_passes;
    std::uint32_t m_lanes;
    std::uint32_t m_laneLength;
    std::uint32_t m_segmentLength;
    std::uint64_t* m_r;
    std::uint64_t* m_q;
    std::uint64_t* m_zero;
    std::uint64_t* m_input;
    std::uint64_t* m_addresses;
};

bool Fits32(std::size_t n) { return static_cast<std::uint64_t>(n) <= kMax32; }

bool ValidInput(const void* data, std::size_t length) { return Fits32(length) && (data != nullptr || length == 0); }

// Owns the block memory and wipes all of it before freeing it.
class WipedMemory {
public:
    explicit WipedMemory(std::size_t words) : m_words(words), m_data(new std::uint64_t[words]) {}
    ~WipedMemory() { SecureWipe(m_data.get(), m_words * sizeof(std::uint64_t)); }
    WipedMemory(const WipedMemory&) = delete;
    WipedMemory& operator=(const WipedMemory&) = delete;
    std::uint64_t* Get() const { return m_data.get(); }

private:
    std::size_t m_words;
    std::unique_ptr<std::uint64_t[]> m_data;
};

}  // namespace

Argon2Result Argon2Hash(Argon2Type type, const Argon2Parameters& parameters, const Argon2Input& input,
                        std::uint8_t* tag, std::size_t tagLength) {
    const std::uint32_t lanes = parameters.lanes;
    const std::uint32_t passes = parameters.passes;
    if (type != Argon2Type::D && type != Argon2Type::I && type != Argon2Type::Id) return Argon2Result::BadParameters;
    if (parameters.version != kArgon2Version || passes < 1 || lanes < 1 || lanes > 0xFFFFFFu ||
        parameters.memoryKiB < 8ULL * lanes) {
        return Argon2Result::BadParameters;
    }
    if (tag == nullptr || tagLength < 4 || !Fits32(tagLength) || input.saltLength < 8 ||
        !ValidInput(input.password, input.passwordLength) || !ValidInput(input.salt, input.saltLength) ||
        !ValidInput(input.secret, input.secretLength) || !ValidInput(input.associated, input.associatedLength)) {
        return Argon2Result::BadParameters;
    }
    // m' = 4p * floor(m / 4p) blocks: whole segments in every lane.
    const std::uint32_t blocks = 4 * lanes * (parameters.memoryKiB / (4 * lanes));
    if (static_cast<std::uint64_t>(blocks) > kMaxBlocks) {
        return Argon2Result::OutOfMemory;
    }

    std::unique_ptr<WipedMemory> memory;
    try {
        memory = std::make_unique<WipedMemory>((static_cast<std::size_t>(blocks) + kScratchBlocks) * kBlockWords);
    } catch (const std::bad_alloc&) {
        return Argon2Result::OutOfMemory;
    }

    // H0, followed by the two 32-bit words that pick the block it seeds.
    std::uint8_t seed[kBlake2bMaxOutput + 8];
    {
        Blake2b h0(kBlake2bMaxOutput);
        UpdateLe32(h0, lanes);
        UpdateLe32(h0, tagLength);
        UpdateLe32(h0, parameters.memoryKiB);
        UpdateLe32(h0, passes);
        UpdateLe32(h0, parameters.version);
        UpdateLe32(h0, static_cast<std::uint32_t>(type));
        const struct {
            const void* data;
            std::size_t length;
        } fields[] = {{input.password, input.passwordLength},
                      {input.salt, input.saltLength},
                      {input.secret, input.secretLength},
                      {input.associated, input.associatedLength}};
        for (const auto& field : fields) {
            UpdateLe32(h0, field.length);
            h0.Update(field.data, field.length);
        }
        h0.Final(seed);
    }

    std::uint8_t bytes[kBlockBytes];
    std::uint64_t* const base = memory->Get();
    const std::uint32_t laneLength = blocks / lanes;
    for (std::uint32_t lane = 0; lane < lanes; ++lane) {
        Store32(seed + kBlake2bMaxOutput + 4, lane);
        for (std::uint32_t column = 0; column < 2; ++column) {
            Store32(seed + kBlake2bMaxOutput, column);
            HashPrime(bytes, kBlockBytes, seed, sizeof seed);
            BlockFromBytes(base + (static_cast<std::size_t>(lane) * laneLength + column) * kBlockWords, bytes);
        }
    }
    SecureWipe(seed, sizeof seed);

    Filler(type, base, blocks, passes, lanes).Run();

    // C: the last column's blocks XORed together, into the first scratch block.
    std::uint64_t* const last = base + static_cast<std::size_t>(blocks) * kBlockWords;
    std::memcpy(last, base + static_cast<std::size_t>(laneLength - 1) * kBlockWords, kBlockBytes);
    for (std::uint32_t lane = 1; lane < lanes; ++lane) {
        const std::uint64_t* block =
            base + (static_cast<std::size_t>(lane) * laneLength + laneLength - 1) * kBlockWords;
        for (std::size_t i = 0; i < kBlockWords; ++i) last[i] ^= block[i];
    }
    BytesFromBlock(bytes, last);
    HashPrime(tag, tagLength, bytes, sizeof bytes);
    SecureWipe(bytes, sizeof bytes);
    return Argon2Result::Ok;
}

#include "core/generator/password_generator.h"

#include <cstdint>
#include <cstring>

#include "base/random_source.h"
#include "base/secure_wipe.h"

namespace {

const char* const kClasses[] = {
    "abcdefghijklmnopqrstuvwxyz",
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
    "0123456789",
    "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~",
};
constexpr int kDigitClass = 2;
constexpr int kSymbolClass = 3;
constexpr int kClassCount = 4;
constexpr std::size_t kPoolSize = 26 + 26 + 10 + 32;

// Random bytes fetched a batch at a time, wiped when done.
class ByteStream {
public:
    explicit ByteStream(RandomSource& source) : m_source(source) {}
    ~ByteStream() { SecureWipe(m_bytes, sizeof m_bytes); }
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    bool Next(std::uint8_t& byte) {
        if (m_next == sizeof m_bytes) {
            if (!m_source.Fill(m_bytes, sizeof m_bytes)) return false;
            m_next = 0;
        }
        byte = m_bytes[m_next++];
        return true;
    }

    // A uniform value below `bound` (1 to 256). Bytes at or above the largest
    // multiple of `bound` are drawn again, so no value is favoured by the
    // remainder; a source stuck on such bytes counts as failed.
    bool Below(unsigned bound, unsigned& value) {
        const unsigned limit = 256 - 256 % bound;
        for (int attempt = 0; attempt < 1000; ++attempt) {
            std::uint8_t byte = 0;
            if (!Next(byte)) return false;
            if (byte < limit) {
                value = byte % bound;
                return true;
            }
        }
        return false;
    }

private:
    RandomSource& m_source;
    std::uint8_t m_bytes[64] = {};
    std::size_t m_next = sizeof m_bytes;
};

// Copies the characters of `from` that are not excluded to `to`; returns how many.
std::size_t Filter(const char* from, const char* exclude, char* to) {
    std::size_t count = 0;
    for (; *from != '\0'; ++from) {
        if (std::strchr(exclude, *from) == nullptr) to[count++] = *from;
    }
    return count;
}

GenerateResult Fill(const PasswordRules& rules, char* out, RandomSource& random) {
    char classes[kClassCount][kPoolSize];
    std::size_t classSize[kClassCount] = {};
    char pool[kPoolSize];
    std::size_t poolSize = 0;
    for (int c = 0; c < kClassCount; ++c) {
        if ((c == kDigitClass && !rules.digits) || (c == kSymbolClass && !rules.symbols)) continue;
        classSize[c] = Filter(kClasses[c], rules.exclude != nullptr ? rules.exclude : "", classes[c]);
        std::memcpy(pool + poolSize, classes[c], classSize[c]);
        poolSize += classSize[c];
    }
    if (poolSize == 0) return GenerateNoCharacters;

    ByteStream bytes(random);
    std::size_t length = 0;
    unsigned pick = 0;
    for (int c = 0; c < kClassCount; ++c) {
        if (classSize[c] == 0) continue;
        if (!bytes.Below(static_cast<unsigned>(classSize[c]), pick)) return GenerateNoRandom;
        out[length++] = classes[c][pick];
    }
    while (length < rules.length) {
        if (!bytes.Below(static_cast<unsigned>(poolSize), pick)) return GenerateNoRandom;
        out[length++] = pool[pick];
    }
    // Fisher-Yates, so the guaranteed characters stand anywhere.
    for (std::size_t i = length - 1; i > 0; --i) {
        if (!bytes.Below(static_cast<unsigned>(i + 1), pick)) return GenerateNoRandom;
        const char kept = out[i];
        out[i] = out[pick];
        out[pick] = kept;
    }
    out[length] = '\0';
    return GenerateOk;
}

}  // namespace

GenerateResult GeneratePassword(const PasswordRules& rules, char* out, std::size_t outSize, RandomSource& random) {
    if (outSize > 0) out[0] = '\0';
    if (rules.length < kMinGeneratedLength || rules.length > kMaxGeneratedLength || outSize <= rules.length) {
        return GenerateBadLength;
    }
    const GenerateResult result = Fill(rules, out, random);
    if (result != GenerateOk) SecureWipe(out, outSize);
    return result;
}

GenerateResult GeneratePassword(const PasswordRules& rules, char* out, std::size_t outSize) {
    return GeneratePassword(rules, out, outSize, SystemRandomSource());
}

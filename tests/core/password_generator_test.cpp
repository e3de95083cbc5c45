#include "core/generator/password_generator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "base/random_source.h"

namespace {

// SplitMix64 bytes, so the statistics below are the same on every run; with
// `biased`, the smaller of two bytes, so low values come about twice as often.
class SeededSource : public RandomSource {
public:
    explicit SeededSource(bool biased) : m_biased(biased) {}
    bool Fill(void* data, std::size_t size) override {
        auto* bytes = static_cast<std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            const auto a = static_cast<std::uint8_t>(z >> 56), b = static_cast<std::uint8_t>(z >> 48);
            bytes[i] = m_biased && b < a ? b : a;
        }
        return true;
    }

private:
    bool m_biased;
    std::uint64_t m_state = 2024;
};

class FailingSource : public RandomSource {
public:
    bool Fill(void*, std::size_t) override { return false; }
};

const char* const kClassChars[] = {"abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "0123456789",
                                   "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"};

int ClassOf(char c) {
    for (int k = 0; k < 4; ++k) {
        if (std::strchr(kClassChars[k], c) != nullptr) return k;
    }
    return -1;
}

// Pearson's statistic over 20,000 passwords of 31 characters, for the 94
// characters and for the classes at each position. Both have 93 degrees of
// freedom, so an even generator passes 173 about once in a million samples;
// one that favours some values, or leaves the guaranteed characters in front,
// lands in the thousands.
constexpr double kChiSquareBound = 173.0;

void Measure(RandomSource& source, double& characters, double& positions) {
    constexpr int kPasswords = 20000, kLength = 31;
    double seen[128] = {}, atPosition[kLength][4] = {};
    PasswordRules rules;
    rules.length = kLength;
    char out[32];
    for (int n = 0; n < kPasswords; ++n) {
        ASSERT_EQ(GeneratePassword(rules, out, sizeof out, source), GenerateOk);
        for (int i = 0; i < kLength; ++i) {
            seen[static_cast<unsigned char>(out[i])] += 1;
            atPosition[i][ClassOf(out[i])] += 1;
        }
    }
    // One forced character of each class, uniform within it, and 27 drawn
    // from all 94.
    characters = positions = 0;
    for (int k = 0; k < 4; ++k) {
        const double size = static_cast<double>(std::strlen(kClassChars[k]));
        const double perChar = kPasswords * (1.0 / size + (kLength - 4) / 94.0);
        for (const char* c = kClassChars[k]; *c != '\0'; ++c) {
            const double d = seen[static_cast<unsigned char>(*c)] - perChar;
            characters += d * d / perChar;
        }
        const double perPosition = perChar * size / kLength;
        for (int i = 0; i < kLength; ++i) {
            const double d = atPosition[i][k] - perPosition;
            positions += d * d / perPosition;
        }
    }
}

}  // namespace

TEST(PasswordGenerator, LengthsClassesAndExclusionsHold) {
    char out[40];
    for (std::size_t length = kMinGeneratedLength; length <= kMaxGeneratedLength; ++length) {
        for (int variant = 0; variant < 4; ++variant) {
            PasswordRules rules;
            rules.length = length;
            rules.digits = (variant & 1) == 0;
            rules.symbols = (variant & 2) == 0;
            rules.exclude = "aA0!lI1O";
            ASSERT_EQ(GeneratePassword(rules, out, sizeof out), GenerateOk);
            ASSERT_EQ(std::strlen(out), length);
            bool present[4] = {};
            for (const char* c = out; *c != '\0'; ++c) {
                present[ClassOf(*c)] = true;
                EXPECT_EQ(std::strchr(rules.exclude, *c), nullptr) << out;
            }
            EXPECT_TRUE(present[0] && present[1] && present[2] == rules.digits && present[3] == rules.symbols) << out;
        }
    }

    PasswordRules rules;
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out), GenerateOk);
    EXPECT_EQ(std::strlen(out), 16u) << "the default length";
    EXPECT_EQ(GeneratePassword(rules, out, 16), GenerateBadLength) << "no room for the terminator";
    FailingSource failing;
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out, failing), GenerateNoRandom);
    EXPECT_STREQ(out, "");
    const std::string everything = std::string(kClassChars[0]) + kClassChars[1] + kClassChars[2] + kClassChars[3];
    rules.exclude = everything.c_str();
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out), GenerateNoCharacters);
    rules.length = 3;
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out), GenerateBadLength);
}

TEST(PasswordGenerator, EveryCharacterAndPlaceIsEquallyLikelyAndABiasedSourceShows) {
    double characters = 0, positions = 0;
    SeededSource even(false);
    Measure(even, characters, positions);
    EXPECT_LT(characters, kChiSquareBound);
    EXPECT_LT(positions, kChiSquareBound);

    // The same measure sees a skewed source through the seam.
    SeededSource biased(true);
    Measure(biased, characters, positions);
    EXPECT_GT(characters, kChiSquareBound);
}

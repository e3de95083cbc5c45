#include "crypto/password_generator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/random_source.h"

namespace {

// SplitMix64: a fixed, well-spread sequence, so the statistics below are the
// same on every run.
class SeededSource : public RandomSource {
public:
    explicit SeededSource(std::uint64_t seed) : m_state(seed) {}
    bool Fill(void* data, std::size_t size) override {
        auto* bytes = static_cast<std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(Next() >> 56);
        return true;
    }

protected:
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t m_state;
};

// Low bytes come twice as often as high ones.
class BiasedSource : public SeededSource {
public:
    BiasedSource() : SeededSource(7) {}
    bool Fill(void* data, std::size_t size) override {
        auto* bytes = static_cast<std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            const std::uint64_t r = Next();
            const auto a = static_cast<std::uint8_t>(r >> 56), b = static_cast<std::uint8_t>(r >> 48);
            bytes[i] = a < b ? a : b;
        }
        return true;
    }
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

// Pearson's statistic of 20,000 passwords of 31 characters: over the 94
// characters, and over the classes at each position. Both have 93 degrees of
// freedom, so an even generator passes 173 about once in a million samples;
// one that favours some values, or leaves the guaranteed characters in
// front, lands in the thousands.
constexpr double kChiSquareBound = 173.0;

struct Uniformity {
    double characters = 0;
    double positions = 0;
};

Uniformity Measure(RandomSource& source) {
    constexpr int kPasswords = 20000;
    constexpr int kLength = 31;
    double seen[128] = {};
    double atPosition[kLength][4] = {};
    PasswordRules rules;
    rules.length = kLength;
    char out[32];
    for (int n = 0; n < kPasswords; ++n) {
        EXPECT_EQ(GeneratePassword(rules, out, sizeof out, source), GenerateOk);
        for (int i = 0; i < kLength; ++i) {
            seen[static_cast<unsigned char>(out[i])] += 1;
            atPosition[i][ClassOf(out[i])] += 1;
        }
    }
    // Each password holds one forced character of each class, uniform within
    // it, and 27 drawn from all 94.
    Uniformity u;
    double classShare[4];
    for (int k = 0; k < 4; ++k) {
        const double size = static_cast<double>(std::strlen(kClassChars[k]));
        const double perChar = kPasswords * (1.0 / size + (kLength - 4) / 94.0);
        classShare[k] = perChar * size / (kPasswords * kLength);
        for (const char* c = kClassChars[k]; *c != '\0'; ++c) {
            const double d = seen[static_cast<unsigned char>(*c)] - perChar;
            u.characters += d * d / perChar;
        }
    }
    for (int i = 0; i < kLength; ++i) {
        for (int k = 0; k < 4; ++k) {
            const double expected = kPasswords * classShare[k];
            const double d = atPosition[i][k] - expected;
            u.positions += d * d / expected;
        }
    }
    return u;
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
                ASSERT_NE(ClassOf(*c), -1) << out;
                present[ClassOf(*c)] = true;
                EXPECT_EQ(std::strchr(rules.exclude, *c), nullptr) << out;
            }
            EXPECT_TRUE(present[0] && present[1]) << out;
            EXPECT_EQ(present[2], rules.digits) << out;
            EXPECT_EQ(present[3], rules.symbols) << out;
        }
    }

    PasswordRules rules;
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out), GenerateOk);
    EXPECT_EQ(std::strlen(out), 16u) << "the default length";
    rules.length = 3;
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out), GenerateBadLength);
    rules.length = 32;
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out), GenerateBadLength);
    rules.length = 16;
    EXPECT_EQ(GeneratePassword(rules, out, 16), GenerateBadLength) << "no room for the terminator";
    FailingSource failing;
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out, failing), GenerateNoRandom);
    EXPECT_STREQ(out, "");
    const std::string everything = std::string(kClassChars[0]) + kClassChars[1] + kClassChars[2] + kClassChars[3];
    rules.exclude = everything.c_str();
    EXPECT_EQ(GeneratePassword(rules, out, sizeof out), GenerateNoCharacters);
}

TEST(PasswordGenerator, EveryCharacterAndPlaceIsEquallyLikelyAndABiasedSourceShows) {
    SeededSource even(2024);
    const Uniformity fair = Measure(even);
    EXPECT_LT(fair.characters, kChiSquareBound);
    EXPECT_LT(fair.positions, kChiSquareBound);

    // The same measure has the power to see a skewed source through the seam.
    BiasedSource biased;
    const Uniformity skewed = Measure(biased);
    EXPECT_GT(skewed.characters, kChiSquareBound);
}

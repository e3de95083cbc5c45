#pragma once
// Random passwords for items, drawn from the system's cryptographic source.
// The command-line tool and the item form share this one generator.
#include <cstddef>

class RandomSource;

// An item password holds at most 31 bytes.
constexpr std::size_t kMaxGeneratedLength = 31;
constexpr std::size_t kMinGeneratedLength = 4;
constexpr std::size_t kDefaultGeneratedLength = 16;

struct PasswordRules {
    std::size_t length = kDefaultGeneratedLength;
    bool digits = true;
    bool symbols = true;
    // Characters never used, e.g. those a site refuses or that look alike.
    const char* exclude = "";
};

enum GenerateResult {
    GenerateOk,
    GenerateBadLength,     // outside kMinGeneratedLength to kMaxGeneratedLength
    GenerateNoCharacters,  // the exclusions left nothing to draw from
    GenerateNoRandom,      // the random source failed
};

// Writes `rules.length` characters and a terminator into `out` (at least
// length + 1 bytes). Lower- and upper-case letters are always offered, digits
// and ASCII symbols unless switched off; every class that keeps a character
// after the exclusions appears at least once, at a random place. On failure
// `out` is left empty.
GenerateResult GeneratePassword(const PasswordRules& rules, char* out, std::size_t outSize);
// The same from a given source (tests give a deterministic or a biased one).
GenerateResult GeneratePassword(const PasswordRules& rules, char* out, std::size_t outSize, RandomSource& random);

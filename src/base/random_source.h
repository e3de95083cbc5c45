#pragma once
// The operating system's cryptographic random source: getrandom (or
// /dev/urandom where the call is missing) on POSIX, BCryptGenRandom on
// Windows. Tests give their own source to the code that draws from it.
#include <cstddef>

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Fills `size` bytes; false when the system cannot give them.
    virtual bool Fill(void* data, std::size_t size) = 0;
};

RandomSource& SystemRandomSource();

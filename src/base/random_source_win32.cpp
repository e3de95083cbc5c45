#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <cstdint>

#include "base/random_source.h"
#include "base/system_entry_win32.h"

namespace {

using BCryptGenRandomFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);

// bcrypt.dll is loaded when a password is first generated, not at the
// program's start: under Wine it brings a crypto library of its own, a
// fifth of the start-up time and megabytes of memory that most runs never
// use.
BCryptGenRandomFn LoadGenRandom() { return SystemEntry<BCryptGenRandomFn>("bcrypt.dll", "BCryptGenRandom"); }

class SystemSource : public RandomSource {
public:
    bool Fill(void* data, std::size_t size) override {
        static const BCryptGenRandomFn genRandom = LoadGenRandom();
        if (genRandom == nullptr) return false;
        auto* bytes = static_cast<std::uint8_t*>(data);
        while (size > 0) {
            const ULONG chunk = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
            if (!BCRYPT_SUCCESS(genRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
            bytes += chunk;
            size -= chunk;
        }
        return true;
    }
};

}  // namespace

RandomSource& SystemRandomSource() {
    static SystemSource source;
    return source;
}

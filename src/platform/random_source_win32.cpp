#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <cstdint>

#include "platform/random_source.h"

namespace {

class SystemSource : public RandomSource {
public:
    bool Fill(void* data, std::size_t size) override {
        auto* bytes = static_cast<std::uint8_t*>(data);
        while (size > 0) {
            const ULONG chunk = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
            if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
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

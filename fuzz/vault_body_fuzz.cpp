// The checks behind the password: random bytes almost never decrypt to the
// right digest, so this target puts the right one in front of its input and
// encrypts the whole under the right key. The loader then judges the tag, the
// count, the length and the fields of every input: it accepts exactly the
// images that are whole, hands out the items where the format puts them, and
// whatever it accepts survives a save and a second load unchanged.
//
// Input: the plain image after its 16-byte digest (tag, count, reserved bytes,
// items, anything behind them). The whole blocks are encrypted as a save would;
// the bytes of a last partial block stay as they are, as the loader reads them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/crypto/password_crypto.h"
#include "vault_fuzz_support.h"

namespace {
constexpr char kPassword[] = "fuzz seed";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vault_fuzz;
    // No valid image comes near the 2 MiB the loader takes.
    if (size > kIoBufferSize - kDigestSize) return 0;
    std::vector<std::uint8_t> plain(kDigestSize);
    DigestPassword(kPassword, plain.data());
    plain.insert(plain.end(), data, data + size);
    std::vector<std::uint8_t> file = plain;
    std::uint8_t key[kDigestSize];
    DigestPassword(kPassword, key);
    EncryptBuffer(file.data(), static_cast<std::uint32_t>(file.size() / 16), key);

    MemoryFileSystem files;
    files.Put(kVaultPath, file.data(), file.size());
    LoginStore& store = Store();
    store.SetFileSystem(&files);
    JudgeBody(store, files, kPassword, plain);
    store.Reset();
    store.SetFileSystem(nullptr);
    return 0;
}

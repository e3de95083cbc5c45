// Any bytes as a vault with the strong key, opened under one of a few
// passwords: the loader must refuse a malformed header as damage and anything
// the MAC does not vouch for as a wrong password, and leave the store closed
// and empty; what it accepts must survive a save and a second load.
//
// Input: byte 0 picks the password (its two low bits); the rest is the file,
// behind the strong format's magic when it does not start with it. A cost the
// loader would accept but that would make one input take seconds is lowered
// first, keeping its bits below the limit; costs above the limit stay, as the
// loader must refuse them before it pays anything.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vault_fuzz_support.h"

namespace {
// The seeds are sealed under "fuzz seed" (byte 0 is 1).
const char* const kPasswords[] = {"quillmarsh", "fuzz seed", "", "a master password of the strong key's sixty-four"};
const std::uint8_t kMagic[8] = {0x89, 'P', 'L', 'C', '\r', '\n', 0x1A, '\n'};

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return vault_fuzz::LittleEndian32(&bytes[at]);
}

void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vault_fuzz;
    const char* password = kPasswords[size == 0 ? 0 : data[0] & 3];
    std::vector<std::uint8_t> file(data + (size == 0 ? 0 : 1), data + size);
    if (file.size() < sizeof kMagic || std::memcmp(file.data(), kMagic, sizeof kMagic) != 0) {
        file.insert(file.begin(), kMagic, kMagic + sizeof kMagic);
    }
    if (file.size() >= 32) {
        const std::uint32_t memory = Word(file, 20), passes = Word(file, 24);
        if (memory > 256 && memory <= kMaxStrongMemoryKiB) PutWord(file, 20, memory % 256);
        if (passes > 2 && passes <= kMaxStrongPasses) PutWord(file, 24, 1 + passes % 2);
    }

    MemoryFileSystem files;
    files.Put(kVaultPath, file.data(), file.size());
    LoginStore& store = Store();
    store.SetFileSystem(&files);
    store.SetNewStrongParameters({8, 1, 1, kArgon2Version});
    std::vector<LoginItem> table;
    if (OpenAndCheck(store, files, password, table) == VaultOk) SaveAndReopen(store, files, password, table, false);
    store.Reset();
    store.SetFileSystem(nullptr);
    return 0;
}

// Any bytes as a vault file, opened under one of a few passwords on a disk
// that may fail: the loader must refuse what is not a vault without crashing
// or leaking, a failed open leaves the store closed and empty, and whatever it
// accepts must survive a save and a second load unchanged, or, when the disk
// fails the save, stay whole in the file it came from.
//
// Input: byte 0 picks the password (its two low bits) and what the disk fails
// (the other bits); the rest is the file. The disk runs in memory, so an input
// costs no more than the store's own work.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vault_fuzz_support.h"

namespace {
// The seed vaults are written under "fuzz seed" (byte 0 is 1), and
// "quillmarsh" meets the default content that an empty file gets.
const char* const kPasswords[] = {"quillmarsh", "fuzz seed", "", "a rather longer master password"};

enum Faults : std::uint8_t {
    OpenFails = 1 << 2,
    ReadFails = 1 << 3,
    // Cuts the default content of a new file and every save of an item.
    DiskFills = 1 << 4,
    FlushFails = 1 << 5,
    TempFails = 1 << 6,
    MoveFails = 1 << 7,
};

MemoryFileSystem::Faults FaultsOf(std::uint8_t flags) {
    MemoryFileSystem::Faults faults;
    if ((flags & OpenFails) != 0) faults.openError = "Permission denied";
    faults.failRead = (flags & ReadFails) != 0;
    faults.writeLimit = (flags & DiskFills) != 0 ? 1024 : -1;
    faults.failFlush = (flags & FlushFails) != 0;
    faults.failTemp = (flags & TempFails) != 0;
    faults.failMove = (flags & MoveFails) != 0;
    return faults;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vault_fuzz;
    const std::uint8_t flags = size == 0 ? 0 : data[0];
    const char* password = kPasswords[flags & 3];
    MemoryFileSystem files;
    files.Put(kVaultPath, size == 0 ? data : data + 1, size == 0 ? 0 : size - 1);
    files.faults = FaultsOf(flags);

    LoginStore& store = Store();
    store.SetFileSystem(&files);
    std::vector<LoginItem> table;
    if (OpenAndCheck(store, files, password, table) == VaultOk) {
        const bool saveMayFail = (flags & (DiskFills | FlushFails | TempFails | MoveFails)) != 0;
        SaveAndReopen(store, files, password, table, saveMayFail);
    }
    store.Reset();
    store.SetFileSystem(nullptr);
    return 0;
}

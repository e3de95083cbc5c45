#pragma once
// What the vault's fuzz targets share: one store on an in-memory disk, and
// the invariants that every open, save and second open must keep. A broken
// invariant aborts, which libFuzzer reports as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/vault/login_store.h"
#include "memory_file_system.h"

namespace vault_fuzz {

constexpr char kVaultPath[] = "vault.dat";
inline const std::string kLockPath = std::string(kVaultPath) + kWriterLockSuffix;

inline void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// The store is too big for the stack and too slow to build per input; each
// input starts from a Reset.
inline LoginStore& Store() {
    static std::unique_ptr<LoginStore> store;
    if (!store) store.reset(new LoginStore());
    store->Reset();
    return *store;
}

inline bool Terminated(const char* field, std::size_t width) { return std::memchr(field, 0, width) != nullptr; }

inline bool Terminated(const LoginItem& item) {
    return Terminated(item.serviceName, sizeof item.serviceName) && Terminated(item.userName, sizeof item.userName) &&
           Terminated(item.password, sizeof item.password) &&
           Terminated(item.serviceAddress, sizeof item.serviceAddress) &&
           Terminated(item.description, sizeof item.description);
}

inline bool Empty(const LoginItem& item) {
    static const LoginItem kCleared = {};
    return std::memcmp(&item, &kCleared, sizeof item) == 0;
}

// The open table as its readers see it: at most 100 items, every text field
// terminated within its width, nothing in the slots behind the count, and
// pages and search that stay inside it.
inline std::vector<LoginItem> TakeTable(LoginStore& store) {
    const std::uint32_t count = store.GetCount();
    Check(store.IsOpen(), "an opened store is not open");
    Check(count <= kMaxItems, "more than 100 items");
    std::vector<LoginItem> items(kMaxItems);
    for (std::uint32_t i = 0; i < kMaxItems; ++i) {
        Check(store.GetItem(static_cast<int>(i), items[i]), "a slot within the capacity cannot be read");
        Check(Terminated(items[i]), "an item handed out with an unterminated field");
        Check(i < count || Empty(items[i]), "a slot behind the count holds data");
    }
    items.resize(count);

    LoginItem page[kPageSize];
    std::uint32_t shown = 0;
    store.GoToLastPage();
    store.GetPage(page, shown);
    Check(shown <= kPageSize && store.GetFirstVisible() + shown == count, "the last page does not end the table");
    for (std::uint32_t i = 0; i < shown; ++i) Check(Terminated(page[i]), "a page item with an unterminated field");
    store.FindByServiceName("a");
    Check(store.GetFirstVisible() % kPageSize == 0 && store.GetFirstVisible() <= count, "search left the table");
    return items;
}

// A failed open leaves the store closed and empty; only the default item of
// a new file whose writing failed stays until the next load.
inline void CheckFailedOpen(const LoginStore& store, VaultResult result) {
    Check(!store.IsOpen(), "a failed open left the store open");
    Check(store.GetFilePath().empty(), "a failed open kept the path");
    Check(store.GetCount() <= (result == VaultWriteFailed ? 1u : 0u), "a failed open left items in the store");
    if (result != VaultWriteFailed) Check(store.GetIoLength() == 0, "a failed open left the image in the buffer");
}

inline bool OnlyTheVault(const MemoryFileSystem& files) {
    return files.Names() == std::vector<std::string>{kVaultPath, kLockPath};
}

// Takes the writer lock and opens the vault as a login does, and checks it
// whichever way it went; the table it read, or nothing when it failed.
inline VaultResult OpenAndCheck(LoginStore& store, const MemoryFileSystem& files, const char* password,
                                std::vector<LoginItem>& table) {
    Check(store.LockWriter(kVaultPath) == VaultOk, "the writer lock of a vault nobody holds is refused");
    const VaultResult result = store.Open(password, kVaultPath);
    Check(!files.IsHeld(kVaultPath), "an open left the vault held");
    Check(OnlyTheVault(files), "an open left another file beside the vault");
    Check(files.IsLocked(kLockPath) == (result == VaultOk), "the writer lock does not go with the open vault");
    if (result == VaultOk) {
        table = TakeTable(store);
    } else {
        CheckFailedOpen(store, result);
        table.clear();
    }
    return result;
}

// Saves the open store and opens the vault again on a sound disk: the saved
// image, or after a failed save the untouched previous one, gives back the
// same table. A save fails only where the disk was made to fail.
inline void SaveAndReopen(LoginStore& store, MemoryFileSystem& files, const char* password,
                          const std::vector<LoginItem>& table, bool saveMayFail) {
    const std::vector<std::uint8_t> before = files.Contents(kVaultPath);
    const VaultResult saved = store.Save();
    Check(!files.IsHeld(kVaultPath), "a save left the vault held");
    Check(OnlyTheVault(files), "a save left another file beside the vault");
    if (saved == VaultOk) {
        // The strong format adds its plain header and MAC around the image.
        const std::size_t around = store.GetFormat() == VaultFormat::Strong ? 80 + 32 : 0;
        const std::size_t image = (sizeof(VaultHeader) + sizeof(LoginItem) * table.size() + 15) / 16 * 16 + around;
        Check(files.Contents(kVaultPath).size() == image, "a saved vault is not as long as its image");
    } else {
        Check(saveMayFail, "a save failed on a sound disk");
        Check(files.Contents(kVaultPath) == before, "a failed save changed the vault");
        Check(store.GetCount() == table.size(), "a failed save changed the table");
    }

    files.faults = {};
    store.Reset();
    Check(!files.IsLocked(kLockPath), "a closed store keeps the writer lock");
    std::vector<LoginItem> again;
    Check(OpenAndCheck(store, files, password, again) == VaultOk, "a saved vault does not open again");
    Check(again.size() == table.size(), "the count changed on the way through the file");
    for (std::size_t i = 0; i < table.size(); ++i) {
        Check(std::memcmp(&again[i], &table[i], sizeof again[i]) == 0, "an item changed on the way through the file");
    }
}

// The plain image's layout, from the format's offsets rather than the
// loader's structures: the 56-byte header (digest, tag, count, reserved), then
// 1668-byte records of five texts and a type code.
constexpr char kTag[4] = {'v', '0', '1', '\0'};
constexpr std::size_t kHeaderSize = 56;
constexpr std::size_t kRecordSize = 1668;
struct Field {
    std::size_t offset, width;
};
constexpr Field kFields[] = {{0, 64}, {64, 32}, {96, 32}, {128, 512}, {640, 1024}};

inline std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// A field as handed out: the stored text as far as its zero, cut to leave room
// for one, and zeros behind it.
inline bool IsTextOf(const std::uint8_t* got, const std::uint8_t* stored, std::size_t width) {
    std::size_t length = 0;
    while (length + 1 < width && stored[length] != 0) ++length;
    if (std::memcmp(got, stored, length) != 0) return false;
    for (std::size_t i = length; i < width; ++i) {
        if (got[i] != 0) return false;
    }
    return true;
}

// Whether the loader must accept the plain image.
inline bool IsWhole(const std::vector<std::uint8_t>& plain) {
    if (plain.size() < kHeaderSize || std::memcmp(&plain[16], kTag, sizeof kTag) != 0) return false;
    const std::uint32_t count = LittleEndian32(&plain[20]);
    return count <= kMaxItems && plain.size() >= kHeaderSize + kRecordSize * count;
}

// The loader's verdict on a plain image put behind the right key: it accepts
// exactly the whole images, hands out the items where the format puts them,
// and what it accepts survives a save and a second load unchanged.
inline void JudgeBody(LoginStore& store, MemoryFileSystem& files, const char* password,
                      const std::vector<std::uint8_t>& plain) {
    std::vector<LoginItem> table;
    const VaultResult result = OpenAndCheck(store, files, password, table);
    if (!IsWhole(plain)) {
        Check(result == VaultDamaged, "a broken image behind the right key is not refused as damaged");
        return;
    }
    Check(result == VaultOk, "a whole image is refused");
    Check(table.size() == LittleEndian32(&plain[20]), "the table does not hold the stored count");
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::uint8_t* stored = &plain[kHeaderSize + kRecordSize * i];
        const auto* got = reinterpret_cast<const std::uint8_t*>(&table[i]);
        for (const Field& field : kFields) {
            Check(IsTextOf(got + field.offset, stored + field.offset, field.width),
                  "an item's text is not the one stored there");
        }
        Check(LittleEndian32(got + 1664) == LittleEndian32(stored + 1664), "an item's type is not the one stored");
    }
    SaveAndReopen(store, files, password, table, false);
}

}  // namespace vault_fuzz

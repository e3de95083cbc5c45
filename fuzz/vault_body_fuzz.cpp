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
constexpr char kTag[4] = {'v', '0', '1', '\0'};
constexpr std::size_t kHeaderSize = sizeof(VaultHeader);

constexpr std::size_t kRecordSize = 1668;

// The text fields of a record: offset and width.
struct Field {
    std::size_t offset, width;
};
constexpr Field kFields[] = {{0, 64}, {64, 32}, {96, 32}, {128, 512}, {640, 1024}};

// A field as handed out: the stored text as far as its zero, cut to leave room
// for one, and zeros behind it.
bool IsTextOf(const std::uint8_t* got, const std::uint8_t* stored, std::size_t width) {
    std::size_t length = 0;
    while (length + 1 < width && stored[length] != 0) ++length;
    if (std::memcmp(got, stored, length) != 0) return false;
    for (std::size_t i = length; i < width; ++i) {
        if (got[i] != 0) return false;
    }
    return true;
}

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Whether the loader must accept the plain image, judged from the format's
// offsets rather than the loader's structures.
bool IsWhole(const std::vector<std::uint8_t>& plain) {
    if (plain.size() < kHeaderSize || std::memcmp(&plain[16], kTag, sizeof kTag) != 0) return false;
    const std::uint32_t count = LittleEndian32(&plain[20]);
    return count <= kMaxItems && plain.size() >= kHeaderSize + kRecordSize * count;
}
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
    std::vector<LoginItem> table;
    const VaultResult result = OpenAndCheck(store, files, kPassword, table);
    if (!IsWhole(plain)) {
        Check(result == VaultDamaged, "a broken image behind the right digest is not refused as damaged");
    } else {
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
        SaveAndReopen(store, files, kPassword, table, false);
    }
    store.Reset();
    store.SetFileSystem(nullptr);
    return 0;
}

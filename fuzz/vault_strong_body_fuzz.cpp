// The checks behind the strong key's MAC: random bytes never carry the right
// MAC, so this target seals its input as a save would (a plain header with
// the cheapest cost, the image under AES-256-CBC, the keyed BLAKE2b after
// it), built here from the format's offsets. The loader then judges the tag,
// the count, the length and the fields as in the compatible format.
//
// Input: the plain image after its 16-byte digest, padded with zeros to whole
// cipher blocks (the strong format holds whole blocks only).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/crypto/argon2.h"
#include "core/crypto/blake2b.h"
#include "core/crypto/rijndael.h"
#include "vault_fuzz_support.h"

namespace {
constexpr char kPassword[] = "fuzz seed";
constexpr Argon2Parameters kCheapest = {8, 1, 1, kArgon2Version};
const std::uint8_t kSalt[16] = {'s', 'a', 'l', 't', ' ', 'o', 'f', ' ', 't', 'h', 'e', ' ', 's', 'e', 'e', 'd'};
const std::uint8_t kMagic[8] = {0x89, 'P', 'L', 'C', '\r', '\n', 0x1A, '\n'};

void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The cipher key then the MAC key, derived once: the cost is the same for
// every input.
const std::uint8_t* Keys() {
    static std::uint8_t keys[64];
    static const bool derived = [] {
        Argon2Input input;
        input.password = kPassword;
        input.passwordLength = sizeof kPassword - 1;
        input.salt = kSalt;
        input.saltLength = sizeof kSalt;
        return Argon2Hash(Argon2Type::Id, kCheapest, input, keys, sizeof keys) == Argon2Result::Ok;
    }();
    vault_fuzz::Check(derived, "the cheapest cost cannot be derived");
    return keys;
}

std::vector<std::uint8_t> Seal(const std::vector<std::uint8_t>& plain) {
    std::vector<std::uint8_t> file(80, 0);
    std::memcpy(file.data(), kMagic, sizeof kMagic);
    const std::uint32_t words[] = {1, 2, kArgon2Version, kCheapest.memoryKiB, kCheapest.passes, kCheapest.lanes};
    for (std::size_t i = 0; i < 6; ++i) PutWord(file, 8 + 4 * i, words[i]);
    std::memcpy(&file[32], kSalt, sizeof kSalt);
    for (std::size_t i = 0; i < 16; ++i) file[48 + i] = static_cast<std::uint8_t>(i * 37);
    PutWord(file, 64, static_cast<std::uint32_t>(plain.size()));
    file.insert(file.end(), plain.begin(), plain.end());
    CRijndael aes;
    aes.Setup(CRijndael::CBC, CRijndael::Encrypt, Keys(), CRijndael::Key32Bytes, &file[48]);
    aes.EncryptBlocks(&file[80], static_cast<int>(plain.size() * 8), &file[80]);
    std::uint8_t mac[32];
    Blake2bHash(mac, sizeof mac, file.data(), file.size(), Keys() + 32, 32);
    file.insert(file.end(), mac, mac + sizeof mac);
    return file;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vault_fuzz;
    if (size > kIoBufferSize - 256) return 0;
    std::vector<std::uint8_t> plain(16, 0);
    plain.insert(plain.end(), data, data + size);
    plain.resize((plain.size() + 15) / 16 * 16, 0);
    const std::vector<std::uint8_t> file = Seal(plain);

    MemoryFileSystem files;
    files.Put(kVaultPath, file.data(), file.size());
    LoginStore& store = Store();
    store.SetFileSystem(&files);
    store.SetNewStrongParameters(kCheapest);
    JudgeBody(store, files, kPassword, plain);
    store.Reset();
    store.SetFileSystem(nullptr);
    return 0;
}

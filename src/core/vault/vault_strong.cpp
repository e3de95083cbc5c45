// The vault with the strong key: a plain header with the cost and salt of
// its Argon2id key, the item table under AES-256-CBC, and a keyed BLAKE2b
// over everything before it, checked before anything is decrypted. The
// layout is described byte for byte in docs/vault-format.md.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "base/codepage.h"
#include "base/file_system.h"
#include "base/random_source.h"
#include "base/secure_wipe.h"
#include "core/crypto/argon2.h"
#include "core/crypto/blake2b.h"
#include "core/crypto/rijndael.h"
#include "core/vault/login_store.h"

namespace {

// The PNG-style magic: a byte above 0x7F and a line end pair show a copy
// mangled as text at once. A vault in the compatible format starts with
// cipher text, so it starts like this by chance once in 2^64.
constexpr std::uint8_t kStrongMagic[8] = {0x89, 'P', 'L', 'C', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kStrongFormatVersion = 1;
constexpr std::uint32_t kKeyDerivationArgon2id = 2;
constexpr std::size_t kStrongHeaderSize = 80;
constexpr std::size_t kMacSize = 32;
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kIvSize = 16;
constexpr std::size_t kCipherKeySize = 32;
constexpr char kTag[4] = {'v', '0', '1', '\0'};

// Field offsets in the plain header.
enum : std::size_t {
    kAtVersion = 8,
    kAtKeyDerivation = 12,
    kAtArgon2Version = 16,
    kAtMemory = 20,
    kAtPasses = 24,
    kAtLanes = 28,
    kAtSalt = 32,
    kAtIv = 48,
    kAtCipherLength = 64,
    kAtReserved = 68,
};

std::uint32_t ReadWord(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

void WriteWord(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool CostAllowed(const Argon2Parameters& cost) {
    return cost.version == kArgon2Version && cost.lanes >= 1 && cost.lanes <= kMaxStrongLanes && cost.passes >= 1 &&
           cost.passes <= kMaxStrongPasses && cost.memoryKiB >= 8 * cost.lanes && cost.memoryKiB <= kMaxStrongMemoryKiB;
}

// Equal in a time that does not tell where they differ.
bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) {
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < length; ++i) difference |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    return difference == 0;
}

void Mac(const std::uint8_t keys[64], const std::uint8_t* data, std::size_t length, std::uint8_t out[kMacSize]) {
    Blake2bHash(out, kMacSize, data, length, keys + kCipherKeySize, 64 - kCipherKeySize);
}

}  // namespace

VaultFormat FormatOfImage(const std::uint8_t* image, std::size_t length) {
    const bool strong = length >= sizeof kStrongMagic && std::memcmp(image, kStrongMagic, sizeof kStrongMagic) == 0;
    return strong ? VaultFormat::Strong : VaultFormat::Compatible;
}

int MaxMasterPasswordChars(VaultFormat format) {
    return format == VaultFormat::Strong ? kMaxStrongPasswordChars : kMaxMasterPasswordChars;
}

std::size_t PasswordCharacterCount(const char* text) {
    std::size_t count = 0;
    for (std::size_t i = 0; text[i] != '\0'; ++i, ++count) {
        if (IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0') ++i;
    }
    return count;
}

bool LoginStore::DeriveStrongKeys(const char* password, const std::uint8_t salt[16], const Argon2Parameters& cost,
                                  std::uint8_t keys[64]) {
    Argon2Input input;
    input.password = password;
    input.passwordLength = std::strlen(password);
    input.salt = salt;
    input.saltLength = kSaltSize;
    return Argon2Hash(Argon2Type::Id, cost, input, keys, 64) == Argon2Result::Ok;
}

VaultFormat LoginStore::GetFormat() const { return m_format; }

const Argon2Parameters& LoginStore::GetStrongParameters() const { return m_strongCost; }

void LoginStore::SetNewStrongParameters(const Argon2Parameters& parameters) {
    m_newStrongCost = parameters;
    m_newCostChosen = true;
}

Argon2Parameters LoginStore::NextStrongCost() const {
    if (m_newCostChosen || m_format != VaultFormat::Strong) return m_newStrongCost;
    // A password change never lowers the cost a vault was given, and raises
    // an older, cheaper one to today's default.
    Argon2Parameters cost = m_strongCost;
    cost.memoryKiB = std::max(cost.memoryKiB, m_newStrongCost.memoryKiB);
    cost.passes = std::max(cost.passes, m_newStrongCost.passes);
    cost.lanes = std::max(cost.lanes, m_newStrongCost.lanes);
    return cost;
}

VaultFormat LoginStore::FormatOnDisk(const std::string& path) const {
    std::string error;
    std::unique_ptr<FileHandle> file = Files().OpenForReading(path, error);
    std::uint8_t start[sizeof kStrongMagic] = {};
    std::size_t got = 0;
    if (!file || !file->Read(start, sizeof start, got)) return VaultFormat::Compatible;
    return FormatOfImage(start, got);
}

VaultResult LoginStore::LoadStrong() {
    const std::uint8_t* image = ioBuffer;
    Argon2Parameters cost;
    cost.memoryKiB = ReadWord(image + kAtMemory);
    cost.passes = ReadWord(image + kAtPasses);
    cost.lanes = ReadWord(image + kAtLanes);
    cost.version = ReadWord(image + kAtArgon2Version);
    static const std::uint8_t kZeros[kStrongHeaderSize - kAtReserved] = {};
    const std::size_t cipherLength = ioLength >= kStrongHeaderSize ? ReadWord(image + kAtCipherLength) : 0;
    // Everything the key and the MAC depend on is checked before either is
    // computed: a damaged header is told as such, and no file makes the key
    // cost more than a vault of ours may ask.
    const bool wellFormed = ioLength >= kStrongHeaderSize + kMacSize && ReadWord(image + kAtVersion) == 1 &&
                            ReadWord(image + kAtKeyDerivation) == kKeyDerivationArgon2id && CostAllowed(cost) &&
                            std::memcmp(image + kAtReserved, kZeros, sizeof kZeros) == 0 && cipherLength % 16 == 0 &&
                            cipherLength >= sizeof(VaultHeader) &&
                            cipherLength == ioLength - kStrongHeaderSize - kMacSize;
    if (!wellFormed) {
        ClearAfterFailure();
        return Fail(VaultDamaged);
    }

    if (m_openPassword != nullptr) {
        if (!DeriveStrongKeys(m_openPassword, image + kAtSalt, cost, m_strongKeys)) {
            ClearAfterFailure();
            return Fail(VaultReadFailed);
        }
    } else if (m_format != VaultFormat::Strong || std::memcmp(m_salt, image + kAtSalt, kSaltSize) != 0 ||
               std::memcmp(&m_strongCost, &cost, sizeof cost) != 0) {
        // A reload keeps the keys it has; a file with another salt or cost
        // was given another password.
        ClearAfterFailure();
        return Fail(VaultWrongPassword);
    }

    std::uint8_t mac[kMacSize];
    Mac(m_strongKeys, image, kStrongHeaderSize + cipherLength, mac);
    const bool authentic = SameBytes(mac, image + kStrongHeaderSize + cipherLength, kMacSize);
    SecureWipe(mac, sizeof mac);
    if (!authentic) {
        ClearAfterFailure();
        return Fail(VaultWrongPassword);
    }

    CRijndael cipher;
    std::uint8_t* body = ioBuffer + kStrongHeaderSize;
    cipher.Setup(CRijndael::CBC, CRijndael::Decrypt, m_strongKeys, CRijndael::Key32Bytes, image + kAtIv);
    cipher.DecryptBlocks(body, static_cast<int>(cipherLength * 8), body);

    VaultHeader loaded;
    std::memcpy(&loaded, body, sizeof loaded);
    if (loaded.itemCount > kMaxItems || std::memcmp(loaded.tag, kTag, sizeof kTag) != 0 ||
        cipherLength < sizeof loaded + sizeof(LoginItem) * static_cast<std::size_t>(loaded.itemCount)) {
        SecureWipe(&loaded, sizeof loaded);
        ClearAfterFailure();
        return Fail(VaultDamaged);
    }
    std::memcpy(&header, &loaded, sizeof loaded);
    SecureWipe(&loaded, sizeof loaded);
    // The strong vault keeps no digest of the password: it would be a fast
    // test of guesses beside the slow key.
    std::memset(header.digest, 0, sizeof header.digest);
    std::memcpy(items, body + sizeof(VaultHeader), sizeof(LoginItem) * header.itemCount);
    std::memcpy(m_salt, image + kAtSalt, kSaltSize);
    m_strongCost = cost;
    m_format = VaultFormat::Strong;
    SecureWipe(m_key, sizeof m_key);
    isOpen = true;
    m_hasStamp = true;
    return VaultOk;
}

bool LoginStore::BuildStrongImage() {
    std::uint8_t* image = ioBuffer;
    std::memset(image, 0, kStrongHeaderSize);
    std::memcpy(image, kStrongMagic, sizeof kStrongMagic);
    WriteWord(image + kAtVersion, kStrongFormatVersion);
    WriteWord(image + kAtKeyDerivation, kKeyDerivationArgon2id);
    WriteWord(image + kAtArgon2Version, m_strongCost.version);
    WriteWord(image + kAtMemory, m_strongCost.memoryKiB);
    WriteWord(image + kAtPasses, m_strongCost.passes);
    WriteWord(image + kAtLanes, m_strongCost.lanes);
    std::memcpy(image + kAtSalt, m_salt, kSaltSize);

    std::uint8_t* body = image + kStrongHeaderSize;
    VaultHeader out;
    std::memset(&out, 0, sizeof out);
    std::memcpy(out.tag, kTag, sizeof kTag);
    out.itemCount = header.itemCount;
    std::memcpy(body, &out, sizeof out);
    std::memcpy(body + sizeof out, items, sizeof(LoginItem) * header.itemCount);
    std::size_t cipherLength = sizeof out + sizeof(LoginItem) * header.itemCount;
    while (cipherLength % 16 != 0) body[cipherLength++] = 0;
    WriteWord(image + kAtCipherLength, static_cast<std::uint32_t>(cipherLength));

    // A new initial vector at every save: the same table saved twice gives
    // unrelated cipher text.
    if (!SystemRandomSource().Fill(image + kAtIv, kIvSize)) {
        SecureWipe(image, kStrongHeaderSize + cipherLength);
        ioLength = 0;
        return false;
    }
    CRijndael cipher;
    cipher.Setup(CRijndael::CBC, CRijndael::Encrypt, m_strongKeys, CRijndael::Key32Bytes, image + kAtIv);
    cipher.EncryptBlocks(body, static_cast<int>(cipherLength * 8), body);
    Mac(m_strongKeys, image, kStrongHeaderSize + cipherLength, body + cipherLength);
    ioLength = static_cast<std::uint32_t>(kStrongHeaderSize + cipherLength + kMacSize);
    return true;
}

bool LoginStore::IsVaultPassword(const char* password) {
    if (m_format == VaultFormat::Compatible) return CheckPassword(password, header.digest);
    std::uint8_t keys[64];
    const bool same = DeriveStrongKeys(password, m_salt, m_strongCost, keys) && SameBytes(keys, m_strongKeys, 64);
    SecureWipe(keys, sizeof keys);
    return same;
}

VaultResult LoginStore::ChangePassword(const char* oldPassword, const char* newPassword, VaultFormat format) {
    m_failure = VaultFailure();
    if (oldPassword == nullptr) oldPassword = "";
    if (newPassword == nullptr) newPassword = "";
    // The old password is checked against the key in force; the caller says
    // what a wrong one means.
    if (!IsVaultPassword(oldPassword)) return VaultWrongPassword;
    if (PasswordCharacterCount(newPassword) > static_cast<std::size_t>(MaxMasterPasswordChars(format))) {
        return VaultBadName;
    }

    struct Keys {
        VaultFormat format;
        std::uint8_t digest[kDigestSize];
        Argon2Parameters cost;
        std::uint8_t salt[16];
        std::uint8_t keys[64];
    } previous;
    previous.format = m_format;
    std::memcpy(previous.digest, header.digest, sizeof previous.digest);
    previous.cost = m_strongCost;
    std::memcpy(previous.salt, m_salt, sizeof previous.salt);
    std::memcpy(previous.keys, m_strongKeys, sizeof previous.keys);

    VaultResult saved = VaultOk;
    if (format == VaultFormat::Compatible) {
        DigestPassword(newPassword, header.digest);
        m_format = format;
    } else {
        // A new salt at every change: the key of one password is never the
        // key of the same password in another vault or an older copy.
        std::uint8_t salt[16];
        const Argon2Parameters cost = NextStrongCost();
        if (!SystemRandomSource().Fill(salt, sizeof salt) || !DeriveStrongKeys(newPassword, salt, cost, m_strongKeys)) {
            saved = VaultWriteFailed;
        } else {
            std::memcpy(m_salt, salt, sizeof salt);
            m_strongCost = cost;
            std::memset(header.digest, 0, sizeof header.digest);
            m_format = format;
        }
    }
    if (saved == VaultOk) saved = Save();  // its failure is the one to tell
    if (saved == VaultOk) {
        std::memcpy(m_key, header.digest, sizeof m_key);
    } else {
        // The user is told the password was not changed, and the file still
        // holds the old image: keep later saves under the old key too.
        m_format = previous.format;
        std::memcpy(header.digest, previous.digest, sizeof previous.digest);
        m_strongCost = previous.cost;
        std::memcpy(m_salt, previous.salt, sizeof previous.salt);
        std::memcpy(m_strongKeys, previous.keys, sizeof previous.keys);
    }
    SecureWipe(&previous, sizeof previous);
    return saved == VaultOk ? VaultOk : VaultWriteFailed;
}

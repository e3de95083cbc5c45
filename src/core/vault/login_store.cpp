// The item table and its pages. Everything here works on the fixed array
// inside the store: nothing allocates.
#include "core/vault/login_store.h"

#include <cstring>

#include "base/codepage.h"
#include "base/file_system.h"
#include "base/secure_wipe.h"

LoginStore::LoginStore()
    : firstVisible(0),
      header(),
      m_key(),
      ioLength(0),
      isOpen(false),
      m_hasStamp(false),
      m_salt(),
      m_strongKeys(),
      m_fileSystem(nullptr) {
    Reset();
}

LoginStore::~LoginStore() { Reset(); }

void LoginStore::SetFileSystem(FileSystem* fileSystem) { m_fileSystem = fileSystem; }

FileSystem& LoginStore::Files() const { return m_fileSystem != nullptr ? *m_fileSystem : DefaultFileSystem(); }

const VaultFailure& LoginStore::LastFailure() const { return m_failure; }

std::uint32_t LoginStore::GetCount() const { return header.itemCount; }

bool LoginStore::GetItem(int index, LoginItem& out) const {
    if (index < 0 || index >= static_cast<int>(kMaxItems)) return false;
    out.CopyFrom(items[index]);
    return true;
}

bool LoginStore::AddItem(const LoginItem& item) {
    if (header.itemCount >= kMaxItems) return false;
    items[header.itemCount].CopyFrom(item);
    ++header.itemCount;
    return true;
}

bool LoginStore::DeleteItem(int index) {
    // Signed comparison: with an empty table "index > count - 1" must not wrap
    // round and let index 0 through to clear the slot before the array.
    if (index < 0 || static_cast<std::int64_t>(index) > static_cast<std::int64_t>(header.itemCount) - 1) {
        return false;
    }
    const std::uint32_t count = header.itemCount;
    for (std::uint32_t i = static_cast<std::uint32_t>(index); i + 1 < count; ++i) {
        items[i].CopyFrom(items[i + 1]);
    }
    SecureWipe(&items[count - 1], sizeof(LoginItem));
    header.itemCount = count - 1;
    return true;
}

bool LoginStore::ReplaceItem(int index, const LoginItem& item) {
    if (index < 0 || index >= static_cast<int>(kMaxItems)) return false;
    // The caller may hand us the slot itself: take it whole before clearing.
    LoginItem temporary;
    std::memcpy(&temporary, &item, sizeof temporary);
    items[index].Clear();
    items[index].CopyFrom(temporary);
    SecureWipe(&temporary, sizeof temporary);
    return true;
}

std::uint32_t LoginStore::GetFirstVisible() const { return firstVisible; }

void LoginStore::GetPage(LoginItem out[kPageSize], std::uint32_t& count) const {
    if (firstVisible > header.itemCount) return;
    std::uint32_t copied = 0;
    for (std::uint32_t i = firstVisible; i < header.itemCount && i < kMaxItems && copied < kPageSize; ++i) {
        out[copied++].CopyFrom(items[i]);
    }
    count = copied;
}

void LoginStore::PageUp() {
    if (firstVisible >= kPageSize) firstVisible -= kPageSize;
}

void LoginStore::PageDown() {
    if (header.itemCount - firstVisible > kPageSize) firstVisible += kPageSize;
}

void LoginStore::GoToLastPage() {
    const std::uint32_t n = header.itemCount;
    if (n == 0) {
        firstVisible = 0;
    } else if (n % kPageSize == 0) {
        firstVisible = n - kPageSize;
    } else {
        firstVisible = n - n % kPageSize;
    }
}

namespace {
// Length of a text field that a loaded record need not have terminated.
std::size_t FieldLength(const char* field, std::size_t width) {
    std::size_t n = 0;
    while (n < width && field[n] != '\0') ++n;
    return n;
}

std::size_t CharLength(const char* text, std::size_t at, std::size_t length) {
    return IsAnsiLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < length ? 2 : 1;
}

// Byte-exact, case-sensitive substring test that never starts or ends a match
// inside a double-byte character.
bool ContainsText(const char* haystack, std::size_t length, const char* needle, std::size_t needleLength) {
    if (needleLength > length) return false;
    for (std::size_t start = 0; start + needleLength <= length; start += CharLength(haystack, start, length)) {
        if (std::memcmp(haystack + start, needle, needleLength) != 0) continue;
        std::size_t end = start;
        while (end < start + needleLength) end += CharLength(haystack, end, length);
        if (end == start + needleLength) return true;
    }
    return false;
}
}  // namespace

void LoginStore::FindByServiceName(const char* text) {
    // An empty text would match the first item trivially; the list window
    // never sends one, so treat it as nothing to find.
    if (text == nullptr || text[0] == '\0') return;
    const std::size_t textLength = std::strlen(text);
    for (std::uint32_t i = 0; i < header.itemCount && i < kMaxItems; ++i) {
        const char* name = items[i].serviceName;
        if (ContainsText(name, FieldLength(name, sizeof items[i].serviceName), text, textLength)) {
            firstVisible = i - i % kPageSize;
            return;
        }
    }
}

std::uint32_t LoginStore::GetIoLength() const { return ioLength; }

const LoginItem* LoginStore::RawSlot(int index) const {
    return index >= 0 && index < static_cast<int>(kMaxItems) ? &items[index] : nullptr;
}

namespace {
bool AllZero(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    unsigned char any = 0;
    for (std::size_t i = 0; i < size; ++i) any |= bytes[i];
    return any == 0;
}
}  // namespace

bool LoginStore::HoldsNoSecret() const {
    return AllZero(items, sizeof items) && AllZero(&header, sizeof header) && AllZero(m_key, sizeof m_key) &&
           AllZero(m_strongKeys, sizeof m_strongKeys) && AllZero(m_salt, sizeof m_salt) &&
           AllZero(ioBuffer, sizeof ioBuffer) && ioLength == 0;
}

const std::string& LoginStore::GetFilePath() const { return filePath; }

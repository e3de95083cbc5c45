#include "core/autotype/match.h"

#include <cstring>

#include "base/codepage.h"
#include "base/secure_wipe.h"
#include "core/launch/address.h"
#include "core/vault/login_item.h"
#include "core/vault/login_store.h"

namespace {

bool IsWordByte(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

// A fixed-width field need not end with a zero.
std::size_t FieldLength(const char* field, std::size_t width) {
    std::size_t length = 0;
    while (length < width && field[length] != '\0') ++length;
    return length;
}

// Bytes of the character at `at`: two for a lead byte with its trail.
std::size_t CharLength(const std::string& text, std::size_t at) {
    return IsAnsiLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// Where the first of `stops` stands in `text` from `from`, never taking the
// trail byte of a double-byte character for one of them; the text's length
// when none does.
std::size_t FindStop(const std::string& text, std::size_t from, const char* stops) {
    for (std::size_t at = from; at < text.size(); at += CharLength(text, at)) {
        if (std::strchr(stops, text[at]) != nullptr) return at;
    }
    return text.size();
}

std::size_t FindLastStop(const std::string& text, char stop) {
    std::size_t found = std::string::npos;
    for (std::size_t at = 0; at < text.size(); at += CharLength(text, at)) {
        if (text[at] == stop) found = at;
    }
    return found;
}

// Whether `name` stands in `title` at `start` (a character's first byte),
// ASCII case ignored outside double-byte characters.
bool NamedAt(const std::string& title, std::size_t start, const std::string& name) {
    if (start + name.size() > title.size()) return false;
    for (std::size_t i = 0; i < name.size(); i += CharLength(name, i)) {
        const std::size_t length = CharLength(name, i);
        if (length == 2) {
            if (title.compare(start + i, 2, name, i, 2) != 0) return false;
        } else if (FoldAscii(static_cast<unsigned char>(title[start + i])) !=
                   FoldAscii(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

// Whether the name's last character is a single-byte letter or digit.
bool EndsInWordByte(const std::string& name) {
    std::size_t last = 0;
    for (std::size_t at = 0; at < name.size(); at += CharLength(name, at)) last = at;
    return CharLength(name, last) == 1 && IsWordByte(static_cast<unsigned char>(name[last]));
}

}  // namespace

std::string AddressHost(const char* address, std::size_t width, std::int32_t addressType) {
    if (addressType == ADDRESS_LOCAL) return std::string();
    std::string text = NormalizeAddress(std::string(address, FieldLength(address, width)));
    // Schemes NormalizeAddress leaves (another case, another protocol) go too.
    const std::size_t scheme = text.find("://");
    if (scheme != std::string::npos && scheme < FindStop(text, 0, "/?#\\")) text.erase(0, scheme + 3);
    text.erase(FindStop(text, 0, "/?#\\"));
    const std::size_t user = FindLastStop(text, '@');
    if (user != std::string::npos) text.erase(0, user + 1);
    if (!text.empty() && text[0] == '[') {
        // A literal IPv6 address keeps its colons.
        const std::size_t close = FindStop(text, 0, "]");
        if (close < text.size()) text.erase(close + 1);
    } else {
        text.erase(FindStop(text, 0, ": \t\r\n"));
    }
    while (!text.empty() && text.back() == '.') text.pop_back();
    // "www.example.org" and "example.org" are one site; titles more often
    // name the shorter.
    if (text.size() > 4 && FoldAscii(static_cast<unsigned char>(text[0])) == 'w' &&
        FoldAscii(static_cast<unsigned char>(text[1])) == 'w' &&
        FoldAscii(static_cast<unsigned char>(text[2])) == 'w' && text[3] == '.') {
        text.erase(0, 4);
    }
    return text;
}

bool TitleNames(const std::string& title, const std::string& name) {
    std::size_t first = 0;
    std::size_t end = name.size();
    while (first < end && IsBlank(static_cast<unsigned char>(name[first]))) ++first;
    while (end > first && IsBlank(static_cast<unsigned char>(name[end - 1]))) --end;
    if (first == end) return false;
    const std::string word = name.substr(first, end - first);
    const bool wordFirst = IsWordByte(static_cast<unsigned char>(word[0]));
    const bool wordLast = EndsInWordByte(word);
    bool afterWordByte = false;  // the title's character before `start`
    for (std::size_t start = 0; start < title.size(); start += CharLength(title, start)) {
        if (NamedAt(title, start, word) && !(wordFirst && afterWordByte) &&
            !(wordLast && start + word.size() < title.size() &&
              IsWordByte(static_cast<unsigned char>(title[start + word.size()])))) {
            return true;
        }
        afterWordByte = CharLength(title, start) == 1 && IsWordByte(static_cast<unsigned char>(title[start]));
    }
    return false;
}

bool TitleNamesLogin(const std::string& title, const LoginItem& item) {
    return TitleNames(title, std::string(item.serviceName, FieldLength(item.serviceName, sizeof item.serviceName))) ||
           TitleNames(title, AddressHost(item.serviceAddress, sizeof item.serviceAddress, item.addressType));
}

std::vector<int> FindLoginsForTitle(const LoginStore& store, const std::string& title) {
    std::vector<int> found;
    LoginItem item;
    for (int index = 0; index < static_cast<int>(store.GetCount()); ++index) {
        if (store.GetItem(index, item) && TitleNamesLogin(title, item)) found.push_back(index);
    }
    // The copy held a password.
    SecureWipe(&item, sizeof item);
    return found;
}

#include "view/address.h"

#include <cstring>

#include "platform/codepage.h"

namespace {

bool IsSingleByteSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::string StripPrefix(const std::string& text, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    if (text.compare(0, length, prefix) == 0) {
        return text.substr(length);
    }
    return text;
}

std::string NormalizeAddress(const std::string& address) {
    std::size_t start = 0;
    // A lead byte starts a double-byte character, which is never white space
    // here; stopping there keeps the pair whole.
    while (start < address.size()) {
        const unsigned char c = static_cast<unsigned char>(address[start]);
        if (IsAnsiLeadByte(c) || !IsSingleByteSpace(c)) break;
        ++start;
    }
    std::string result = address.substr(start);
    for (const char* prefix : {"https://", "http://", "ftp://", "telnet://"}) {
        result = StripPrefix(result, prefix);
    }
    return result;
}

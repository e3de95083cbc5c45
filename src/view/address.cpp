#include "view/address.h"

#include <cstring>

#include "platform/codepage.h"
#include "store/login_item.h"

namespace {

bool IsSingleByteSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

struct Scheme {
    const char* prefix;
    int type;
};
// In the order they are removed.
const Scheme kSchemes[] = {
    {"https://", ADDRESS_HTTPS},
    {"http://", ADDRESS_HTTP},
    {"ftp://", ADDRESS_FTP},
    {"telnet://", ADDRESS_TELNET},
};

std::string WithoutLeadingSpace(const std::string& address) {
    std::size_t start = 0;
    // A lead byte starts a double-byte character, which is never white space
    // here; stopping there keeps the pair whole.
    while (start < address.size()) {
        const unsigned char c = static_cast<unsigned char>(address[start]);
        if (IsAnsiLeadByte(c) || !IsSingleByteSpace(c)) break;
        ++start;
    }
    return address.substr(start);
}

}  // namespace

std::string StripPrefix(const std::string& text, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    if (text.compare(0, length, prefix) == 0) {
        return text.substr(length);
    }
    return text;
}

std::string NormalizeAddress(const std::string& address) {
    std::string result = WithoutLeadingSpace(address);
    for (const Scheme& scheme : kSchemes) {
        result = StripPrefix(result, scheme.prefix);
    }
    return result;
}

int SchemeAddressType(const std::string& address) {
    std::string rest = WithoutLeadingSpace(address);
    for (const Scheme& scheme : kSchemes) {
        const std::string stripped = StripPrefix(rest, scheme.prefix);
        if (stripped.size() != rest.size()) return scheme.type;
    }
    return -1;
}

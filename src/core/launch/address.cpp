#include "core/launch/address.h"

#include <cstring>

#include "base/codepage.h"
#include "core/vault/login_item.h"

namespace {

bool IsSingleByteSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::size_t LeadingSpace(const std::string& address) {
    std::size_t start = 0;
    // A lead byte starts a double-byte character, which is never white space
    // here; stopping there keeps the pair whole.
    while (start < address.size()) {
        const unsigned char c = static_cast<unsigned char>(address[start]);
        if (IsAnsiLeadByte(c) || !IsSingleByteSpace(c)) break;
        ++start;
    }
    return start;
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
    std::string result = address.substr(LeadingSpace(address));
    for (const char* prefix : {"https://", "http://", "ftp://", "telnet://"}) {
        result = StripPrefix(result, prefix);
    }
    return result;
}

bool AddressTypeFromScheme(const std::string& address, std::int32_t& type) {
    static const struct {
        const char* prefix;
        std::int32_t type;
    } kSchemes[] = {
        {"https://", ADDRESS_HTTPS},
        {"http://", ADDRESS_HTTP},
        {"ftp://", ADDRESS_FTP},
        {"telnet://", ADDRESS_TELNET},
    };
    const std::size_t start = LeadingSpace(address);
    for (const auto& scheme : kSchemes) {
        if (address.compare(start, std::strlen(scheme.prefix), scheme.prefix) == 0) {
            type = scheme.type;
            return true;
        }
    }
    return false;
}

#include "core/vault/login_item.h"

#include <cstring>

const char kAddressTypeNames[kAddressTypeNameCount][16] = {
    "HTTP", "HTTPS", "FTP", "TELNET", "LOCAL", "RESERVED", "RESERVED", "RESERVED",
};

const char* AddressTypeName(std::int32_t code) {
    // A damaged or foreign file can carry any code; never index past the table.
    if (code < 0 || code >= kAddressTypeNameCount) return "UNKNOWN";
    return kAddressTypeNames[code];
}

namespace {
// Copies at most width - 1 bytes of `source`, reading no further than
// `sourceWidth` bytes of it (a field loaded from a file need not be
// terminated), then zero fills the rest of the field.
void CopyBounded(char* field, std::size_t width, const char* source, std::size_t sourceWidth) {
    if (width == 0) return;
    std::size_t limit = width - 1 < sourceWidth ? width - 1 : sourceWidth;
    std::size_t n = 0;
    while (n < limit && source[n] != '\0') {
        field[n] = source[n];
        ++n;
    }
    std::memset(field + n, 0, width - n);
}
}  // namespace

void CopyField(char* field, std::size_t width, const char* text) {
    if (text == nullptr) text = "";
    CopyBounded(field, width, text, width);
}

void LoginItem::Clear() { std::memset(this, 0, sizeof *this); }

void LoginItem::CopyFrom(const LoginItem& source) {
    if (&source == this) return;
    addressType = source.addressType;
    CopyBounded(serviceName, sizeof serviceName, source.serviceName, sizeof source.serviceName);
    CopyBounded(userName, sizeof userName, source.userName, sizeof source.userName);
    CopyBounded(password, sizeof password, source.password, sizeof source.password);
    CopyBounded(serviceAddress, sizeof serviceAddress, source.serviceAddress, sizeof source.serviceAddress);
    CopyBounded(description, sizeof description, source.description, sizeof source.description);
}

#pragma once
// One remembered login. The record is also the vault file's storage format:
// offsets and widths are fixed, integers little-endian.
#include <cstddef>
#include <cstdint>

enum AddressType : std::int32_t {
    ADDRESS_HTTP = 0,
    ADDRESS_HTTPS = 1,
    ADDRESS_FTP = 2,
    ADDRESS_TELNET = 3,
    ADDRESS_LOCAL = 4,
};

constexpr int kAddressTypeNameCount = 8;
// Indexed by address type code; 5 to 7 are "RESERVED".
extern const char kAddressTypeNames[kAddressTypeNameCount][16];
// The name shown for a code; "UNKNOWN" outside 0 to 7.
const char* AddressTypeName(std::int32_t code);

struct LoginItem {
    char serviceName[64];
    char userName[32];
    char password[32];
    char serviceAddress[512];
    char description[1024];
    std::int32_t addressType;

    void Clear();
    void CopyFrom(const LoginItem& source);
};

static_assert(sizeof(LoginItem) == 1668, "LoginItem is a storage format");
static_assert(offsetof(LoginItem, serviceName) == 0, "layout");
static_assert(offsetof(LoginItem, userName) == 64, "layout");
static_assert(offsetof(LoginItem, password) == 96, "layout");
static_assert(offsetof(LoginItem, serviceAddress) == 128, "layout");
static_assert(offsetof(LoginItem, description) == 640, "layout");
static_assert(offsetof(LoginItem, addressType) == 1664, "layout");

// Bounded copy into a fixed text field: at most width - 1 bytes, zero filled.
void CopyField(char* field, std::size_t width, const char* text);

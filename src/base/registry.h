#pragma once
// The part of the system registry that the settings use, behind an interface:
// the program passes the Win32 registry, tests and the fuzz target an
// in-memory one. Calls, result codes, types, sizes and dispositions mean what
// they mean to ADVAPI32, so code written against this interface behaves the
// same over either side.
#include <cstdint>

// The two predefined keys the settings start from.
enum class RegistryRoot {
    CurrentUser,  // HKEY_CURRENT_USER
    ClassesRoot,  // HKEY_CLASSES_ROOT
};

// Access requested when opening a key.
enum class RegistryAccess {
    Full,  // KEY_ALL_ACCESS
    Read,  // KEY_READ
};

// What RegCreateKeyExA reports about the key it returns.
enum class RegistryDisposition {
    CreatedNewKey = 1,      // REG_CREATED_NEW_KEY
    OpenedExistingKey = 2,  // REG_OPENED_EXISTING_KEY
};

// Value types, numbered as the registry numbers them.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// Result codes: the Win32 error codes the registry returns.
constexpr long kRegOk = 0;                 // ERROR_SUCCESS
constexpr long kRegNotFound = 2;           // ERROR_FILE_NOT_FOUND
constexpr long kRegAccessDenied = 5;       // ERROR_ACCESS_DENIED
constexpr long kRegInvalidHandle = 6;      // ERROR_INVALID_HANDLE
constexpr long kRegInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr long kRegMoreData = 234;         // ERROR_MORE_DATA
constexpr long kRegNoMoreItems = 259;      // ERROR_NO_MORE_ITEMS

// An open key; only the registry that returned it knows what it points to.
struct RegistryKeyHandle;
using RegistryKey = RegistryKeyHandle*;

class Registry {
public:
    virtual ~Registry() = default;

    // RegCreateKeyExA with full access, non-volatile: creates the missing keys
    // along `subKey` and reports whether the last one was new.
    virtual long CreateKey(RegistryRoot root, const char* subKey, RegistryKey& key,
                           RegistryDisposition& disposition) = 0;

    // RegOpenKeyExA: the key must exist. An empty `subKey` opens a new handle
    // to the root (or parent) itself.
    virtual long OpenKey(RegistryRoot root, const char* subKey, RegistryAccess access, RegistryKey& key) = 0;
    virtual long OpenKey(RegistryKey parent, const char* subKey, RegistryAccess access, RegistryKey& key) = 0;

    // RegQueryValueExA. `type` may be null. On entry `*size` is the size of
    // `data`; on return it is the size of the value. A null `data` asks for the
    // size only. A buffer that is too small gives kRegMoreData, and then its
    // contents are undefined.
    virtual long QueryValue(RegistryKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* size) = 0;

    // RegSetValueExA: writes `size` bytes of `data` as they are.
    virtual long SetValue(RegistryKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) = 0;

    // RegEnumValueA. `*nameSize` is the name buffer's size in characters on
    // entry and the name's length without its zero on success; `*dataSize` as
    // for QueryValue. kRegNoMoreItems past the last value.
    virtual long EnumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                           std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) = 0;

    // RegCloseKey.
    virtual long CloseKey(RegistryKey key) = 0;
};

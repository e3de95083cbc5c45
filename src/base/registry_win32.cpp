#include "base/registry_win32.h"

#include <windows.h>

namespace {

HKEY ToHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

RegistryKey FromHkey(HKEY key) { return reinterpret_cast<RegistryKey>(key); }

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER; }

REGSAM Sam(RegistryAccess access) { return access == RegistryAccess::Read ? KEY_READ : KEY_ALL_ACCESS; }

long Open(HKEY parent, const char* subKey, RegistryAccess access, RegistryKey& key) {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(parent, subKey, 0, Sam(access), &opened);
    if (result == ERROR_SUCCESS) {
        key = FromHkey(opened);
    }
    return result;
}

}  // namespace

static_assert(kRegSz == REG_SZ && kRegBinary == REG_BINARY && kRegDword == REG_DWORD && kRegExpandSz == REG_EXPAND_SZ &&
                  kRegMultiSz == REG_MULTI_SZ,
              "value types are the registry's own numbers");
static_assert(kRegOk == ERROR_SUCCESS && kRegNotFound == ERROR_FILE_NOT_FOUND &&
                  kRegAccessDenied == ERROR_ACCESS_DENIED && kRegMoreData == ERROR_MORE_DATA &&
                  kRegNoMoreItems == ERROR_NO_MORE_ITEMS,
              "result codes are the registry's own numbers");
static_assert(static_cast<DWORD>(RegistryDisposition::CreatedNewKey) == REG_CREATED_NEW_KEY &&
                  static_cast<DWORD>(RegistryDisposition::OpenedExistingKey) == REG_OPENED_EXISTING_KEY,
              "dispositions are the registry's own numbers");

long RegistryWin32::CreateKey(RegistryRoot root, const char* subKey, RegistryKey& key,
                              RegistryDisposition& disposition) {
    HKEY created = nullptr;
    DWORD how = 0;
    const LONG result = RegCreateKeyExA(RootKey(root), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                        nullptr, &created, &how);
    if (result == ERROR_SUCCESS) {
        key = FromHkey(created);
        disposition =
            how == REG_CREATED_NEW_KEY ? RegistryDisposition::CreatedNewKey : RegistryDisposition::OpenedExistingKey;
    }
    return result;
}

long RegistryWin32::OpenKey(RegistryRoot root, const char* subKey, RegistryAccess access, RegistryKey& key) {
    return Open(RootKey(root), subKey, access, key);
}

long RegistryWin32::OpenKey(RegistryKey parent, const char* subKey, RegistryAccess access, RegistryKey& key) {
    return Open(ToHkey(parent), subKey, access, key);
}

long RegistryWin32::QueryValue(RegistryKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* size) {
    DWORD valueType = REG_NONE;
    DWORD valueSize = size != nullptr ? *size : 0;
    const LONG result =
        RegQueryValueExA(ToHkey(key), name, nullptr, &valueType, data, size != nullptr ? &valueSize : nullptr);
    // Type and size mean something only when the value was found.
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        if (type != nullptr) {
            *type = valueType;
        }
        if (size != nullptr) {
            *size = valueSize;
        }
    }
    return result;
}

long RegistryWin32::SetValue(RegistryKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                             std::uint32_t size) {
    return RegSetValueExA(ToHkey(key), name, 0, type, data, size);
}

long RegistryWin32::EnumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                              std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    DWORD valueType = REG_NONE;
    DWORD nameLength = nameSize != nullptr ? *nameSize : 0;
    DWORD valueSize = dataSize != nullptr ? *dataSize : 0;
    const LONG result = RegEnumValueA(ToHkey(key), index, name, nameSize != nullptr ? &nameLength : nullptr, nullptr,
                                      &valueType, data, dataSize != nullptr ? &valueSize : nullptr);
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        if (nameSize != nullptr) {
            *nameSize = nameLength;
        }
        if (type != nullptr) {
            *type = valueType;
        }
        if (dataSize != nullptr) {
            *dataSize = valueSize;
        }
    }
    return result;
}

long RegistryWin32::CloseKey(RegistryKey key) { return RegCloseKey(ToHkey(key)); }

Registry& PlatformRegistry() {
    static RegistryWin32 registry;
    return registry;
}

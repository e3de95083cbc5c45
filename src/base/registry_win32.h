#pragma once
// The settings' registry interface over ADVAPI32, one call for one call.
#include "base/registry.h"

// The one Win32 registry object of the process.
Registry& PlatformRegistry();

class RegistryWin32 : public Registry {
public:
    long CreateKey(RegistryRoot root, const char* subKey, RegistryKey& key, RegistryDisposition& disposition) override;
    long OpenKey(RegistryRoot root, const char* subKey, RegistryAccess access, RegistryKey& key) override;
    long OpenKey(RegistryKey parent, const char* subKey, RegistryAccess access, RegistryKey& key) override;
    long QueryValue(RegistryKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override;
    long SetValue(RegistryKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override;
    long EnumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                   std::uint8_t* data, std::uint32_t* dataSize) override;
    long CloseKey(RegistryKey key) override;
};

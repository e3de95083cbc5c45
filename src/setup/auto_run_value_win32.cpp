#include "setup/auto_run_value.h"

#include <windows.h>

#include "core/settings/settings.h"

bool ReadAutoRun(std::string& command) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    bool found = RegQueryValueExA(key, kRunValueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
                 (type == REG_SZ || type == REG_EXPAND_SZ);
    if (found) {
        std::string data(size + 1, '\0');
        found = RegQueryValueExA(key, kRunValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size) ==
                ERROR_SUCCESS;
        command = std::string(data.c_str());
    }
    RegCloseKey(key);
    if (found && type == REG_EXPAND_SZ) {
        // Unexpanded when that fails: the value is there all the same.
        const DWORD needed = ExpandEnvironmentStringsA(command.c_str(), nullptr, 0);
        std::string expanded(needed + 1, '\0');
        if (needed != 0 && ExpandEnvironmentStringsA(command.c_str(), &expanded[0], needed) != 0) {
            command = std::string(expanded.c_str());
        }
    }
    return found;
}

namespace {

class SystemLongPathLookup : public LongPathLookup {
public:
    std::string LongPath(const std::string& path) const override {
        const DWORD needed = GetLongPathNameA(path.c_str(), nullptr, 0);
        if (needed == 0) return std::string();
        std::string result(needed, '\0');
        const DWORD length = GetLongPathNameA(path.c_str(), &result[0], needed);
        if (length == 0 || length >= needed) return std::string();
        result.resize(length);
        return result;
    }
};

}  // namespace

const LongPathLookup& SystemLongPaths() {
    static const SystemLongPathLookup lookup{};
    return lookup;
}

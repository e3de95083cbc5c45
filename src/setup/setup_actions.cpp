// The installer package's own actions, in a DLL that the package carries and
// runs but never installs. They look after the auto-run value that the
// program writes at its first start: an uninstall takes it away when it
// starts the removed program (Windows would otherwise try, at every logon, to
// run a file that is gone), and an upgrade keeps it.
//
// Each action returns success whatever it finds: a value it cannot read or
// change must never fail an install or an uninstall.
#include <windows.h>
// clang-format off
#include <msi.h>
#include <msiquery.h>
// clang-format on

#include <string>

#include "core/settings/settings.h"
#include "setup/auto_run_owner.h"
#include "setup/auto_run_value.h"

namespace {

std::string Property(MSIHANDLE install, const char* name) {
    char probe[1] = "";
    DWORD size = 0;
    if (MsiGetPropertyA(install, name, probe, &size) != ERROR_MORE_DATA) return std::string();
    std::string value(size + 1, '\0');
    size += 1;
    if (MsiGetPropertyA(install, name, &value[0], &size) != ERROR_SUCCESS) return std::string();
    value.resize(size);
    return value;
}

}  // namespace

// Deferred, at uninstall. CustomActionData: the full path of the program
// being removed.
extern "C" UINT __stdcall RemoveAutoRun(MSIHANDLE install) {
    const std::string program = Property(install, "CustomActionData");
    std::string command;
    if (program.empty() || !ReadAutoRun(command) || !CommandStartsProgram(command, program, &SystemLongPaths()))
        return ERROR_SUCCESS;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, kRunValueName);
        RegCloseKey(key);
    }
    return ERROR_SUCCESS;
}

// Immediate, before an upgrade removes the older version. Some installer
// engines remove it without telling it that an upgrade is under way, and it
// then takes the value away as an uninstall does; what this finds is handed
// to RestoreAutoRun.
extern "C" UINT __stdcall RememberAutoRun(MSIHANDLE install) {
    std::string folder = Property(install, "INSTALLFOLDER");
    if (folder.empty()) return ERROR_SUCCESS;
    if (folder.back() != '\\') folder += '\\';
    std::string command;
    if (ReadAutoRun(command) && CommandStartsProgram(command, folder + kProgramFileName, &SystemLongPaths())) {
        MsiSetPropertyA(install, "RestoreAutoRun", command.c_str());
    }
    return ERROR_SUCCESS;
}

// Deferred, once the new version's files are in place. CustomActionData: the
// command the value held before the upgrade, as Windows ran it. A value still
// there is left as it is.
extern "C" UINT __stdcall RestoreAutoRun(MSIHANDLE install) {
    const std::string command = Property(install, "CustomActionData");
    std::string current;
    if (command.empty() || ReadAutoRun(current)) return ERROR_SUCCESS;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegCloseKey(key);
    }
    return ERROR_SUCCESS;
}

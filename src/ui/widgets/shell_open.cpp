#include "ui/widgets/shell_open.h"

#include <shellapi.h>

#include "base/system_entry_win32.h"

INT_PTR ShellOpen(const char* target) {
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static const ShellExecuteFn shellExecute = SystemEntry<ShellExecuteFn>("shell32.dll", "ShellExecuteA");
    if (shellExecute == nullptr) return SE_ERR_DLLNOTFOUND;
    return reinterpret_cast<INT_PTR>(shellExecute(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL));
}

namespace {

class SystemShellOpen : public Shell {
public:
    INT_PTR Open(const char* target) override { return ShellOpen(target); }
};

}  // namespace

Shell& SystemShell() {
    static SystemShellOpen shell;
    return shell;
}

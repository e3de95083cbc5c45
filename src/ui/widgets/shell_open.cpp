#include "ui/widgets/shell_open.h"

#include <shellapi.h>

INT_PTR ShellOpen(const char* target) {
    return reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL));
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

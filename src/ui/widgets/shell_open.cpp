#include "ui/widgets/shell_open.h"

#include <shellapi.h>

INT_PTR ShellOpen(const char* target) {
    return reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL));
}

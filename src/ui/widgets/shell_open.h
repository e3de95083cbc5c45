#pragma once
// Opening a file or an address as a double-click in the shell would: the
// "open" verb, shown normally.
#include <windows.h>

// The shell's result: above 32 on success, an SE_ERR_ code otherwise.
INT_PTR ShellOpen(const char* target);

// The shell as the windows that open things are handed it; tests hand their
// own, so that no browser starts.
class Shell {
public:
    virtual ~Shell() = default;
    // The shell's result: above 32 on success, an SE_ERR_ code otherwise.
    virtual INT_PTR Open(const char* target) = 0;
};

// The real shell: ShellOpen.
Shell& SystemShell();

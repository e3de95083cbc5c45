#pragma once
// A function of a system DLL, found when first needed instead of imported:
// every import is loaded before the program's first line runs, and under
// Wine each one a user waits for at start-up costs milliseconds (and some
// bring runtimes of their own). Only from the system folder, so no planted
// copy is picked up. nullptr when the DLL or the function is missing.
#include <windows.h>

template <typename Function>
Function SystemEntry(const char* dll, const char* name) {
    HMODULE module = ::LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    FARPROC proc = module == nullptr ? nullptr : ::GetProcAddress(module, name);
    return proc == nullptr ? nullptr : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

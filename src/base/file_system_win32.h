#pragma once
// What of the Win32 file access the tests reach directly.
#include <windows.h>

#include <string>

#include "base/file_system.h"

// ReplaceFileA's signature, so a test can make the replace fail as Windows can.
using ReplaceFileFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);

// The replace that ends a save: `from` takes the place of `to`, keeping
// what the user set on `to`. When it fails with `to` gone, `from` is moved
// there; false with `to` still missing means `from` holds the only copy.
bool MoveReplaceWith(ReplaceFileFn replace, const std::string& from, const std::string& to);

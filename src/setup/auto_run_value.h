#pragma once
// The auto-run value as Windows reads it at logon, for the installer's
// actions (Win32 only).
#include <string>

// The command the auto-run value holds, as Windows runs it: a REG_EXPAND_SZ
// value with its environment strings expanded. False when the value is
// missing or not a string.
bool ReadAutoRun(std::string& command);

// GetLongPathNameA: the long form of a path that exists, else empty (a
// LongPathLookup for CommandStartsProgram).
std::string SystemLongPath(const std::string& path);

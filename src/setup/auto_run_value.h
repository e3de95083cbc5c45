#pragma once
// The auto-run value as Windows reads it at logon, for the installer's
// actions (Win32 only).
#include <string>

#include "setup/auto_run_owner.h"

// The command the auto-run value holds, as Windows runs it: a REG_EXPAND_SZ
// value with its environment strings expanded. False when the value is
// missing or not a string.
bool ReadAutoRun(std::string& command);

// GetLongPathNameA, for CommandStartsProgram.
const LongPathLookup& SystemLongPaths();

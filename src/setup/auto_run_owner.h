#pragma once
// Whose auto-run value it is. The installer takes the value away, or puts it
// back, only when its command starts the installed program: a copy of the
// program kept elsewhere (an unpacked zip) keeps its own, and an empty value
// (auto-run switched off) is the user's choice, not a stale entry.
#include <string>

// The program a command line starts: what the first pair of double quotes
// encloses when it begins with one, else the whole text; surrounding blanks
// do not count.
std::string CommandProgram(const std::string& command);

// True when the command starts exactly `programPath`. File names on Windows
// do not differ by case, and '/' separates folders as '\' does.
bool CommandStartsProgram(const std::string& command, const std::string& programPath);

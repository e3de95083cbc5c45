#pragma once
// Windows file names compared as Windows compares them, on either system.
#include <string>

// True when both name the same file or folder by Windows' rules: ASCII
// letters in either case, '/' or '\' between folders, a trailing separator
// or none. Letters outside ASCII are compared as they are.
bool SameWindowsPath(const std::string& a, const std::string& b);

#pragma once
// Fields of the tool's tab-separated lines. Tab, line feed, carriage return
// and backslash inside a field are written as \t, \n, \r and \\, so every
// byte of a field survives an export and an import.
#include <string>

std::string EscapeField(const std::string& text);
// False when the text holds a backslash that starts no known escape.
bool UnescapeField(const std::string& text, std::string& out);

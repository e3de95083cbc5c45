#pragma once
// Fields of the tool's tab-separated lines. Tab, line feed, carriage return
// and backslash inside a field are written as \t, \n, \r and \\, so every
// byte of a field survives an export and an import. Lines meant to be read
// (list, show, locate) also write every other byte below 0x20, and 0x7F, as
// \xNN, so that no item text reaches a terminal as a control sequence.
#include <cstddef>
#include <cstdio>

#include "crypto/secret_string.h"

enum EscapeMode { EscapeForExport, EscapeForReading };

void WriteEscaped(std::FILE* out, const char* text, std::size_t length, EscapeMode mode);
// False when the text holds a backslash that starts no export escape.
bool UnescapeField(const char* text, std::size_t length, SecretString& out);

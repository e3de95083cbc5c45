#pragma once
// Fields of the tool's tab-separated lines. Tab, line feed, carriage return
// and backslash inside a field are written as \t, \n, \r and \\, so every
// byte of a field survives an export and an import. Text meant to be read
// (list, show, locate, messages naming an item) is also converted from the
// ANSI code page to the encoding of where it goes, and every other control
// character there (C0, DEL, C1) is written as the \xNN of its bytes, so that
// no item text reaches a terminal as a control sequence.
#include <cstddef>
#include <cstdio>

#include "base/secret_string.h"

enum class TextEncoding {
    Utf8,
    Ascii,  // anything beyond ASCII written as \xNN, its bytes in the code page
    Ansi,   // the code page's own bytes
};

void WriteExportField(std::FILE* out, const char* text, std::size_t length);
// False when the text holds a backslash that starts no export escape.
bool UnescapeField(const char* text, std::size_t length, SecretString& out);

// Appends ANSI `text` to `out` in `encoding`, escaped for reading.
void AppendReadable(SecretString& out, const char* text, std::size_t length, TextEncoding encoding);

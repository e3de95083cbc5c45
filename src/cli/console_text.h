#pragma once
// How text crosses between the tool and the person at the terminal: the
// encoding its arguments come in, and the encoding and the way text meant to
// be read goes out. Vault texts stay in the ANSI code page; only what people
// read is converted (export and import keep every byte).
#include <cstdio>

#include "base/secret_string.h"
#include "cli/field_escape.h"

// Native builds follow the locale's character set (LC_CTYPE), on a terminal
// and in a pipe alike: UTF-8 when it is UTF-8, else ASCII with the rest
// escaped. On Windows a console gets UTF-8 here, written to it as wide
// characters; a pipe or a file gets the ANSI code page.
TextEncoding ReadableEncoding(std::FILE* stream);

// UTF-8 in a native build under a UTF-8 locale; otherwise the arguments are
// taken as ANSI bytes (the C runtime of Windows hands them over so).
TextEncoding ArgumentEncoding();

// Writes `text`, made for ReadableEncoding(stream), to `stream`; false when it
// could not be written.
bool WriteReadable(std::FILE* stream, const SecretString& text);

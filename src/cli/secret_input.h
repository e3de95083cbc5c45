#pragma once
// The tool's side of the console: reading secrets (never from its arguments)
// and knowing where its streams go.
#include <cstddef>
#include <cstdio>

// Readies the standard streams: standard input carries bytes untranslated,
// and a write to a closed pipe fails as an error the tool reports instead of
// ending it without a word.
void PrepareStandardStreams();

// True when `stream` is an interactive terminal or console.
bool IsTerminal(std::FILE* stream);

// Reads one line from the terminal with echo off, after writing `prompt` to
// standard error. The line end is not part of the secret; `length` gets the
// count of bytes read (a NUL byte among them shows as a shorter C string).
// On Windows the console is read as wide characters and converted to the
// ANSI code page as the program's dialogs convert typed text. The terminal's
// mode is restored however the read ends, by a signal or a console control
// event included. False when there is no terminal or the line does not fit
// `size` - 1 bytes.
bool ReadSecretFromTerminal(const char* prompt, char* buffer, std::size_t size, std::size_t& length);

// Reads one line from `in`; "\n" or "\r\n" ends it and is dropped. False at the
// end of the input before any byte, or when the line does not fit.
bool ReadSecretLine(std::FILE* in, char* buffer, std::size_t size, std::size_t& length);

#pragma once
// Reading secrets for the command-line tool: never from its arguments.
#include <cstddef>
#include <cstdio>

// Reads one line from the terminal with echo off, after writing `prompt` to
// standard error. The line end is not part of the secret. False when there is
// no terminal or the line does not fit `size` - 1 bytes.
bool ReadSecretFromTerminal(const char* prompt, char* buffer, std::size_t size);

// Reads one line from `in`; "\n" or "\r\n" ends it and is dropped. False at the
// end of the input before any byte, or when the line does not fit.
bool ReadSecretLine(std::FILE* in, char* buffer, std::size_t size);

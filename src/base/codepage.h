#pragma once
// The ANSI code page that vault texts are stored in: its lead bytes, so that
// text searches never start a match on the trail byte of a double-byte
// character, and conversion of UTF-8 text into it.
#include <cstddef>
#include <cstdint>

// The Windows build asks the system; elsewhere the default is a single-byte
// code page (no lead bytes).
bool IsAnsiLeadByte(unsigned char byte);

// The POSIX side stands in for a Windows code page, which is the process's
// own: single-byte unless it is handed which bytes begin a double-byte
// character (nullptr: none again), so the text handling runs natively as on
// a double-byte Windows. Windows answers from the system's code page.
class LeadBytes {
public:
    virtual ~LeadBytes() = default;
    virtual bool IsLead(unsigned char byte) const = 0;
};
#ifndef _WIN32
void SetLeadBytes(const LeadBytes* leadBytes);
#endif

enum AnsiResult {
    AnsiOk,
    AnsiBadUtf8,          // not well-formed UTF-8
    AnsiUnrepresentable,  // a character the code page cannot hold
    AnsiTooLong,          // more bytes than `outSize`
};

// Converts `length` bytes of UTF-8 into the ANSI code page: the system's on
// Windows, Windows-1252 elsewhere (the code page of Western Windows, and the
// one Wine gives by default). Writes at most `outSize` bytes, no terminator,
// and their count to `written`. No character is replaced by a look-alike.
AnsiResult Utf8ToAnsi(const char* utf8, std::size_t length, char* out, std::size_t outSize, std::size_t& written);

// Reads the ANSI character at `at` (one byte, or a lead byte and its trail),
// moves `at` past it and gives its Unicode code point. A byte that the code
// page maps to no character of its own gives the control of the same number,
// as Windows converts it. False, with `at` still moved on, for bytes the code
// page cannot convert at all.
bool NextAnsiCharacter(const char* text, std::size_t length, std::size_t& at, std::uint32_t& code);

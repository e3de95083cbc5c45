#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <climits>
#include <vector>

#include "base/codepage.h"
#include "base/secret_string.h"
#include "base/secure_wipe.h"

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool NextAnsiCharacter(const char* text, std::size_t length, std::size_t& at, std::uint32_t& code) {
    if (at >= length) return false;
    const auto byte = static_cast<unsigned char>(text[at]);
    std::size_t size = 1;
    if (GetACP() == CP_UTF8) {
        size = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    } else if (IsAnsiLeadByte(byte)) {
        size = 2;
    }
    if (size > length - at) size = length - at;
    wchar_t wide[2] = {};
    const int got = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text + at, static_cast<int>(size), wide, 2);
    at += size;
    const bool single = got == 1 && (wide[0] < 0xD800 || wide[0] > 0xDFFF);
    const bool pair = got == 2 && wide[0] >= 0xD800 && wide[0] <= 0xDBFF && wide[1] >= 0xDC00 && wide[1] <= 0xDFFF;
    if (single) code = wide[0];
    if (pair) code = 0x10000 + ((static_cast<std::uint32_t>(wide[0]) - 0xD800) << 10) + (wide[1] - 0xDC00u);
    SecureWipe(wide, sizeof wide);  // a character of a password, maybe
    return single || pair;
}

AnsiResult Utf8ToAnsi(const char* utf8, std::size_t length, char* out, std::size_t outSize, std::size_t& written) {
    written = 0;
    if (length == 0) return AnsiOk;
    if (length > INT_MAX / 2) return AnsiTooLong;
    const int inLength = static_cast<int>(length);
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, inLength, nullptr, 0);
    if (wideLength == 0) return AnsiBadUtf8;
    // The text may be a password: its wide copy is wiped too.
    std::vector<wchar_t, WipingAllocator<wchar_t>> wide(static_cast<std::size_t>(wideLength));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, inLength, wide.data(), wideLength);
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8) {
        // A system set to UTF-8 stores the text as it is.
        if (length > outSize) return AnsiTooLong;
        for (std::size_t i = 0; i < length; ++i) out[i] = utf8[i];
        written = length;
        return AnsiOk;
    }
    BOOL usedDefault = FALSE;
    const int needed =
        WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, nullptr, &usedDefault);
    if (needed == 0 || usedDefault) return AnsiUnrepresentable;
    if (static_cast<std::size_t>(needed) > outSize) return AnsiTooLong;
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, out, needed, nullptr, &usedDefault);
    written = static_cast<std::size_t>(needed);
    return AnsiOk;
}

#include <cstdint>

#include "base/codepage.h"

namespace {
const LeadBytes* g_leadBytes = nullptr;

// Windows-1252 bytes 0x80 to 0x9F; zero where the code page has no character
// other than the control of the same number, which maps to itself.
const std::uint16_t k1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool ToWindows1252(std::uint32_t code, unsigned char& byte) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        byte = static_cast<unsigned char>(code);
        return true;
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (k1252High[i] == code || (k1252High[i] == 0 && code == 0x80 + i)) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

// Decodes one well-formed UTF-8 character (no overlong forms, no surrogates,
// nothing past U+10FFFF) starting at `at`, advancing `at`.
bool DecodeUtf8(const unsigned char* text, std::size_t length, std::size_t& at, std::uint32_t& code) {
    const unsigned char lead = text[at];
    std::size_t extra = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
    } else if (lead >= 0x80) {
        return false;
    }
    static const std::uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    const std::uint32_t minimum = kMinimum[extra];
    code = extra == 0 ? lead : lead & (0x3Fu >> extra);
    if (length - at <= extra) return false;
    for (std::size_t i = 1; i <= extra; ++i) {
        const unsigned char next = text[at + i];
        if ((next & 0xC0) != 0x80) return false;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    at += extra + 1;
    return true;
}
}  // namespace

bool NextAnsiCharacter(const char* text, std::size_t length, std::size_t& at, std::uint32_t& code) {
    if (at >= length) return false;
    const auto byte = static_cast<unsigned char>(text[at++]);
    code = byte;
    if (byte >= 0x80 && byte < 0xA0 && k1252High[byte - 0x80] != 0) code = k1252High[byte - 0x80];
    return true;
}

bool IsAnsiLeadByte(unsigned char byte) { return g_leadBytes != nullptr && g_leadBytes->IsLead(byte); }

void SetLeadBytes(const LeadBytes* leadBytes) { g_leadBytes = leadBytes; }

AnsiResult Utf8ToAnsi(const char* utf8, std::size_t length, char* out, std::size_t outSize, std::size_t& written) {
    const auto* text = reinterpret_cast<const unsigned char*>(utf8);
    written = 0;
    AnsiResult result = AnsiOk;
    for (std::size_t at = 0; at < length;) {
        std::uint32_t code = 0;
        unsigned char byte = 0;
        if (!DecodeUtf8(text, length, at, code)) return AnsiBadUtf8;
        if (!ToWindows1252(code, byte)) return AnsiUnrepresentable;
        // Go on past a full buffer: a later character may still be unfit,
        // and that is the more useful thing to report.
        if (written == outSize) {
            result = AnsiTooLong;
            continue;
        }
        out[written++] = static_cast<char>(byte);
    }
    return result;
}

#include "cli/field_escape.h"

void WriteEscaped(std::FILE* out, const char* text, std::size_t length, EscapeMode mode) {
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '\t': std::fputs("\\t", out); break;
        case '\n': std::fputs("\\n", out); break;
        case '\r': std::fputs("\\r", out); break;
        case '\\': std::fputs("\\\\", out); break;
        default:
            if (mode == EscapeForReading && (c < 0x20 || c == 0x7F)) {
                const char escaped[] = {'\\', 'x', kHex[c >> 4], kHex[c & 0xF], '\0'};
                std::fputs(escaped, out);
            } else {
                std::putc(c, out);
            }
            break;
        }
    }
}

bool UnescapeField(const char* text, std::size_t length, SecretString& out) {
    out.clear();
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == length) return false;
        switch (text[i]) {
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: return false;
        }
    }
    return true;
}

#include "cli/field_escape.h"

#include <cstdint>

#include "base/codepage.h"

namespace {

const char* NamedEscape(char c) {
    switch (c) {
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\\': return "\\\\";
    default: return nullptr;
    }
}

void AppendHexEscapes(SecretString& out, const char* bytes, std::size_t count) {
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < count; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const char escaped[] = {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
        out.append(escaped, sizeof escaped);
    }
}

void AppendUtf8(SecretString& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
        return;
    }
    const std::size_t extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[extra] | (code >> (6 * extra)));
    for (std::size_t i = extra; i > 0; --i) out += static_cast<char>(0x80 | ((code >> (6 * (i - 1))) & 0x3F));
}

}  // namespace

void WriteExportField(std::FILE* out, const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        const char* escape = NamedEscape(text[i]);
        if (escape != nullptr) {
            std::fputs(escape, out);
        } else {
            std::putc(static_cast<unsigned char>(text[i]), out);
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

void AppendReadable(SecretString& out, const char* text, std::size_t length, TextEncoding encoding) {
    for (std::size_t at = 0; at < length;) {
        const std::size_t start = at;
        std::uint32_t code = 0;
        const bool known = NextAnsiCharacter(text, length, at, code);
        const char* escape = at - start == 1 ? NamedEscape(text[start]) : nullptr;
        const bool control = code < 0x20 || (code >= 0x7F && code < 0xA0);
        if (escape != nullptr) {
            out += escape;
        } else if (!known || control || (encoding == TextEncoding::Ascii && code >= 0x80)) {
            AppendHexEscapes(out, text + start, at - start);
        } else if (encoding == TextEncoding::Utf8) {
            AppendUtf8(out, code);
        } else {
            out.append(text + start, at - start);
        }
    }
}

#include <langinfo.h>
#include <strings.h>

#include <clocale>
#include <string>

#include "cli/console_text.h"

namespace {

bool LocaleIsUtf8() {
    static const bool utf8 = [] {
        const char* current = std::setlocale(LC_CTYPE, nullptr);
        const std::string saved = current != nullptr ? current : "C";
        // Asked, then put back: nothing else in the tool depends on the locale.
        const bool set = std::setlocale(LC_CTYPE, "") != nullptr;
        const char* codeset = set ? nl_langinfo(CODESET) : "";
        const bool result = strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0;
        (void)std::setlocale(LC_CTYPE, saved.c_str());
        return result;
    }();
    return utf8;
}

}  // namespace

TextEncoding ReadableEncoding(std::FILE* /*stream*/) {
    return LocaleIsUtf8() ? TextEncoding::Utf8 : TextEncoding::Ascii;
}

TextEncoding ArgumentEncoding() { return LocaleIsUtf8() ? TextEncoding::Utf8 : TextEncoding::Ansi; }

bool WriteReadable(std::FILE* stream, const SecretString& text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

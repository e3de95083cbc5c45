#include <windows.h>
#include <io.h>

#include <climits>
#include <vector>

#include "cli/console_text.h"
#include "cli/secret_input.h"

TextEncoding ReadableEncoding(std::FILE* stream) {
    return IsTerminal(stream) ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

TextEncoding ArgumentEncoding() { return TextEncoding::Ansi; }

bool WriteReadable(std::FILE* stream, const SecretString& text) {
    if (ReadableEncoding(stream) != TextEncoding::Utf8) {
        return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    }
    // The console shows every character as it is only when given wide ones;
    // bytes would pass through its own code page.
    if (text.empty()) return true;
    if (text.size() > INT_MAX || std::fflush(stream) != 0) return false;
    const int length = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (wideLength == 0) return false;
    std::vector<wchar_t, WipingAllocator<wchar_t>> wide(static_cast<std::size_t>(wideLength));
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), wideLength);
    const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    for (DWORD done = 0; done < static_cast<DWORD>(wideLength);) {
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(wideLength) - done, &written, nullptr) ||
            written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

#include "base/windows_path.h"

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Folded(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c == '/' ? '\\' : c;
}

std::size_t WithoutTrailingSeparator(const std::string& path) {
    std::size_t length = path.size();
    while (length > 1 && IsSeparator(path[length - 1])) --length;
    return length;
}
}  // namespace

bool SameWindowsPath(const std::string& a, const std::string& b) {
    const std::size_t length = WithoutTrailingSeparator(a);
    if (length != WithoutTrailingSeparator(b)) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (Folded(a[i]) != Folded(b[i])) return false;
    }
    return true;
}

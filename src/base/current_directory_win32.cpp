#include "base/current_directory.h"

#include <windows.h>

namespace {

class Win32CurrentDirectory : public CurrentDirectoryProvider {
public:
    std::string Read() const override {
        char buffer[256] = {};
        const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
        // A result as large as the buffer is the size it would need, not a length.
        if (length == 0 || length >= sizeof buffer) {
            return std::string();
        }
        return std::string(buffer, length);
    }
};

}  // namespace

const CurrentDirectoryProvider& ProcessCurrentDirectory() {
    static const Win32CurrentDirectory directory{};
    return directory;
}

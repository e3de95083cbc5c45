#include "base/current_directory.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

class PosixCurrentDirectory : public CurrentDirectoryProvider {
public:
    std::string Read() const override {
        std::vector<char> buffer(256);
        for (;;) {
            if (getcwd(buffer.data(), buffer.size()) != nullptr) {
                return std::string(buffer.data());
            }
            if (errno != ERANGE || buffer.size() >= 65536) {
                return std::string();
            }
            buffer.resize(buffer.size() * 2);
        }
    }
};

}  // namespace

const CurrentDirectoryProvider& ProcessCurrentDirectory() {
    static const PosixCurrentDirectory directory{};
    return directory;
}

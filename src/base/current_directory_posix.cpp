#include "base/current_directory.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

std::string ReadCurrentDirectory() {
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

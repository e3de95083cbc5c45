#include <errno.h>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cstdint>

#include "base/random_source.h"

namespace {

bool ReadUrandom(std::uint8_t* data, std::size_t size) {
    const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, data + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    return done == size;
}

class SystemSource : public RandomSource {
public:
    bool Fill(void* data, std::size_t size) override {
        auto* bytes = static_cast<std::uint8_t*>(data);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = getrandom(bytes + done, size - done, 0);
            if (got < 0 && errno == EINTR) continue;
            // Kernels older than the call, or a filter that forbids it.
            if (got < 0 && (errno == ENOSYS || errno == EPERM)) return ReadUrandom(bytes + done, size - done);
            if (got <= 0) return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }
};

}  // namespace

RandomSource& SystemRandomSource() {
    static SystemSource source;
    return source;
}

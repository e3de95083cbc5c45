// POSIX side of the vault's file access. An advisory lock taken without
// waiting stands in for Windows' share mode 0: every opener of the vault goes
// through OpenExclusive, so a second one fails at once instead of waiting.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_system.h"

namespace {
class PosixFile : public FileHandle {
public:
    explicit PosixFile(int fd) : m_fd(fd) {}
    ~PosixFile() override { Close(); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    bool SeekToStart() override { return m_fd >= 0 && ::lseek(m_fd, 0, SEEK_SET) == 0; }

    bool GetLength(std::uint64_t& length) override {
        struct stat info;
        if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || info.st_size < 0) return false;
        length = static_cast<std::uint64_t>(info.st_size);
        return true;
    }

    bool Read(void* data, std::size_t size, std::size_t& got) override {
        got = 0;
        if (m_fd < 0) return false;
        char* bytes = static_cast<char*>(data);
        while (got < size) {
            const ssize_t n = ::read(m_fd, bytes + got, size - got);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool Write(const void* data, std::size_t size) override {
        if (m_fd < 0) return false;
        const char* bytes = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_fd, bytes + done, size - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (n == 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool Flush() override { return m_fd >= 0 && ::fsync(m_fd) == 0; }

    bool Truncate(std::uint64_t length) override {
        return m_fd >= 0 && ::ftruncate(m_fd, static_cast<off_t>(length)) == 0;
    }

    void Close() override {
        if (m_fd >= 0) {
            ::close(m_fd);  // also releases the lock
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is durable only once the folder that records it is on disk too.
void SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<FileHandle> OpenExclusive(const std::string& path, std::string& error) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = std::strerror(errno);
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = std::strerror(errno);
            ::close(fd);
            return nullptr;
        }
        return std::unique_ptr<FileHandle>(new PosixFile(fd));
    }

    std::unique_ptr<FileHandle> CreateTempBeside(const std::string& path, std::string& tempPath) override {
        std::string pattern = path + ".XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkstemp(name.data());
        if (fd < 0) return nullptr;
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        tempPath = name.data();
        return std::unique_ptr<FileHandle>(new PosixFile(fd));
    }

    bool MoveReplace(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) return false;
        SyncFolder(to);
        return true;
    }

    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    bool CopyOver(const std::string& from, const std::string& to) override {
        const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) return false;
        std::string tempPath;
        std::unique_ptr<FileHandle> out = CreateTempBeside(to, tempPath);
        if (!out) {
            ::close(in);
            return false;
        }
        bool ok = true;
        char chunk[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(in, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            if (!out->Write(chunk, static_cast<std::size_t>(n))) {
                ok = false;
                break;
            }
        }
        ::close(in);
        ok = ok && out->Flush();
        out->Close();
        // Written beside the target and renamed, so an existing backup is
        // replaced whole or not at all.
        if (!ok || !MoveReplace(tempPath, to)) {
            ::unlink(tempPath.c_str());
            return false;
        }
        return true;
    }
};
}  // namespace

FileSystem& DefaultFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

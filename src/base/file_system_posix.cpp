// POSIX side of the vault's file access. An advisory lock taken without
// waiting stands in for Windows' share mode 0: every opener of the vault goes
// through OpenExclusive, so a second one fails at once instead of waiting.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/file_system.h"

namespace {
FileStamp StampFrom(const struct stat& info) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.file = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

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

    bool GetStamp(FileStamp& stamp) override {
        struct stat info;
        if (m_fd < 0 || ::fstat(m_fd, &info) != 0) return false;
        stamp = StampFrom(info);
        return true;
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

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether `path` names the file open as `fd`.
bool NamesFile(const std::string& path, int fd) {
    struct stat named;
    struct stat open;
    return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 && SameFile(named, open);
}

class PosixLock : public FileLock {
public:
    explicit PosixLock(int fd) : m_fd(fd) {}
    ~PosixLock() override { ::close(m_fd); }
    PosixLock(const PosixLock&) = delete;
    PosixLock& operator=(const PosixLock&) = delete;

    bool IsAt(const std::string& path) override { return NamesFile(path, m_fd); }

private:
    int m_fd;
};

// A write lock on the file's first byte, owned by this open of the file: it
// conflicts with the lock Wine's server takes on that byte for a Windows
// program's LockFileEx, so the native tool and the program under Wine keep
// each other out; and unlike a classic record lock it also conflicts between
// two opens in one process and is not dropped when another descriptor of the
// file closes. Where such locks are missing, flock does between native users.
bool LockFirstByte(int fd, bool& heldElsewhere) {
#ifdef F_OFD_SETLK
    struct flock range = {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &range) == 0) return true;
    if (errno != EINVAL) {
        heldElsewhere = errno == EAGAIN || errno == EACCES;
        return false;
    }
#endif
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    heldElsewhere = errno == EWOULDBLOCK;
    return false;
}

constexpr int kLockAttempts = 5;

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

// Every opener of the vault takes a lock without waiting, so a conflicting
// one fails at once instead.
std::unique_ptr<FileHandle> OpenLocked(const std::string& path, int flags, int lock, std::string& error) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, lock | LOCK_NB) != 0) {
        error = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileHandle>(new PosixFile(fd));
}

class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<FileHandle> OpenExclusive(const std::string& path, std::string& error) override {
        return OpenLocked(path, O_RDWR | O_CREAT, LOCK_EX, error);
    }

    // Shared: readers keep out only a writer, as OpenExclusive's lock does them.
    std::unique_ptr<FileHandle> OpenForReading(const std::string& path, std::string& error) override {
        return OpenLocked(path, O_RDONLY, LOCK_SH, error);
    }

    bool StampOf(const std::string& path, FileStamp& stamp) override {
        struct stat info;
        if (::stat(path.c_str(), &info) != 0) return false;
        stamp = StampFrom(info);
        return true;
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
        // The new file takes the access rights the user gave the old one.
        struct stat target;
        if (::stat(to.c_str(), &target) == 0) ::chmod(from.c_str(), target.st_mode & 07777);
        if (::rename(from.c_str(), to.c_str()) != 0) return false;
        SyncFolder(to);
        return true;
    }

    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    std::string FinalPath(const std::string& path) override {
        // realpath needs the file to exist; a link to a file not made yet (a
        // first backup into a synced folder) is followed by hand.
        std::string current = path;
        for (int hops = 0; hops < 40; ++hops) {
            if (char* resolved = ::realpath(current.c_str(), nullptr)) {
                std::string final(resolved);
                std::free(resolved);
                return final;
            }
            char target[4096];
            const ssize_t length = ::readlink(current.c_str(), target, sizeof target);
            if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return current;
            const std::string link(target, static_cast<std::size_t>(length));
            if (link[0] == '/') {
                current = link;
            } else {
                current = FolderOf(current);
                current += '/';
                current += link;
            }
        }
        return current;
    }

    std::unique_ptr<FileLock> TryLock(const std::string& path, bool& heldElsewhere) override {
        heldElsewhere = false;
        // The file may be deleted between the open and the lock by a holder
        // that lets go; the lock then guards a name nobody else sees.
        for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd < 0) return nullptr;
            if (!LockFirstByte(fd, heldElsewhere)) {
                ::close(fd);
                return nullptr;
            }
            if (NamesFile(path, fd)) return std::unique_ptr<FileLock>(new PosixLock(fd));
            ::close(fd);
        }
        return nullptr;
    }
};
}  // namespace

FileSystem& DefaultFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

#include "memory_file_system.h"

#include <algorithm>

namespace {
FileStamp StampOfFile(const MemoryFileSystem::File& file) {
    FileStamp stamp;
    stamp.device = 1;
    stamp.file = file.id;
    stamp.size = file.bytes.size();
    stamp.modified = file.modified;
    return stamp;
}

// Reads the faults of its file system, which must outlive it, and writes by
// its clock.
class MemoryHandle : public FileHandle {
public:
    MemoryHandle(std::shared_ptr<MemoryFileSystem::File> file, const MemoryFileSystem::Faults& faults,
                 std::int64_t& clock, bool reading)
        : m_file(std::move(file)), m_faults(faults), m_clock(clock), m_reading(reading) {
        (m_reading ? m_file->readers += 1 : m_file->held = true);
    }
    ~MemoryHandle() override { Close(); }
    MemoryHandle(const MemoryHandle&) = delete;
    MemoryHandle& operator=(const MemoryHandle&) = delete;

    bool SeekToStart() override {
        m_position = 0;
        return m_file != nullptr;
    }

    bool GetLength(std::uint64_t& length) override {
        if (!m_file) return false;
        length = m_file->bytes.size();
        return true;
    }

    bool Read(void* data, std::size_t size, std::size_t& got) override {
        got = 0;
        if (!m_file || m_faults.failRead) return false;
        const std::vector<std::uint8_t>& bytes = m_file->bytes;
        if (m_position >= bytes.size()) return true;
        got = std::min(size, bytes.size() - m_position);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(m_position), got, static_cast<std::uint8_t*>(data));
        m_position += got;
        return true;
    }

    bool Write(const void* data, std::size_t size) override {
        if (!m_file || m_reading) return false;
        std::size_t fits = size;
        const long long limit = m_faults.writeLimit;
        if (limit >= 0 && m_written + static_cast<long long>(size) > limit) {
            fits = static_cast<std::size_t>(limit - m_written);
        }
        std::vector<std::uint8_t>& bytes = m_file->bytes;
        if (bytes.size() < m_position + fits) bytes.resize(m_position + fits);
        const auto* from = static_cast<const std::uint8_t*>(data);
        std::copy_n(from, fits, bytes.begin() + static_cast<std::ptrdiff_t>(m_position));
        m_position += fits;
        m_written += static_cast<long long>(fits);
        if (fits != 0) m_file->modified = ++m_clock;
        return fits == size;
    }

    bool Flush() override { return m_file && !m_faults.failFlush; }

    bool Truncate(std::uint64_t length) override {
        if (!m_file) return false;
        m_file->bytes.resize(static_cast<std::size_t>(length));
        m_file->modified = ++m_clock;
        return true;
    }

    bool GetStamp(FileStamp& stamp) override {
        if (!m_file) return false;
        stamp = StampOfFile(*m_file);
        return true;
    }

    void Close() override {
        if (m_file) (m_reading ? m_file->readers -= 1 : m_file->held = false);
        m_file.reset();
    }

private:
    std::shared_ptr<MemoryFileSystem::File> m_file;
    const MemoryFileSystem::Faults& m_faults;
    std::int64_t& m_clock;
    const bool m_reading;
    std::size_t m_position = 0;
    long long m_written = 0;
};

class MemoryLock : public FileLock {
public:
    MemoryLock(std::shared_ptr<MemoryFileSystem::File> file, const MemoryFileSystem& files)
        : m_file(std::move(file)), m_files(files) {
        m_file->locked = true;
    }
    ~MemoryLock() override { m_file->locked = false; }
    MemoryLock(const MemoryLock&) = delete;
    MemoryLock& operator=(const MemoryLock&) = delete;

    bool IsAt(const std::string& path) override { return m_files.Named(path) == m_file; }

private:
    std::shared_ptr<MemoryFileSystem::File> m_file;
    const MemoryFileSystem& m_files;
};
}  // namespace

std::shared_ptr<MemoryFileSystem::File>& MemoryFileSystem::FileAt(const std::string& path) {
    std::shared_ptr<File>& file = m_files[path];
    if (!file) file = std::make_shared<File>(++m_fileCount);
    return file;
}

std::unique_ptr<FileHandle> MemoryFileSystem::Hold(const std::shared_ptr<File>& file, bool reading) {
    return std::unique_ptr<FileHandle>(new MemoryHandle(file, faults, m_clock, reading));
}

std::shared_ptr<MemoryFileSystem::File> MemoryFileSystem::Named(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? nullptr : found->second;
}

std::unique_ptr<FileHandle> MemoryFileSystem::OpenExclusive(const std::string& path, std::string& error) {
    if (!faults.openError.empty()) {
        error = faults.openError;
        return nullptr;
    }
    const std::shared_ptr<File>& file = FileAt(path);
    if (file->held || file->readers != 0) {
        error = "Resource temporarily unavailable";
        return nullptr;
    }
    return Hold(file);
}

std::unique_ptr<FileHandle> MemoryFileSystem::OpenForReading(const std::string& path, std::string& error) {
    const std::shared_ptr<File> file = Named(path);
    if (!faults.openError.empty() || !file) {
        error = faults.openError.empty() ? "No such file or directory" : faults.openError;
        return nullptr;
    }
    if (file->held) {
        error = "Resource temporarily unavailable";
        return nullptr;
    }
    return Hold(file, true);
}

bool MemoryFileSystem::StampOf(const std::string& path, FileStamp& stamp) {
    const std::shared_ptr<File> file = Named(path);
    if (file) stamp = StampOfFile(*file);
    return file != nullptr;
}

std::unique_ptr<FileHandle> MemoryFileSystem::CreateTempBeside(const std::string& path, std::string& tempPath) {
    if (faults.failTemp) return nullptr;
    do {
        tempPath = path + ".tmp" + std::to_string(++m_tempCount);
    } while (m_files.count(tempPath) != 0);
    return Hold(FileAt(tempPath));
}

bool MemoryFileSystem::MoveReplace(const std::string& from, const std::string& to) {
    const auto found = m_files.find(from);
    if (faults.failMove && faults.moveLosesTarget) m_files.erase(to);
    if (faults.failMove || found == m_files.end()) return false;
    std::shared_ptr<File> file = found->second;
    m_files.erase(found);
    m_files[to] = file;
    return true;
}

bool MemoryFileSystem::Remove(const std::string& path) { return m_files.erase(path) != 0; }

std::string MemoryFileSystem::FinalPath(const std::string& path) { return path; }

std::unique_ptr<FileLock> MemoryFileSystem::TryLock(const std::string& path, bool& heldElsewhere) {
    const std::shared_ptr<File>& file = FileAt(path);
    heldElsewhere = file->locked;
    if (heldElsewhere) return nullptr;
    return std::unique_ptr<FileLock>(new MemoryLock(file, *this));
}

void MemoryFileSystem::Put(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const std::shared_ptr<File>& file = FileAt(path);
    file->bytes.assign(data, data + size);
    file->modified = ++m_clock;
}

std::vector<std::uint8_t> MemoryFileSystem::Contents(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? std::vector<std::uint8_t>() : found->second->bytes;
}

std::vector<std::string> MemoryFileSystem::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : m_files) names.push_back(entry.first);
    return names;
}

bool MemoryFileSystem::IsHeld(const std::string& path) const {
    const auto found = m_files.find(path);
    return found != m_files.end() && found->second->held;
}

bool MemoryFileSystem::IsLocked(const std::string& path) const {
    const auto found = m_files.find(path);
    return found != m_files.end() && found->second->locked;
}

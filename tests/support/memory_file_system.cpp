#include "memory_file_system.h"

#include <algorithm>

namespace {
// Reads the faults of its file system, which must outlive it.
class MemoryHandle : public FileHandle {
public:
    MemoryHandle(std::shared_ptr<MemoryFileSystem::File> file, const MemoryFileSystem::Faults& faults)
        : m_file(std::move(file)), m_faults(faults) {
        m_file->held = true;
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
        if (!m_file) return false;
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
        return fits == size;
    }

    bool Flush() override { return m_file && !m_faults.failFlush; }

    bool Truncate(std::uint64_t length) override {
        if (!m_file) return false;
        m_file->bytes.resize(static_cast<std::size_t>(length));
        return true;
    }

    void Close() override {
        if (m_file) m_file->held = false;
        m_file.reset();
    }

private:
    std::shared_ptr<MemoryFileSystem::File> m_file;
    const MemoryFileSystem::Faults& m_faults;
    std::size_t m_position = 0;
    long long m_written = 0;
};
}  // namespace

std::unique_ptr<FileHandle> MemoryFileSystem::Hold(const std::shared_ptr<File>& file) {
    return std::unique_ptr<FileHandle>(new MemoryHandle(file, faults));
}

std::unique_ptr<FileHandle> MemoryFileSystem::OpenExclusive(const std::string& path, std::string& error) {
    if (!faults.openError.empty()) {
        error = faults.openError;
        return nullptr;
    }
    std::shared_ptr<File>& file = m_files[path];
    if (!file) file = std::make_shared<File>();
    if (file->held) {
        error = "Resource temporarily unavailable";
        return nullptr;
    }
    return Hold(file);
}

std::unique_ptr<FileHandle> MemoryFileSystem::CreateTempBeside(const std::string& path, std::string& tempPath) {
    if (faults.failTemp) return nullptr;
    do {
        tempPath = path + ".tmp" + std::to_string(++m_tempCount);
    } while (m_files.count(tempPath) != 0);
    std::shared_ptr<File>& file = m_files[tempPath];
    file = std::make_shared<File>();
    return Hold(file);
}

bool MemoryFileSystem::MoveReplace(const std::string& from, const std::string& to) {
    const auto found = m_files.find(from);
    if (faults.failMove || found == m_files.end()) return false;
    std::shared_ptr<File> file = found->second;
    m_files.erase(found);
    m_files[to] = file;
    return true;
}

bool MemoryFileSystem::Remove(const std::string& path) { return m_files.erase(path) != 0; }

bool MemoryFileSystem::CopyOver(const std::string& from, const std::string& to) {
    // The disk's copy goes through a temporary file and a replace.
    const auto found = m_files.find(from);
    if (found == m_files.end() || faults.failTemp || faults.failMove) return false;
    const std::shared_ptr<File> copy = std::make_shared<File>();
    copy->bytes = found->second->bytes;
    m_files[to] = copy;
    return true;
}

void MemoryFileSystem::Put(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::shared_ptr<File>& file = m_files[path];
    if (!file) file = std::make_shared<File>();
    file->bytes.assign(data, data + size);
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

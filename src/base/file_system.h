#pragma once
// File access of the vault. The Windows side opens without sharing and
// flushes to disk; the POSIX side takes an exclusive lock without waiting and
// fsyncs. Tests wrap it to inject failures.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// What tells one version of a file from another: which file it is (device
// and inode, or volume and file index), its length and its last write time.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;

    bool operator==(const FileStamp& other) const {
        return device == other.device && file == other.file && size == other.size && modified == other.modified;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

class FileHandle {
public:
    virtual ~FileHandle() = default;
    virtual bool SeekToStart() = 0;
    virtual bool GetLength(std::uint64_t& length) = 0;
    // Reads up to `size` bytes; `got` receives the count actually read.
    virtual bool Read(void* data, std::size_t size, std::size_t& got) = 0;
    virtual bool Write(const void* data, std::size_t size) = 0;
    virtual bool Flush() = 0;
    virtual bool Truncate(std::uint64_t length) = 0;
    // The open file's stamp. Taken only from handles that wrote nothing: a
    // file system may settle the write time when a writing handle closes.
    virtual bool GetStamp(FileStamp& stamp) = 0;
    virtual void Close() = 0;
};

// An exclusive lock, kept until this object goes; the system drops it when
// the process ends, so a crash leaves no stale lock.
class FileLock {
public:
    virtual ~FileLock() = default;
    // Whether `path` still names the locked file. A lock file deleted, and
    // perhaps made anew and locked by another writer, guards nothing.
    virtual bool IsAt(const std::string& path) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Read and write, no sharing with any other opener, opened if it exists and
    // created empty otherwise, never truncated. On failure `error` gets the
    // system's description.
    virtual std::unique_ptr<FileHandle> OpenExclusive(const std::string& path, std::string& error) = 0;
    // Read only, never created; shared with other readers but not with a
    // writer. For what only reads: a read-only vault or backup opens.
    virtual std::unique_ptr<FileHandle> OpenForReading(const std::string& path, std::string& error) = 0;
    // The stamp of the file at `path` as it now is, taken without opening it
    // for reading or writing, so another opener holding it does not stand in
    // the way. False when nothing is there.
    virtual bool StampOf(const std::string& path, FileStamp& stamp) = 0;
    // A new, empty file in the same folder as `path`; its name goes to `tempPath`.
    virtual std::unique_ptr<FileHandle> CreateTempBeside(const std::string& path, std::string& tempPath) = 0;
    // Atomically puts `from` in the place of `to`, replacing it and keeping
    // what the user set on `to` (attributes, access rights). On failure `to`
    // is as it was, or gone when the system lost it half-way: then `from`
    // is the only copy of the new content.
    virtual bool MoveReplace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // The file that `path` names once every link is followed; `path` itself
    // when it cannot be resolved (it does not exist).
    virtual std::string FinalPath(const std::string& path) = 0;
    // Locks the file at `path` (created empty when missing) without waiting;
    // the lock is only had once `path` still names the file locked. nullptr
    // when it cannot; `heldElsewhere` then says whether another holder is why.
    virtual std::unique_ptr<FileLock> TryLock(const std::string& path, bool& heldElsewhere) = 0;
};

FileSystem& DefaultFileSystem();

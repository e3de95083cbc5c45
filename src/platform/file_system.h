#pragma once
// File access of the vault. The Windows side opens without sharing and
// flushes to disk; the POSIX side takes an exclusive lock without waiting and
// fsyncs. Tests wrap it to inject failures.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

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
    virtual void Close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Read and write, no sharing with any other opener, opened if it exists and
    // created empty otherwise, never truncated. On failure `error` gets the
    // system's description.
    virtual std::unique_ptr<FileHandle> OpenExclusive(const std::string& path, std::string& error) = 0;
    // A new, empty file in the same folder as `path`; its name goes to `tempPath`.
    virtual std::unique_ptr<FileHandle> CreateTempBeside(const std::string& path, std::string& tempPath) = 0;
    // Atomically puts `from` in the place of `to`, replacing it.
    virtual bool MoveReplace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Copies a whole file, replacing the target.
    virtual bool CopyOver(const std::string& from, const std::string& to) = 0;
};

FileSystem& DefaultFileSystem();

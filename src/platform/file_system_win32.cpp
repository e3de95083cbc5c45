// Win32 side of the vault's file access: share mode 0 keeps every other
// opener out while the vault is open, and writes are flushed to disk.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "platform/file_system.h"

namespace {
// ReadFile and WriteFile take 32-bit counts.
constexpr std::size_t kMaxChunk = 1u << 30;

std::string DescribeError(DWORD code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string description;
    if (length != 0 && text != nullptr) description.assign(text, length);
    if (text != nullptr) LocalFree(text);
    while (!description.empty() &&
           (description.back() == '\r' || description.back() == '\n' || description.back() == ' ')) {
        description.pop_back();
    }
    if (description.empty()) description = "The file could not be opened (error " + std::to_string(code) + ").";
    return description;
}

class Win32File : public FileHandle {
public:
    explicit Win32File(HANDLE handle) : m_handle(handle) {}
    ~Win32File() override { Close(); }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    bool SeekToStart() override {
        LARGE_INTEGER start;
        start.QuadPart = 0;
        return IsValid() && SetFilePointerEx(m_handle, start, nullptr, FILE_BEGIN) != FALSE;
    }

    bool GetLength(std::uint64_t& length) override {
        LARGE_INTEGER size;
        if (!IsValid() || !GetFileSizeEx(m_handle, &size) || size.QuadPart < 0) return false;
        length = static_cast<std::uint64_t>(size.QuadPart);
        return true;
    }

    bool Read(void* data, std::size_t size, std::size_t& got) override {
        got = 0;
        if (!IsValid()) return false;
        char* bytes = static_cast<char*>(data);
        while (got < size) {
            const std::size_t want = size - got < kMaxChunk ? size - got : kMaxChunk;
            DWORD n = 0;
            if (!ReadFile(m_handle, bytes + got, static_cast<DWORD>(want), &n, nullptr)) return false;
            if (n == 0) break;
            got += n;
        }
        return true;
    }

    bool Write(const void* data, std::size_t size) override {
        if (!IsValid()) return false;
        const char* bytes = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            const std::size_t want = size - done < kMaxChunk ? size - done : kMaxChunk;
            DWORD n = 0;
            if (!WriteFile(m_handle, bytes + done, static_cast<DWORD>(want), &n, nullptr) || n == 0) return false;
            done += n;
        }
        return true;
    }

    bool Flush() override { return IsValid() && FlushFileBuffers(m_handle) != FALSE; }

    bool Truncate(std::uint64_t length) override {
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(length);
        return IsValid() && SetFilePointerEx(m_handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(m_handle);
    }

    void Close() override {
        if (IsValid()) {
            CloseHandle(m_handle);
            m_handle = INVALID_HANDLE_VALUE;
        }
    }

private:
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }

    HANDLE m_handle;
};

// The folder part of a path, with its separator ("C:\\vault\\"), the drive of
// a drive-relative name ("C:"), or "." for a bare name.
std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator != std::string::npos) return path.substr(0, separator + 1);
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return ".";
}

class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<FileHandle> OpenExclusive(const std::string& path, std::string& error) override {
        const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = DescribeError(GetLastError());
            return nullptr;
        }
        return std::unique_ptr<FileHandle>(new Win32File(handle));
    }

    std::unique_ptr<FileHandle> CreateTempBeside(const std::string& path, std::string& tempPath) override {
        char name[MAX_PATH];
        if (GetTempFileNameA(FolderOf(path).c_str(), "pel", 0, name) == 0) return nullptr;
        // GetTempFileNameA has created the file; open it without sharing.
        const HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            DeleteFileA(name);
            return nullptr;
        }
        tempPath = name;
        return std::unique_ptr<FileHandle>(new Win32File(handle));
    }

    bool MoveReplace(const std::string& from, const std::string& to) override {
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }

    bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

    bool CopyOver(const std::string& from, const std::string& to) override {
        return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
    }
};
}  // namespace

FileSystem& DefaultFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

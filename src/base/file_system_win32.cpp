// Win32 side of the vault's file access: share mode 0 keeps every other
// opener out while the vault is open, and writes are flushed to disk.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "base/file_system_win32.h"

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

bool StampOfHandle(HANDLE handle, FileStamp& stamp) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return false;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                               info.ftLastWriteTime.dwLowDateTime);
    return true;
}

// Asks for the attributes only: other openers' share modes do not apply, so
// this works while the file is open without sharing.
bool StampOfPath(const std::string& path, FileStamp& stamp) {
    const HANDLE handle =
        CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool stamped = StampOfHandle(handle, stamp);
    CloseHandle(handle);
    return stamped;
}

// Whether `path` names the file open as `handle`.
bool NamesFile(const std::string& path, HANDLE handle) {
    FileStamp named;
    FileStamp open;
    return StampOfPath(path, named) && StampOfHandle(handle, open) && named.device == open.device &&
           named.file == open.file;
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

    bool GetStamp(FileStamp& stamp) override { return IsValid() && StampOfHandle(m_handle, stamp); }

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

// A byte-range lock on the lock file's first byte. The file itself stays open
// to readers and writers: only the lock says who holds it, so a virus scanner
// or indexer opening the file takes nothing from anyone.
class Win32Lock : public FileLock {
public:
    explicit Win32Lock(HANDLE handle) : m_handle(handle) {}
    ~Win32Lock() override {
        // Closing alone releases the lock only when the system gets to it.
        OVERLAPPED at = {};
        UnlockFileEx(m_handle, 0, 1, 0, &at);
        CloseHandle(m_handle);
    }
    Win32Lock(const Win32Lock&) = delete;
    Win32Lock& operator=(const Win32Lock&) = delete;

    bool IsAt(const std::string& path) override { return NamesFile(path, m_handle); }

private:
    HANDLE m_handle;
};

// Attributes a user sets on a file and expects a save to keep. Read-only is
// not among them (a read-only file is not replaced at all), nor the archive
// bit: new content is to be backed up again.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// ReplaceFileA carries the replaced file's attributes over to the
// replacement on Windows; doing it beforehand as well keeps them where it
// only renames (Wine's does). The access list is left to ReplaceFileA: Wine
// maps a copied one onto the Unix mode more loosely than the file had it.
void CarryAttributesOver(const std::string& original, const std::string& replacement) {
    const DWORD attributes = GetFileAttributesA(original.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(replacement.c_str(), FILE_ATTRIBUTE_ARCHIVE | (attributes & kKeptAttributes));
}

// The folder part of a path, with its separator ("C:\\vault\\"), the drive of
// a drive-relative name ("C:"), or "." for a bare name.
std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator != std::string::npos) return path.substr(0, separator + 1);
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return ".";
}

constexpr int kLockAttempts = 5;

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

    std::unique_ptr<FileHandle> OpenForReading(const std::string& path, std::string& error) override {
        const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = DescribeError(GetLastError());
            return nullptr;
        }
        return std::unique_ptr<FileHandle>(new Win32File(handle));
    }

    bool StampOf(const std::string& path, FileStamp& stamp) override { return StampOfPath(path, stamp); }

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
        return MoveReplaceWith(ReplaceFileA, from, to);
    }

    bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

    std::string FinalPath(const std::string& path) override {
        // No access asked for: this also works while the vault is open without sharing.
        const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return path;
        // One call into a buffer that surely fits: Wine's answer to a call
        // asking for the size is one short.
        std::string final(32768, '\0');
        const DWORD length = GetFinalPathNameByHandleA(handle, &final[0], static_cast<DWORD>(final.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        CloseHandle(handle);
        if (length == 0 || length >= final.size()) return path;
        final.resize(length);
        // The long-path forms "\\?\C:\..." and "\\?\UNC\server\..." back to the usual ones.
        if (final.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + final.substr(7);
        if (final.compare(0, 4, "\\\\?\\") == 0) return final.substr(4);
        return final;
    }

    std::unique_ptr<FileLock> TryLock(const std::string& path, bool& heldElsewhere) override {
        heldElsewhere = false;
        // No FILE_SHARE_DELETE: nobody deletes the lock file from under its
        // holder. A file deleted between the open and the lock (by a program
        // of another system, or a holder letting go) is tried again.
        for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
            const HANDLE handle =
                CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE) return nullptr;
            OVERLAPPED at = {};
            if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
                heldElsewhere = GetLastError() == ERROR_LOCK_VIOLATION;
                CloseHandle(handle);
                return nullptr;
            }
            std::unique_ptr<Win32Lock> lock(new Win32Lock(handle));
            if (lock->IsAt(path)) return lock;
        }
        return nullptr;
    }
};
}  // namespace

bool MoveReplaceWith(ReplaceFileFn replace, const std::string& from, const std::string& to) {
    CarryAttributesOver(to, from);
    // A save never fails only because what the user set could not be carried over.
    if (replace(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                nullptr, nullptr)) {
        return true;
    }
    // Nothing stands at `to`: a new vault or backup, or a replace that moved
    // the old file away and then could not move the new one in
    // (ERROR_UNABLE_TO_MOVE_REPLACEMENT and _2). A rename puts it in place;
    // until then `from` is the only copy.
    if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

FileSystem& DefaultFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

#pragma once
// Fresh folders for tests that write files (vaults, backups).
#include <windows.h>

#include <string>

// A new, empty folder under the temporary folder; its name starts with prefix.
inline std::string MakeTempFolder(const char* prefix = "plt") {
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    char name[MAX_PATH] = {};
    ::GetTempFileNameA(base, prefix, 0, name);  // creates a file: take its name
    ::DeleteFileA(name);
    ::CreateDirectoryA(name, nullptr);
    return name;
}

// The size of a file, -1 when it does not exist.
inline long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long>(data.nFileSizeLow);
}

// The whole content of a file; false when it cannot be read.
inline bool ReadFileBytes(const std::string& path, std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return true;
}

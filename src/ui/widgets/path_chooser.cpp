#include "ui/widgets/path_chooser.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "base/system_entry_win32.h"

namespace {

// comdlg32, ole32 and shell32 are loaded at the first Browse, not at every
// start: the Login dialog needs none of them, and under Wine ole32 brings the
// COM runtime along.
struct Ole32 {
    using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    using CoUninitializeFn = void(WINAPI*)();
    using CoTaskMemFreeFn = void(WINAPI*)(LPVOID);
    CoInitializeExFn initialize = SystemEntry<CoInitializeExFn>("ole32.dll", "CoInitializeEx");
    CoUninitializeFn uninitialize = SystemEntry<CoUninitializeFn>("ole32.dll", "CoUninitialize");
    CoTaskMemFreeFn free = SystemEntry<CoTaskMemFreeFn>("ole32.dll", "CoTaskMemFree");
};

const Ole32& Com() {
    static const Ole32 ole32;
    return ole32;
}

// The new-style folder dialog and the file dialog's folder view are COM
// objects: the thread joins a single-threaded apartment for them and leaves
// it as it found it.
class ComScope {
public:
    ComScope()
        : m_hr(Com().initialize != nullptr
                   ? Com().initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
                   : E_NOTIMPL) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr) && Com().uninitialize != nullptr) Com().uninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Unquoted(const std::string& path) {
    const size_t first = path.find_first_not_of(" \"");
    if (first == std::string::npos) return std::string();
    const size_t last = path.find_last_not_of(" \"");
    return path.substr(first, last - first + 1);
}

int CALLBACK StartFolderCallback(HWND hWnd, UINT uMsg, LPARAM, LPARAM lpData) {
    if (uMsg == BFFM_INITIALIZED && lpData != 0) ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, lpData);
    return 0;
}

// The folder a typed path names or lies in, when it exists; empty otherwise.
std::string ExistingFolderOf(const std::string& path) {
    std::string bare = Unquoted(path);
    if (bare.empty()) return std::string();
    if (IsFolder(bare)) return bare;
    const size_t slash = bare.find_last_of("\\/");
    if (slash == std::string::npos) return std::string();
    // "C:\x.exe" lies in "C:\", not in the drive's current folder "C:".
    const std::string parent = bare.substr(0, slash == 2 && bare[1] == ':' ? slash + 1 : slash);
    return IsFolder(parent) ? parent : std::string();
}

}  // namespace

bool ChooseProgram(HWND hWndOwner, const std::string& current, std::string& chosen) {
    const std::string folder = ExistingFolderOf(current);
    // Larger than any stored path, so that a longer choice comes back whole
    // for the caller to refuse instead of cut to some other file.
    std::vector<char> file(MAX_PATH * 4, '\0');
    // A path in the file field is where the dialog opens on every system.
    const std::string bare = Unquoted(current);
    if (!folder.empty() && bare != folder && bare.size() < file.size()) bare.copy(file.data(), bare.size());

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hWndOwner;
    ofn.lpstrFilter = "Programs (*.exe)\0*.exe\0All files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    // The program's own current folder stays: relative paths elsewhere rely on it.
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    ofn.lpstrDefExt = "exe";

    using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
    static const GetOpenFileNameFn getOpenFileName = SystemEntry<GetOpenFileNameFn>("comdlg32.dll", "GetOpenFileNameA");
    if (getOpenFileName == nullptr) return false;
    ComScope com;
    if (!getOpenFileName(&ofn)) return false;
    chosen = file.data();
    return true;
}

bool ChooseFolder(HWND hWndOwner, const std::string& current, const char* prompt, std::string& chosen) {
    const std::string folder = ExistingFolderOf(current);
    char display[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = hWndOwner;
    info.pszDisplayName = display;
    info.lpszTitle = prompt;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = StartFolderCallback;
    info.lParam = folder.empty() ? 0 : reinterpret_cast<LPARAM>(folder.c_str());

    using SHBrowseForFolderFn = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOA);
    using SHGetPathFromIDListFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPSTR);
    static const SHBrowseForFolderFn browseForFolder =
        SystemEntry<SHBrowseForFolderFn>("shell32.dll", "SHBrowseForFolderA");
    static const SHGetPathFromIDListFn getPathFromIDList =
        SystemEntry<SHGetPathFromIDListFn>("shell32.dll", "SHGetPathFromIDListA");
    if (browseForFolder == nullptr || getPathFromIDList == nullptr) return false;
    ComScope com;
    PIDLIST_ABSOLUTE pidl = browseForFolder(&info);
    if (pidl == nullptr) return false;
    char path[MAX_PATH] = {};
    const BOOL bPath = getPathFromIDList(pidl, path);
    if (Com().free != nullptr) Com().free(pidl);
    if (!bPath) return false;
    chosen = path;
    return true;
}

// The vault's Windows file access: a vault that another process holds open
// refuses both reading and saving, and a save replaces the vault whole; one
// writer at a time between the program and the tool; a save keeps what the
// user set on the vault and the file a link names.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/file_system_win32.h"
#include "core/vault/login_store.h"
#include "core/vault/vault_message.h"
#include "support/temp_folder.h"

namespace {

// What the store's last operation has to tell, as the program shows it: one
// text, or none.
std::vector<std::string> Told(const LoginStore& store) {
    const VaultFailure& failure = store.LastFailure();
    if (failure.result == VaultOk) return {};
    return {VaultMessage(failure)};
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WaitForFile(const std::string& path) {
    for (int waited = 0; waited < 30000; waited += 10) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(10);
    }
    return false;
}

// The folder of the test program, where the programs it starts lie.
std::string TestProgramFolder() {
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module);
    return folder.erase(folder.rfind('\\'));
}

// Waits for a started process to end and lets go of it.
void Reap(PROCESS_INFORMATION& process) {
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

// The vault_holder program, beside the test program, holding `vault` open.
class Holder {
public:
    explicit Holder(const std::string& vault) : m_vault(vault) {
        std::string command = "\"" + TestProgramFolder() + "\\vault_holder.exe\" \"" + vault + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        m_started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &m_process) != FALSE;
    }
    ~Holder() { Release(); }

    bool Holding() const { return m_started && WaitForFile(m_vault + ".held"); }

    void Release() {
        if (!m_started) return;
        std::ofstream(m_vault + ".release").put('x');
        Reap(m_process);
        DeleteFileA((m_vault + ".held").c_str());
        DeleteFileA((m_vault + ".release").c_str());
        m_started = false;
    }

private:
    std::string m_vault;
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

struct ToolResult {
    long status = -1;  // -1: it did not end in time
    std::string output;
};

// pellucorda-cli.exe, beside the test program, run to its end on `vault`
// with every secret from `input`; what it wrote comes back.
ToolResult RunTool(const std::string& vault, const std::string& args, const std::string& input) {
    const std::string in = vault + ".in", err = vault + ".err";
    std::ofstream(in, std::ios::binary) << input;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput =
        CreateFileA(in.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    startup.hStdOutput = startup.hStdError = CreateFileA(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string command =
        "\"" + TestProgramFolder() + "\\pellucorda-cli.exe\" --file \"" + vault + "\" --password-stdin " + args;
    PROCESS_INFORMATION process = {};
    ToolResult result;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        DWORD status = 0;
        if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &status)) {
            result.status = static_cast<long>(status);
        }
        TerminateProcess(process.hProcess, 99);
        Reap(process);
    }
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    result.output = ReadAll(err);
    DeleteFileA(in.c_str());
    DeleteFileA(err.c_str());
    return result;
}

// Deletes a test folder with what the tests leave in it.
void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveFolder(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

LoginItem Named(const char* service) {
    LoginItem item;
    item.Clear();
    CopyField(item.serviceName, sizeof item.serviceName, service);
    return item;
}

// A symbolic link at `link` to `target`: the system's own where it makes
// them; under Wine, whose CreateSymbolicLinkA makes none, a link of the
// Unix side, as a user would put a vault into a synced folder there.
bool MakeLink(const std::string& link, const std::string& target) {
    if (CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    using UnixName = char*(CDECL*)(const WCHAR*);
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(found));
    if (unixName == nullptr) return false;
    auto unixPath = [unixName](const std::string& path) {
        std::wstring wide(path.begin(), path.end());
        char* name = unixName(wide.c_str());
        std::string result = name != nullptr ? name : "";
        HeapFree(GetProcessHeap(), 0, name);
        return result;
    };
    std::string command = "/bin/ln -s \"" + unixPath(target) + "\" \"" + unixPath(link) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    Reap(process);
    return WaitForFile(link);
}

constexpr char kToolRefusal[] = "pellucorda-cli: the vault is open in Pellucorda; lock it there first";
}  // namespace

TEST(VaultFileWin32, AVaultHeldByAnotherProcessRefusesLoadingAndSavingAndStaysWhole) {
    const std::string folder = MakeTempFolder("plh");
    const std::string vault = folder + "\\logininfo.dat";
    auto store = std::make_unique<LoginStore>();
    ASSERT_EQ(store->Open(kDefaultMasterPassword, vault), VaultOk);
    const std::string before = ReadAll(vault);
    ASSERT_EQ(before.size(), 1728u);

    {
        Holder holder(vault);
        ASSERT_TRUE(holder.Holding());

        LoginItem item;
        item.Clear();
        CopyField(item.serviceName, sizeof item.serviceName, "added while held");
        ASSERT_TRUE(store->AddItem(item));
        EXPECT_EQ(store->Save(), VaultOpenFailed);
        ASSERT_FALSE(Told(*store).empty());
        EXPECT_EQ(Told(*store).back(), "Write file failed!");

        auto other = std::make_unique<LoginStore>();
        EXPECT_EQ(other->Open(kDefaultMasterPassword, vault), VaultOpenFailed);
        ASSERT_EQ(Told(*other).size(), 1u);
        EXPECT_FALSE(Told(*other)[0].empty()) << "the system's description of the refusal";
        EXPECT_FALSE(other->IsOpen());
        holder.Release();
    }
    EXPECT_EQ(ReadAll(vault), before) << "the refused save left the vault as it was";

    // Once the other process is gone the same change saves, and the vault is
    // replaced whole: exactly one image long, no temporary file left behind.
    EXPECT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(FileSize(vault), 56 + 2 * 1668);
    auto reread = std::make_unique<LoginStore>();
    ASSERT_EQ(reread->Open(kDefaultMasterPassword, vault), VaultOk);
    EXPECT_EQ(reread->GetCount(), 2u);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    std::vector<std::string> names;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(names, std::vector<std::string>{"logininfo.dat"});
    DeleteFileA(vault.c_str());
    RemoveDirectoryA(folder.c_str());
}

// One writer at a time, between the program (this process, logged in through
// the program's own login) and the tool as a second process.
TEST(VaultFileWin32, WhileLoggedInTheProgramKeepsTheToolFromWriting) {
    const std::string folder = MakeTempFolder("plw");
    const std::string vault = folder + "\\logininfo.dat";
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.c_str());
    auto program = std::make_unique<LoginStore>();
    ASSERT_TRUE(program->OpenDefault(kDefaultMasterPassword));
    const std::string before = ReadAll(vault);

    ToolResult add = RunTool(vault, "add --service tool", "quillmarsh\nx\n");
    EXPECT_EQ(add.status, 5);
    EXPECT_NE(add.output.find(kToolRefusal), std::string::npos) << add.output;
    EXPECT_EQ(ReadAll(vault), before);
    ToolResult list = RunTool(vault, "list", "quillmarsh\n");
    EXPECT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find("Corvanet software"), std::string::npos) << list.output;

    // Logged out, the tool writes; a store that read the vault before (one
    // that could not make a lock file) then leaves the tool's change alone.
    program->Reset();
    auto stale = std::make_unique<LoginStore>();
    ASSERT_EQ(stale->Open(kDefaultMasterPassword, vault), VaultOk);
    add = RunTool(vault, "add --service tool", "quillmarsh\nx\n");
    EXPECT_EQ(add.status, 0) << add.output;
    const std::string toolVersion = ReadAll(vault);
    ASSERT_TRUE(stale->AddItem(Named("window")));
    EXPECT_EQ(stale->Save(), VaultChanged);
    EXPECT_EQ(Told(*stale).size(), 1u);
    EXPECT_EQ(ReadAll(vault), toolVersion);
    SetCurrentDirectoryA(previous);
    RemoveFolder(folder);
}

// Wine's ReplaceFileA only renames; the attributes are carried over before
// it, so they stay there too.
TEST(VaultFileWin32, SavesAndBackupsKeepTheAttributesTheUserSet) {
    const std::string folder = MakeTempFolder("pla");
    const std::string vault = folder + "\\logininfo.dat";
    const std::string backup = folder + "\\logininfo.bak";
    ASSERT_EQ(std::make_unique<LoginStore>()->Open(kDefaultMasterPassword, vault), VaultOk);  // an earlier run's
    auto store = std::make_unique<LoginStore>();
    ASSERT_EQ(store->Open(kDefaultMasterPassword, vault), VaultOk);
    ASSERT_EQ(store->BackupTo(folder), BackupResult::Written);  // a new backup: put in place by a rename
    ASSERT_TRUE(SetFileAttributesA(vault.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

    ASSERT_TRUE(store->AddItem(Named("bank")));
    ASSERT_EQ(store->Save(), VaultOk);
    ASSERT_EQ(store->BackupTo(folder), BackupResult::Written);
    EXPECT_EQ(FileSize(vault), 56 + 2 * 1668);
    EXPECT_EQ(ReadAll(backup), ReadAll(vault));
    const DWORD seen = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    EXPECT_EQ(GetFileAttributesA(vault.c_str()) & seen, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesA(backup.c_str()) & seen,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

    // A read-only backup is not replaced at all, and no temporary file stays.
    ASSERT_TRUE(SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(store->AddItem(Named("more")));
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(store->BackupTo(folder), BackupResult::Failed);
    EXPECT_EQ(FileSize(backup), 56 + 2 * 1668);
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA((folder + "\\*.tmp").c_str(), &found), INVALID_HANDLE_VALUE);
    store->Reset();
    RemoveFolder(folder);
}

TEST(VaultFileWin32, ASaveThroughALinkReplacesTheFileItNames) {
    const std::string folder = MakeTempFolder("pll");
    const std::string synced = folder + "\\synced";
    CreateDirectoryA(synced.c_str(), nullptr);
    const std::string real = synced + "\\logininfo.dat";
    const std::string link = folder + "\\logininfo.dat";
    auto store = std::make_unique<LoginStore>();
    ASSERT_EQ(store->Open(kDefaultMasterPassword, real), VaultOk);
    store->Reset();
    if (!MakeLink(link, real)) {
        RemoveFolder(folder);
        GTEST_SKIP() << "no symbolic links here";
    }

    // The link and the file it names share one writer lock.
    ASSERT_EQ(store->LockWriter(real), VaultOk);
    auto other = std::make_unique<LoginStore>();
    EXPECT_EQ(other->LockWriter(link), VaultInUse);
    store->Reset();

    ASSERT_EQ(store->Open(kDefaultMasterPassword, link), VaultOk);
    ASSERT_TRUE(store->AddItem(Named("bank")));
    ASSERT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(FileSize(real), 56 + 2 * 1668) << "the save reached the file the link names";
    auto reread = std::make_unique<LoginStore>();
    ASSERT_EQ(reread->Open(kDefaultMasterPassword, real), VaultOk);
    EXPECT_EQ(reread->GetCount(), 2u);
    store->Reset();
    reread->Reset();
    RemoveFolder(folder);
}

// ReplaceFileA can fail after moving the vault away (ERROR_UNABLE_TO_MOVE_
// REPLACEMENT, and _2 with the vault under another name): the new image is
// then moved into place. A failure that leaves the vault where it was keeps
// both files as they are.
namespace {
DWORD g_replaceError = 0;

BOOL WINAPI FailingReplace(LPCSTR replaced, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID) {
    if (g_replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT) DeleteFileA(replaced);
    if (g_replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        MoveFileA(replaced, (std::string(replaced) + ".moved").c_str());
    }
    SetLastError(g_replaceError);
    return FALSE;
}
}  // namespace

TEST(VaultFileWin32, AReplaceThatFailsHalfWayStillPutsTheNewImageInPlace) {
    const std::string folder = MakeTempFolder("plr");
    const std::string vault = folder + "\\logininfo.dat";
    const std::string temp = folder + "\\new.tmp";
    const std::pair<DWORD, bool> cases[] = {{ERROR_UNABLE_TO_MOVE_REPLACEMENT, true},
                                            {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, true},
                                            {ERROR_SHARING_VIOLATION, false}};
    for (const auto& [error, placed] : cases) {
        SCOPED_TRACE(error);
        std::ofstream(vault, std::ios::binary) << "old";
        std::ofstream(temp, std::ios::binary) << "new";
        g_replaceError = error;
        EXPECT_EQ(MoveReplaceWith(FailingReplace, temp, vault), placed);
        EXPECT_EQ(ReadAll(vault), placed ? "new" : "old");
        EXPECT_EQ(GetFileAttributesA(temp.c_str()) != INVALID_FILE_ATTRIBUTES, !placed);
        DeleteFileA((vault + ".moved").c_str());
        DeleteFileA(temp.c_str());
    }
    DeleteFileA(vault.c_str());
    RemoveDirectoryA(folder.c_str());
}

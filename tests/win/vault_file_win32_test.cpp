// The vault's Windows file access: a vault that another process holds open
// refuses both reading and saving, and a save replaces the vault whole.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "store/login_store.h"
#include "support/temp_folder.h"

namespace {

class RecordingSink : public MessageSink {
public:
    void ShowMessage(const char* text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

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

// The vault_holder program, beside the test program, holding `vault` open.
class Holder {
public:
    explicit Holder(const std::string& vault) : m_vault(vault) {
        char module[MAX_PATH];
        GetModuleFileNameA(nullptr, module, MAX_PATH);
        std::string folder(module);
        folder.erase(folder.rfind('\\'));
        std::string command = "\"" + folder + "\\vault_holder.exe\" \"" + vault + "\"";
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
        WaitForSingleObject(m_process.hProcess, 30000);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
        DeleteFileA((m_vault + ".held").c_str());
        DeleteFileA((m_vault + ".release").c_str());
        m_started = false;
    }

private:
    std::string m_vault;
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

}  // namespace

TEST(VaultFileWin32, AVaultHeldByAnotherProcessRefusesLoadingAndSavingAndStaysWhole) {
    const std::string folder = MakeTempFolder("plh");
    const std::string vault = folder + "\\logininfo.dat";
    RecordingSink sink;
    auto store = std::make_unique<LoginStore>();
    store->SetMessageSink(&sink);
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
        ASSERT_FALSE(sink.messages.empty());
        EXPECT_EQ(sink.messages.back(), "Write file failed!");

        auto other = std::make_unique<LoginStore>();
        other->SetMessageSink(&sink);
        sink.messages.clear();
        EXPECT_EQ(other->Open(kDefaultMasterPassword, vault), VaultOpenFailed);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_FALSE(sink.messages[0].empty()) << "the system's description of the refusal";
        EXPECT_FALSE(other->IsOpen());
        holder.Release();
    }
    EXPECT_EQ(ReadAll(vault), before) << "the refused save left the vault as it was";

    // Once the other process is gone the same change saves, and the vault is
    // replaced whole: exactly one image long, no temporary file left behind.
    EXPECT_EQ(store->Save(), VaultOk);
    EXPECT_EQ(FileSize(vault), 56 + 2 * 1668);
    auto reread = std::make_unique<LoginStore>();
    reread->SetMessageSink(&sink);
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

// Any bytes as a vault file, opened under one of a few passwords: the
// loader must refuse what is not a vault without crashing or leaking, and
// whatever it accepts must survive a save and a second load unchanged.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/message_sink.h"
#include "store/login_store.h"

namespace {
// The first input byte picks one; the seed vaults are written under
// "fuzz seed" (byte 1), and "quillmarsh" meets the default content that
// an empty file gets.
const char* const kPasswords[] = {"quillmarsh", "fuzz seed", "", "a rather longer master password"};
constexpr std::size_t kPasswordCount = sizeof kPasswords / sizeof kPasswords[0];

class QuietSink : public MessageSink {
public:
    void ShowMessage(const char*) override {}
};

std::string g_folder;
std::string g_vault;

void RemoveVaultFolder() {
    std::remove(g_vault.c_str());
    ::rmdir(g_folder.c_str());
}

const std::string& VaultPath() {
    if (g_vault.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/pellucorda-fuzz-XXXXXX";
        if (::mkdtemp(&pattern[0]) == nullptr) std::abort();
        g_folder = pattern;
        g_vault = g_folder + "/vault.dat";
        std::atexit(RemoveVaultFolder);
    }
    return g_vault;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietSink sink;
    static std::unique_ptr<LoginStore> store;
    static std::unique_ptr<LoginItem[]> loaded(new LoginItem[kMaxItems]);
    if (!store) {
        store.reset(new LoginStore());
        store->SetMessageSink(&sink);
    }

    const char* password = kPasswords[size == 0 ? 0 : data[0] % kPasswordCount];
    const std::string& path = VaultPath();
    WriteFile(path, size == 0 ? data : data + 1, size == 0 ? 0 : size - 1);

    if (store->Open(password, path) == VaultOk) {
        const std::uint32_t count = store->GetCount();
        if (count > kMaxItems) std::abort();
        for (std::uint32_t i = 0; i < count; ++i) store->GetItem(static_cast<int>(i), loaded[i]);
        LoginItem page[kPageSize];
        std::uint32_t shown = 0;
        store->GoToLastPage();
        store->GetPage(page, shown);
        store->FindByServiceName("a");

        if (store->Save() != VaultOk) std::abort();
        store->Reset();
        if (store->Open(password, path) != VaultOk || store->GetCount() != count) std::abort();
        for (std::uint32_t i = 0; i < count; ++i) {
            LoginItem again;
            store->GetItem(static_cast<int>(i), again);
            if (std::memcmp(&again, &loaded[i], sizeof again) != 0) std::abort();
        }
    }
    store->Reset();
    return 0;
}

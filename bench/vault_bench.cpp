// Load and Save of a full vault of 100 items (166,864 bytes on disk), on a
// real file in a temporary folder: open, lock, read or write, flush and
// cipher, as at every login and after every change.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/vault/login_store.h"
#include "core/vault/vault_message.h"

namespace {

// A store holding a full vault on disk, removed again when the run ends.
class FullVault {
public:
    FullVault() : store(new LoginStore()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/pellucorda-bench-XXXXXX";
        if (::mkdtemp(&pattern[0]) == nullptr) return;
        folder = pattern;
        path = folder + "/logininfo.dat";
        if (store->Open(kDefaultMasterPassword, path) != VaultOk) return;
        while (store->GetCount() < kMaxItems) {
            const std::string n = std::to_string(store->GetCount());
            LoginItem item;
            item.Clear();
            CopyField(item.serviceName, sizeof item.serviceName, ("service " + n).c_str());
            CopyField(item.userName, sizeof item.userName, ("user" + n).c_str());
            CopyField(item.password, sizeof item.password, ("password" + n).c_str());
            CopyField(item.serviceAddress, sizeof item.serviceAddress, ("https://host" + n + ".example/").c_str());
            CopyField(item.description, sizeof item.description, std::string(200, 'd').c_str());
            store->AddItem(item);
        }
        ready = store->Save() == VaultOk;
    }
    ~FullVault() {
        store.reset();
        if (!path.empty() && std::remove(path.c_str()) != 0) std::perror(path.c_str());
        if (!folder.empty()) ::rmdir(folder.c_str());
    }

    // What the store's last operation has to tell, in the program's words.
    std::string Told() const { return VaultMessage(store->LastFailure()); }

    std::unique_ptr<LoginStore> store;
    std::string folder;
    std::string path;
    bool ready = false;
};

void BM_VaultLoad(benchmark::State& state) {
    FullVault vault;
    if (!vault.ready) {
        state.SkipWithError(("no vault: " + vault.Told()).c_str());
        return;
    }
    for (auto _ : state) {
        if (vault.store->Load() != VaultOk) {
            state.SkipWithError(vault.Told().c_str());
            break;
        }
    }
    state.SetLabel("vault_load_100 us");
}
BENCHMARK(BM_VaultLoad)->Unit(benchmark::kMicrosecond);

void BM_VaultSave(benchmark::State& state) {
    FullVault vault;
    if (!vault.ready) {
        state.SkipWithError(("no vault: " + vault.Told()).c_str());
        return;
    }
    for (auto _ : state) {
        if (vault.store->Save() != VaultOk) {
            state.SkipWithError(vault.Told().c_str());
            break;
        }
    }
    state.SetLabel("vault_save_100 us");
}
BENCHMARK(BM_VaultSave)->Unit(benchmark::kMicrosecond);

}  // namespace

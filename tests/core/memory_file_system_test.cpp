// The fuzz targets judge the store on the in-memory disk, so it must behave
// there as on the real one: the same images, the same refusals and messages,
// the same files left behind, failures included.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "memory_file_system.h"
#include "store_test_support.h"

namespace {
using Transcript = std::vector<std::string>;

std::string Hash(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
    return std::to_string(hash);
}

class DiskTwinTest : public StoreTest {
protected:
    // One life of a vault: locked and created, filled, held by a second
    // writer and a second opener, changed behind the store's back, saved while
    // the disk fills up or refuses the replace, read while reading fails.
    template <class Faults>
    Transcript Live(FileSystem& files, Faults& faults, const std::string& path,
                    const std::function<std::vector<std::string>()>& names,
                    const std::function<std::vector<std::uint8_t>()>& vault) {
        Transcript out;
        auto note = [&](const std::string& step, int result) {
            out.push_back(step + ": " + std::to_string(result) + " [" + LastTold(*store) + "] " +
                          std::to_string(vault().size()) + " bytes " + Hash(vault()) + " count " +
                          std::to_string(store->GetCount()));
            for (const std::string& name : names()) out.back() += " " + name;
        };
        store->SetFileSystem(&files);
        note("lock", store->LockWriter(path));
        note("open new", store->Open(kDefaultMasterPassword, path));
        {
            bool heldElsewhere = false;
            const std::unique_ptr<FileLock> second = files.TryLock(path + kWriterLockSuffix, heldElsewhere);
            note("second writer", second ? 0 : heldElsewhere ? 1 : 2);
        }
        store->AddItem(MakeItem("bank"));
        note("save", store->Save());
        {
            std::string error;
            std::unique_ptr<FileHandle> holder = files.OpenExclusive(path, error);
            note("held open", store->Save());
            store->Reset();
            note("open held", store->Open(kDefaultMasterPassword, path));
        }
        note("open", store->Open(kDefaultMasterPassword, path));
        {
            // Another program writes the vault longer than it was.
            std::vector<std::uint8_t> longer = vault();
            longer.resize(longer.size() + 16, 0);
            std::string error;
            std::unique_ptr<FileHandle> other = files.OpenExclusive(path, error);
            other->Write(longer.data(), longer.size());
        }
        store->AddItem(MakeItem("shop"));
        note("save, changed since load", store->Save());
        store->Reset();
        note("open changed", store->Open(kDefaultMasterPassword, path));
        store->AddItem(MakeItem("shop"));
        faults.writeLimit = 2000;
        note("save, disk fills", store->Save());
        faults.writeLimit = -1;
        faults.failMove = true;
        note("save, no replace", store->Save());
        faults.failMove = false;
        faults.failRead = true;
        store->Reset();
        note("open, read fails", store->Open(kDefaultMasterPassword, path));
        store->SetFileSystem(nullptr);
        return out;
    }
};
}  // namespace

TEST_F(DiskTwinTest, TheStoreLeavesTheSameFilesInMemoryAsOnDisk) {
    FaultyFileSystem disk;
    const Transcript onDisk = Live(
        disk, disk, dir.Path("vault.dat"), [this] { return dir.Names(); },
        [this] { return ReadBytes(dir.Path("vault.dat")); });

    MemoryFileSystem memory;
    const Transcript inMemory = Live(
        memory, memory.faults, "vault.dat", [&memory] { return memory.Names(); },
        [&memory] { return memory.Contents("vault.dat"); });

    EXPECT_EQ(inMemory, onDisk);
}

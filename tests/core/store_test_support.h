#pragma once
// Shared by the store's tests: a fresh folder per test, what the store has to
// tell in the words the program and the tool use, a file system that fails on
// request, and an independent builder of vault images.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "core/crypto/password_crypto.h"
#include "core/vault/login_store.h"
#include "core/vault/vault_message.h"

inline bool AllZero(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

// What the store's last operation has to tell, as the program shows it and
// the tool prints it: one text, or none.
inline std::vector<std::string> Told(const LoginStore& store) {
    const VaultFailure& failure = store.LastFailure();
    if (failure.result == VaultOk) return {};
    return {VaultMessage(failure)};
}

inline std::string LastTold(const LoginStore& store) {
    const std::vector<std::string> told = Told(store);
    return told.empty() ? std::string() : told.back();
}

// Whether the store object's own bytes hold `text` anywhere: a copy of a
// password it was given, say.
inline bool StoreHoldsText(const LoginStore& store, const std::string& text) {
    const auto* begin = reinterpret_cast<const char*>(&store);
    const char* end = begin + sizeof store;
    return std::search(begin, end, text.begin(), text.end()) != end;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellucorda-test-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_path = name.data();
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }

    std::vector<std::string> Names() const { return Names(m_path); }
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
};

// Runs the test inside a folder, for the operations that use bare names.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& folder) : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
    }

private:
    std::filesystem::path m_previous;
};

// Passes everything to the real file system, failing where a test asks.
class FaultyFileSystem : public FileSystem {
public:
    // A handle that has written this many bytes fails its next Write after
    // writing what still fits: a disk that fills up part-way. -1: no limit.
    long long writeLimit = -1;
    bool failRead = false;
    bool failMove = false;
    // When set, opening fails with this as the system's description.
    std::string openError;

    std::unique_ptr<FileHandle> OpenExclusive(const std::string& path, std::string& error) override {
        if (!openError.empty()) {
            error = openError;
            return nullptr;
        }
        return Wrap(DefaultFileSystem().OpenExclusive(path, error));
    }
    std::unique_ptr<FileHandle> OpenForReading(const std::string& path, std::string& error) override {
        return Wrap(DefaultFileSystem().OpenForReading(path, error));
    }
    bool StampOf(const std::string& path, FileStamp& stamp) override {
        return DefaultFileSystem().StampOf(path, stamp);
    }
    std::unique_ptr<FileHandle> CreateTempBeside(const std::string& path, std::string& tempPath) override {
        return Wrap(DefaultFileSystem().CreateTempBeside(path, tempPath));
    }
    bool MoveReplace(const std::string& from, const std::string& to) override {
        return !failMove && DefaultFileSystem().MoveReplace(from, to);
    }
    bool Remove(const std::string& path) override { return DefaultFileSystem().Remove(path); }
    std::string FinalPath(const std::string& path) override { return DefaultFileSystem().FinalPath(path); }
    std::unique_ptr<FileLock> TryLock(const std::string& path, bool& heldElsewhere) override {
        return DefaultFileSystem().TryLock(path, heldElsewhere);
    }

private:
    class Handle : public FileHandle {
    public:
        Handle(std::unique_ptr<FileHandle> inner, FaultyFileSystem& owner)
            : m_inner(std::move(inner)), m_owner(owner) {}
        bool SeekToStart() override { return m_inner->SeekToStart(); }
        bool GetLength(std::uint64_t& length) override { return m_inner->GetLength(length); }
        bool Read(void* data, std::size_t size, std::size_t& got) override {
            got = 0;
            return !m_owner.failRead && m_inner->Read(data, size, got);
        }
        bool Write(const void* data, std::size_t size) override {
            const long long limit = m_owner.writeLimit;
            if (limit >= 0 && m_written + static_cast<long long>(size) > limit) {
                const auto fits = static_cast<std::size_t>(limit - m_written);
                if (fits > 0) m_inner->Write(data, fits);
                m_written = limit;
                return false;
            }
            m_written += static_cast<long long>(size);
            return m_inner->Write(data, size);
        }
        bool Flush() override { return m_inner->Flush(); }
        bool Truncate(std::uint64_t length) override { return m_inner->Truncate(length); }
        bool GetStamp(FileStamp& stamp) override { return m_inner->GetStamp(stamp); }
        void Close() override { m_inner->Close(); }

    private:
        std::unique_ptr<FileHandle> m_inner;
        FaultyFileSystem& m_owner;
        long long m_written = 0;
    };

    std::unique_ptr<FileHandle> Wrap(std::unique_ptr<FileHandle> inner) {
        if (!inner) return nullptr;
        return std::unique_ptr<FileHandle>(new Handle(std::move(inner), *this));
    }
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline LoginItem MakeItem(const std::string& service, const std::string& user = "user",
                          const std::string& password = "secret", std::int32_t type = ADDRESS_HTTPS) {
    LoginItem item;
    item.Clear();
    CopyField(item.serviceName, sizeof item.serviceName, service.c_str());
    CopyField(item.userName, sizeof item.userName, user.c_str());
    CopyField(item.password, sizeof item.password, password.c_str());
    CopyField(item.serviceAddress, sizeof item.serviceAddress, ("https://" + service + ".example/").c_str());
    CopyField(item.description, sizeof item.description, ("about " + service).c_str());
    item.addressType = type;
    return item;
}

// The plain image laid out field by field from the format's offsets, so the
// store's own serialiser is checked against a second, independent one.
inline std::vector<std::uint8_t> PlainImage(const char* password, const std::vector<LoginItem>& items,
                                            std::uint32_t count, const char tag[4]) {
    std::vector<std::uint8_t> image(56, 0);
    DigestPassword(password, image.data());
    std::memcpy(&image[16], tag, 4);
    for (int i = 0; i < 4; ++i) image[20 + i] = static_cast<std::uint8_t>(count >> (8 * i));
    for (const LoginItem& item : items) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&item);
        image.insert(image.end(), bytes, bytes + sizeof item);
    }
    while (image.size() % 16 != 0) image.push_back(0);
    return image;
}

inline std::vector<std::uint8_t> VaultImage(const char* password, const std::vector<LoginItem>& items,
                                            std::uint32_t count, const char tag[4] = "v01") {
    std::vector<std::uint8_t> image = PlainImage(password, items, count, tag);
    std::uint8_t key[kDigestSize];
    DigestPassword(password, key);
    EncryptBuffer(image.data(), static_cast<std::uint32_t>(image.size() / 16), key);
    return image;
}

inline std::vector<std::uint8_t> Decrypted(std::vector<std::uint8_t> bytes, const char* password) {
    std::uint8_t key[kDigestSize];
    DigestPassword(password, key);
    DecryptBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size() / 16), key);
    return bytes;
}

// A store of 2 MiB is too big for the stack.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { store = std::make_unique<LoginStore>(); }

    // Opens (creating when missing) the vault "vault.dat" of the test's folder.
    bool OpenVault(const char* password, const std::string& name = "vault.dat") {
        return store->Open(password, dir.Path(name)) == VaultOk;
    }

    // Opens the vault "vault.dat" that an earlier run made.
    bool OpenEarlierVault(const char* password) {
        if (!std::filesystem::exists(dir.Path("vault.dat"))) {
            std::make_unique<LoginStore>()->Open(password, dir.Path("vault.dat"));
        }
        return OpenVault(password);
    }

    TempDir dir;
    std::unique_ptr<LoginStore> store;
};

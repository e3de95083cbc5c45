#pragma once
// A registry held in memory. It answers every call the settings make as the
// Win32 registry does (result codes, sizes, dispositions, the terminating zero
// of string reads, key and value names compared without regard to case), so
// native tests of the settings mean something. It also plays the parts that
// are hard to arrange in a real registry: keys a standard user may only read,
// keys nobody may open, and writes that fail.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/registry.h"

class MemoryRegistry : public Registry {
public:
    // Who may open a key.
    enum class KeyPolicy {
        Open,      // any access
        ReadOnly,  // KEY_READ only, as HKEY_CLASSES_ROOT keys are for a standard user
        Denied,    // no access at all
    };

    // One attempted SetValue, in call order, whatever its outcome.
    struct Write {
        RegistryRoot root;
        std::string keyPath;
        std::string name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
        long result;
    };

    MemoryRegistry();
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    long CreateKey(RegistryRoot root, const char* subKey, RegistryKey& key, RegistryDisposition& disposition) override;
    long OpenKey(RegistryRoot root, const char* subKey, RegistryAccess access, RegistryKey& key) override;
    long OpenKey(RegistryKey parent, const char* subKey, RegistryAccess access, RegistryKey& key) override;
    // A too-small buffer receives the leading bytes that fit: one of the
    // outcomes that "undefined contents" allows, and the one most likely to
    // mislead a caller that uses the buffer anyway.
    long QueryValue(RegistryKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override;
    long SetValue(RegistryKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override;
    // Values enumerate in the order they were first set.
    long EnumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                   std::uint8_t* data, std::uint32_t* dataSize) override;
    long CloseKey(RegistryKey key) override;

    // Arranging and inspecting the contents directly, bypassing policies and
    // failures. Key paths are relative to the root, separated by backslashes.
    void PutKey(RegistryRoot root, const std::string& keyPath);
    void PutValue(RegistryRoot root, const std::string& keyPath, const std::string& name, std::uint32_t type,
                  const void* data, std::size_t size);
    // A REG_SZ value with its terminating zero.
    void PutString(RegistryRoot root, const std::string& keyPath, const std::string& name, const std::string& text);
    void PutByte(RegistryRoot root, const std::string& keyPath, const std::string& name, std::uint8_t byte);
    bool RemoveValue(RegistryRoot root, const std::string& keyPath, const std::string& name);
    bool HasKey(RegistryRoot root, const std::string& keyPath) const;
    bool HasValue(RegistryRoot root, const std::string& keyPath, const std::string& name) const;
    // False when the value is missing.
    bool GetValue(RegistryRoot root, const std::string& keyPath, const std::string& name, std::uint32_t& type,
                  std::vector<std::uint8_t>& data) const;
    // The value's bytes up to the first zero; empty when missing.
    std::string GetText(RegistryRoot root, const std::string& keyPath, const std::string& name) const;

    // Creates the key when it is missing.
    void SetKeyPolicy(RegistryRoot root, const std::string& keyPath, KeyPolicy policy);
    // Every later SetValue of this value returns `error` and changes nothing.
    void FailWrites(RegistryRoot root, const std::string& keyPath, const std::string& name,
                    long error = kRegAccessDenied);
    // Every later SetValue returns `error`; kRegOk ends it.
    void FailAllWrites(long error);

    const std::vector<Write>& Writes() const { return m_writes; }
    void ClearWrites() { m_writes.clear(); }
    std::size_t OpenKeyCount() const { return m_handles.size(); }

private:
    struct Value {
        std::string name;  // as first set, for enumeration
        std::uint32_t type = kRegNone;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::string path;  // as first created, for the write log
        std::vector<Value> values;
        KeyPolicy policy = KeyPolicy::Open;
    };
    struct Handle {
        RegistryRoot root;
        std::string path;  // normalised
        RegistryAccess access;
    };
    using KeyId = std::pair<RegistryRoot, std::string>;

    // Empty components dropped; `fold` lowers ASCII letters, for look-ups.
    static std::string Normalize(const std::string& path, bool fold);
    Key* FindKey(RegistryRoot root, const std::string& path);
    const Key* FindKey(RegistryRoot root, const std::string& path) const;
    Key& MakeKey(RegistryRoot root, const std::string& path, bool& created);
    static Value* FindValue(Key& key, const std::string& name);
    static const Value* FindValue(const Key& key, const std::string& name);
    // The value of that name, added last (for enumeration) when missing.
    static Value& FindOrAddValue(Key& key, const std::string& name);
    const Handle* FindHandle(RegistryKey key) const;
    long Open(RegistryRoot root, const std::string& path, RegistryAccess access, RegistryKey& key);
    RegistryKey NewHandle(RegistryRoot root, const std::string& path, RegistryAccess access);
    static long CopyOut(const Value& value, std::uint8_t* data, std::uint32_t* size);

    std::map<KeyId, Key> m_keys;
    std::map<std::uintptr_t, Handle> m_handles;
    std::uintptr_t m_nextHandle = 1;
    std::map<std::pair<KeyId, std::string>, long> m_failingWrites;
    long m_failAllWrites = kRegOk;
    std::vector<Write> m_writes;
};

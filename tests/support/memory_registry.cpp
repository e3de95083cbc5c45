#include "memory_registry.h"

#include <algorithm>
#include <cstring>

namespace {

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(const std::string& text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), FoldCase);
    return out;
}

bool IsStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

std::string Parent(const std::string& path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
    m_keys[KeyId(RegistryRoot::CurrentUser, std::string())] = Key();
    m_keys[KeyId(RegistryRoot::ClassesRoot, std::string())] = Key();
}

std::string MemoryRegistry::Normalize(const std::string& path, bool fold) {
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            if (!out.empty()) {
                out += '\\';
            }
            out.append(path, start, end - start);
        }
        start = end + 1;
    }
    return fold ? Folded(out) : out;
}

MemoryRegistry::Key* MemoryRegistry::FindKey(RegistryRoot root, const std::string& path) {
    const auto it = m_keys.find(KeyId(root, path));
    return it == m_keys.end() ? nullptr : &it->second;
}

const MemoryRegistry::Key* MemoryRegistry::FindKey(RegistryRoot root, const std::string& path) const {
    const auto it = m_keys.find(KeyId(root, path));
    return it == m_keys.end() ? nullptr : &it->second;
}

MemoryRegistry::Key& MemoryRegistry::MakeKey(RegistryRoot root, const std::string& displayPath, bool& created) {
    created = false;
    const std::string display = Normalize(displayPath, false);
    Key* key = &m_keys[KeyId(root, std::string())];
    std::size_t start = 0;
    while (start < display.size()) {
        std::size_t end = display.find('\\', start);
        if (end == std::string::npos) {
            end = display.size();
        }
        const std::string prefix = display.substr(0, end);
        const KeyId id(root, Folded(prefix));
        auto it = m_keys.find(id);
        if (it == m_keys.end()) {
            Key fresh;
            fresh.path = prefix;
            it = m_keys.emplace(id, fresh).first;
            created = true;
        } else {
            created = false;
        }
        key = &it->second;
        start = end + 1;
    }
    return *key;
}

MemoryRegistry::Value* MemoryRegistry::FindValue(Key& key, const std::string& name) {
    const std::string folded = Folded(name);
    for (Value& value : key.values) {
        if (Folded(value.name) == folded) {
            return &value;
        }
    }
    return nullptr;
}

const MemoryRegistry::Value* MemoryRegistry::FindValue(const Key& key, const std::string& name) {
    return FindValue(const_cast<Key&>(key), name);
}

MemoryRegistry::Value& MemoryRegistry::FindOrAddValue(Key& key, const std::string& name) {
    if (Value* value = FindValue(key, name)) {
        return *value;
    }
    key.values.push_back(Value());
    key.values.back().name = name;
    return key.values.back();
}

const MemoryRegistry::Handle* MemoryRegistry::FindHandle(RegistryKey key) const {
    const auto it = m_handles.find(reinterpret_cast<std::uintptr_t>(key));
    return it == m_handles.end() ? nullptr : &it->second;
}

RegistryKey MemoryRegistry::NewHandle(RegistryRoot root, const std::string& path, RegistryAccess access) {
    const std::uintptr_t id = m_nextHandle++;
    m_handles[id] = Handle{root, path, access};
    return reinterpret_cast<RegistryKey>(id);
}

long MemoryRegistry::CreateKey(RegistryRoot root, const char* subKey, RegistryKey& key,
                               RegistryDisposition& disposition) {
    if (subKey == nullptr) {
        return kRegInvalidParameter;
    }
    const std::string path = Normalize(subKey, true);
    if (const Key* existing = FindKey(root, path)) {
        if (existing->policy != KeyPolicy::Open) {
            return kRegAccessDenied;
        }
        key = NewHandle(root, path, RegistryAccess::Full);
        disposition = RegistryDisposition::OpenedExistingKey;
        return kRegOk;
    }
    // Creating a sub-key needs write access to the nearest key that exists.
    std::string ancestor = Parent(path);
    while (FindKey(root, ancestor) == nullptr) {
        ancestor = Parent(ancestor);
    }
    if (FindKey(root, ancestor)->policy != KeyPolicy::Open) {
        return kRegAccessDenied;
    }
    bool created = false;
    MakeKey(root, subKey, created);
    key = NewHandle(root, path, RegistryAccess::Full);
    disposition = RegistryDisposition::CreatedNewKey;
    return kRegOk;
}

long MemoryRegistry::Open(RegistryRoot root, const std::string& path, RegistryAccess access, RegistryKey& key) {
    const Key* found = FindKey(root, path);
    if (found == nullptr) {
        return kRegNotFound;
    }
    if (found->policy == KeyPolicy::Denied ||
        (found->policy == KeyPolicy::ReadOnly && access != RegistryAccess::Read)) {
        return kRegAccessDenied;
    }
    key = NewHandle(root, path, access);
    return kRegOk;
}

long MemoryRegistry::OpenKey(RegistryRoot root, const char* subKey, RegistryAccess access, RegistryKey& key) {
    return Open(root, Normalize(subKey == nullptr ? "" : subKey, true), access, key);
}

long MemoryRegistry::OpenKey(RegistryKey parent, const char* subKey, RegistryAccess access, RegistryKey& key) {
    const Handle* handle = FindHandle(parent);
    if (handle == nullptr) {
        return kRegInvalidHandle;
    }
    const std::string path = Normalize(handle->path + "\\" + (subKey == nullptr ? "" : subKey), true);
    return Open(handle->root, path, access, key);
}

long MemoryRegistry::CopyOut(const Value& value, std::uint8_t* data, std::uint32_t* size) {
    const auto length = static_cast<std::uint32_t>(value.data.size());
    if (data == nullptr) {
        if (size != nullptr) {
            *size = length;
        }
        return kRegOk;
    }
    if (size == nullptr) {
        return kRegInvalidParameter;
    }
    const std::uint32_t room = *size;
    *size = length;
    if (length > room) {
        if (room != 0) {
            std::memcpy(data, value.data.data(), room);
        }
        return kRegMoreData;
    }
    if (length != 0) {
        std::memcpy(data, value.data.data(), length);
    }
    // An unterminated string gets its zero when there is room for it.
    if (IsStringType(value.type) && length != 0 && length < room && data[length - 1] != 0) {
        data[length] = 0;
    }
    return kRegOk;
}

long MemoryRegistry::QueryValue(RegistryKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* size) {
    const Handle* handle = FindHandle(key);
    if (handle == nullptr) {
        return kRegInvalidHandle;
    }
    const Value* value = FindValue(*FindKey(handle->root, handle->path), name == nullptr ? "" : name);
    if (value == nullptr) {
        return kRegNotFound;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    return CopyOut(*value, data, size);
}

long MemoryRegistry::SetValue(RegistryKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                              std::uint32_t size) {
    const Handle* handle = FindHandle(key);
    if (handle == nullptr) {
        return kRegInvalidHandle;
    }
    Key& target = *FindKey(handle->root, handle->path);
    const std::string valueName = name == nullptr ? "" : name;
    Write write{handle->root, target.path, valueName, type, {}, kRegOk};
    if (data != nullptr) {
        write.data.assign(data, data + size);
    }
    const auto failing = m_failingWrites.find({KeyId(handle->root, handle->path), Folded(valueName)});
    if (handle->access != RegistryAccess::Full) {
        write.result = kRegAccessDenied;
    } else if (data == nullptr && size != 0) {
        write.result = kRegInvalidParameter;
    } else if (m_failAllWrites != kRegOk) {
        write.result = m_failAllWrites;
    } else if (failing != m_failingWrites.end()) {
        write.result = failing->second;
    }
    if (write.result == kRegOk) {
        Value& value = FindOrAddValue(target, valueName);
        value.type = type;
        value.data = write.data;
    }
    m_writes.push_back(write);
    return write.result;
}

long MemoryRegistry::EnumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                               std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    const Handle* handle = FindHandle(key);
    if (handle == nullptr) {
        return kRegInvalidHandle;
    }
    if (name == nullptr || nameSize == nullptr) {
        return kRegInvalidParameter;
    }
    const Key& found = *FindKey(handle->root, handle->path);
    if (index >= found.values.size()) {
        return kRegNoMoreItems;
    }
    const Value& value = found.values[index];
    if (type != nullptr) {
        *type = value.type;
    }
    long result = CopyOut(value, data, dataSize);
    const auto nameLength = static_cast<std::uint32_t>(value.name.size());
    if (nameLength >= *nameSize) {
        // The name is cut to the buffer, still zero-terminated.
        if (*nameSize != 0) {
            std::memcpy(name, value.name.data(), *nameSize - 1);
            name[*nameSize - 1] = '\0';
        }
        result = kRegMoreData;
    } else {
        std::memcpy(name, value.name.c_str(), nameLength + 1);
        *nameSize = nameLength;
    }
    return result;
}

long MemoryRegistry::CloseKey(RegistryKey key) {
    return m_handles.erase(reinterpret_cast<std::uintptr_t>(key)) == 1 ? kRegOk : kRegInvalidHandle;
}

void MemoryRegistry::PutKey(RegistryRoot root, const std::string& keyPath) {
    bool created = false;
    MakeKey(root, keyPath, created);
}

void MemoryRegistry::PutValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                              std::uint32_t type, const void* data, std::size_t size) {
    bool created = false;
    Value& value = FindOrAddValue(MakeKey(root, keyPath, created), name);
    value.type = type;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    value.data.assign(bytes, bytes + size);
}

void MemoryRegistry::PutString(RegistryRoot root, const std::string& keyPath, const std::string& name,
                               const std::string& text) {
    PutValue(root, keyPath, name, kRegSz, text.c_str(), text.size() + 1);
}

void MemoryRegistry::PutByte(RegistryRoot root, const std::string& keyPath, const std::string& name,
                             std::uint8_t byte) {
    PutValue(root, keyPath, name, kRegBinary, &byte, 1);
}

bool MemoryRegistry::RemoveValue(RegistryRoot root, const std::string& keyPath, const std::string& name) {
    Key* key = FindKey(root, Normalize(keyPath, true));
    if (key == nullptr) {
        return false;
    }
    const Value* value = FindValue(*key, name);
    if (value == nullptr) {
        return false;
    }
    key->values.erase(key->values.begin() + (value - key->values.data()));
    return true;
}

bool MemoryRegistry::HasKey(RegistryRoot root, const std::string& keyPath) const {
    return FindKey(root, Normalize(keyPath, true)) != nullptr;
}

bool MemoryRegistry::HasValue(RegistryRoot root, const std::string& keyPath, const std::string& name) const {
    const Key* key = FindKey(root, Normalize(keyPath, true));
    return key != nullptr && FindValue(*key, name) != nullptr;
}

bool MemoryRegistry::GetValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                              std::uint32_t& type, std::vector<std::uint8_t>& data) const {
    const Key* key = FindKey(root, Normalize(keyPath, true));
    const Value* value = key == nullptr ? nullptr : FindValue(*key, name);
    if (value == nullptr) {
        return false;
    }
    type = value->type;
    data = value->data;
    return true;
}

std::string MemoryRegistry::GetText(RegistryRoot root, const std::string& keyPath, const std::string& name) const {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
    if (!GetValue(root, keyPath, name, type, data)) {
        return std::string();
    }
    const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
    return std::string(data.begin(), end);
}

void MemoryRegistry::SetKeyPolicy(RegistryRoot root, const std::string& keyPath, KeyPolicy policy) {
    bool created = false;
    MakeKey(root, keyPath, created).policy = policy;
}

void MemoryRegistry::FailWrites(RegistryRoot root, const std::string& keyPath, const std::string& name, long error) {
    m_failingWrites[{KeyId(root, Normalize(keyPath, true)), Folded(name)}] = error;
}

void MemoryRegistry::FailAllWrites(long error) { m_failAllWrites = error; }

#pragma once
// Containers for secrets whose every heap block is wiped before it goes back
// to the allocator, including the blocks a growing string leaves behind.
#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "base/secure_wipe.h"

template <typename T>
class WipingAllocator {
public:
    using value_type = T;

    WipingAllocator() = default;
    template <typename U>
    WipingAllocator(const WipingAllocator<U>&) {}

    T* allocate(std::size_t count) { return static_cast<T*>(::operator new(count * sizeof(T))); }
    void deallocate(T* block, std::size_t count) {
        SecureWipe(block, count * sizeof(T));
        ::operator delete(block);
    }

    template <typename U>
    bool operator==(const WipingAllocator<U>&) const {
        return true;
    }
    template <typename U>
    bool operator!=(const WipingAllocator<U>&) const {
        return false;
    }
};

using SecretString = std::basic_string<char, std::char_traits<char>, WipingAllocator<char>>;
// The vector's own block holds short strings in place: it is wiped too.
using SecretStrings = std::vector<SecretString, WipingAllocator<SecretString>>;

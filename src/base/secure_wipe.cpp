#include "base/secure_wipe.h"

#include <cstring>

namespace {
// Called through a volatile pointer, so the compiler cannot prove the store
// dead and drop it, whatever it knows about the buffer's later use.
void* (*const volatile g_memset)(void*, int, std::size_t) = std::memset;
}  // namespace

void SecureWipe(void* data, std::size_t length) {
    if (data != nullptr && length != 0) {
        g_memset(data, 0, length);
    }
}

void WipeString(std::string& text) {
    // Growing to the capacity never reallocates, and makes the bytes a
    // shorter text left behind part of the string, so they are wiped too.
    text.resize(text.capacity());
    SecureWipe(&text[0], text.size());
    text.clear();
}

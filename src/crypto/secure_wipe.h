#pragma once
// Wiping secrets (keys, passwords, decrypted images) in a way the optimiser
// cannot drop as a dead store.
#include <cstddef>

void SecureWipe(void* data, std::size_t length);

#pragma once
// Wiping secrets (keys, passwords, decrypted images) in a way the optimiser
// cannot drop as a dead store.
#include <cstddef>
#include <string>

void SecureWipe(void* data, std::size_t length);

// Wipes every byte the string holds, including what is left past its
// length from longer contents, then empties it.
void WipeString(std::string& text);

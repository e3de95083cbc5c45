#pragma once
// The words for what a vault operation has to tell the user: the program
// shows them in a message box, the tool writes them to standard error. The
// store itself says nothing; its callers ask LastFailure and put it here.
#include <string>

#include "core/vault/login_store.h"

constexpr const char kVaultBusyMessage[] =
    "The service information file is being changed by another program, please try again later!";

// The text for `failure`; empty when its result is VaultOk (nothing to tell).
// An open that failed is told in the file layer's own words, cut to what a
// message box of ours takes (255 bytes), never in the middle of a double-byte
// character.
std::string VaultMessage(const VaultFailure& failure);

#include "ui/vault_message.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "core/vault/login_store.h"
#include "core/vault/vault_message.h"

void ShowVaultMessage(const LoginStore& store) {
    const VaultFailure& failure = store.LastFailure();
    if (failure.result == VaultOk) return;
    const std::string text = VaultMessage(failure);
    MessageBoxA(GetActiveWindow(), text.c_str(), "Pellucorda", MB_OK | MB_ICONEXCLAMATION);
}

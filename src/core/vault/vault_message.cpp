#include "core/vault/vault_message.h"

#include "base/codepage.h"

namespace {
constexpr std::size_t kMaxMessageLength = 255;

std::string CutMessage(const std::string& text) {
    if (text.size() <= kMaxMessageLength) return text;
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + (IsAnsiLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1);
        if (next > kMaxMessageLength) break;
        end = next;
    }
    return text.substr(0, end);
}
}  // namespace

std::string VaultMessage(const VaultFailure& failure) {
    switch (failure.result) {
    case VaultOk: return std::string();
    case VaultOpenFailed: return CutMessage(failure.systemError);
    case VaultWriteFailed: return "Write file failed!";
    case VaultReadFailed: return "Read file failed!";
    case VaultDamaged: return "File is damaged!";
    case VaultBadName: return "File name is invalid!";
    case VaultWrongPassword: return "please input correct password!";
    case VaultInUse: return kVaultBusyMessage;
    case VaultChanged:
        return "The service information file was changed by another program since login, so it was not "
               "overwritten! Lock, log in again and repeat the change.";
    case VaultCreatedNew: return std::string();  // the caller explains it
    }
    return std::string();
}

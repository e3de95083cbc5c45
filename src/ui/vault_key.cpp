#include "ui/vault_key.h"

#include <cstddef>

#include "base/codepage.h"
#include "base/secure_wipe.h"
#include "core/vault/login_store.h"
#include "framework/framework.h"
#include "ui/app_services.h"
#include "ui/vault_key_dlg.h"
#include "ui/vault_message.h"
#include "ui/wait_cursor.h"

namespace {

const char kNotLoggedIn[] = "Nobody is logged in: log in to switch the vault's key.";

int Tell(CWnd& owner, const std::string& text) {
    return owner.MsgBox(text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

// As the store counts a master password: a double-byte character is one.
int CharacterCount(const std::string& text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++count) {
        if (IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
    }
    return count;
}

std::string Plural(std::uint32_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string DescribeCost(const Argon2Parameters& strong) {
    std::string text = "Argon2id, ";
    text += strong.memoryKiB % 1024 == 0 ? std::to_string(strong.memoryKiB / 1024) + " MiB"
                                         : std::to_string(strong.memoryKiB) + " KiB";
    text += ", " + Plural(strong.passes, "pass", "passes");
    if (strong.lanes > 1) text += ", " + Plural(strong.lanes, "lane", "lanes");
    return text;
}

// What the outcome of a switch that saved means for the backup.
std::string BackupOutcome(BackupResult backup) {
    switch (backup) {
    case BackupResult::Written: return " So has its backup.";
    case BackupResult::KeptPrevious:
        return " The backup keeps the previous key: this vault was made new in this run, and the backup may hold "
               "logins it lacks.";
    case BackupResult::Failed: break;
    }
    return " Its backup could not be written: the backup folder may still hold a copy with the previous key.";
}

}  // namespace

std::string DescribeVaultKey(VaultFormat format, const Argon2Parameters& strong) {
    if (format == VaultFormat::Strong) {
        return "Vault key: strong (" + DescribeCost(strong) +
               "). Each guess costs an attacker as much memory and time as a login.";
    }
    return "Vault key: fast and compatible. Anyone with a copy of the vault file can try billions of passwords a "
           "second.";
}

bool SwitchVaultKey(CWnd& owner, AppServices& services) {
    LoginStore& store = services.Store();
    if (!services.IsLoggedIn() || !store.IsOpen()) {
        Tell(owner, kNotLoggedIn);
        return false;
    }
    const VaultFormat current = store.GetFormat();
    const VaultFormat target = current == VaultFormat::Strong ? VaultFormat::Compatible : VaultFormat::Strong;
    const int newMaxChars = MaxMasterPasswordChars(target);
    const std::string limit = std::to_string(newMaxChars) + " characters";
    std::string caption;
    std::string note;
    if (target == VaultFormat::Strong) {
        caption = "Use the Strong Key";
        note = "Type your master password. To change it too, type a new one (up to " + limit + ") twice.";
    } else {
        const std::string warning =
            "With the compatible key, anyone with a copy of the vault file or its backup can try billions of "
            "passwords a second, and a master password has at most " +
            limit + ".\n\nUse the compatible key?";
        if (owner.MsgBox(warning.c_str(), nullptr, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) return false;
        caption = "Use the Compatible Key";
        note = "Type your master password. To change it too, type a new one (up to " + limit +
               ") twice: a longer one must change.";
    }
    CVaultKeyDlg dialog(&owner, caption, note, MaxMasterPasswordChars(current), newMaxChars);
    dialog.SetStillWanted([&] { return services.IsLoggedIn() && store.IsOpen(); });
    for (;;) {
        if (dialog.DoModal() != IDOK) return false;
        if (dialog.m_strNew != dialog.m_strConfirm) {
            Tell(owner, "The two new password not matched!");
        } else if (dialog.m_strNew.empty() && CharacterCount(dialog.m_strCurrent) > newMaxChars) {
            Tell(owner, "Your master password is longer than the compatible key takes: type a new one of at most " +
                            limit + ".");
        } else {
            break;
        }
        dialog.ResetNewPassword();
    }
    // Locked while the dialog was open: there is no vault to switch.
    if (!services.IsLoggedIn() || !store.IsOpen()) {
        Tell(owner, kNotLoggedIn);
        return false;
    }
    const std::string& kept = dialog.m_strNew.empty() ? dialog.m_strCurrent : dialog.m_strNew;
    VaultResult result = VaultOk;
    {
        const WaitCursor wait;
        result = store.ChangePassword(dialog.m_strCurrent.c_str(), kept.c_str(), target);
    }
    // Not kept while the outcome is told.
    WipeString(dialog.m_strCurrent);
    dialog.ResetNewPassword();
    ShowVaultMessage(store);
    if (result == VaultWrongPassword) {
        Tell(owner, "Not modified, because old password dismatched!");
        return false;
    }
    if (result != VaultOk) {
        Tell(owner, "Modify password failed!");
        return false;
    }
    // No copy with the previous key stays where the program writes its backup.
    const BackupResult backup = services.BackUp();
    Tell(owner, std::string(target == VaultFormat::Strong ? "The vault now has the strong key."
                                                          : "The vault now has the compatible key.") +
                    BackupOutcome(backup));
    return true;
}

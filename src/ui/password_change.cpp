#include "ui/password_change.h"

#include "core/vault/login_store.h"
#include "framework/framework.h"
#include "ui/password_dlg.h"
#include "ui/vault_message.h"
#include "ui/wait_cursor.h"

namespace {
int Tell(CWnd& owner, const char* text) { return owner.MsgBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION); }
}  // namespace

void ChangeMasterPassword(CWnd& owner, LoginStore& store) {
    const char kNoFile[] = "Please check whether the service information file exists.";
    if (!store.IsOpen()) {
        Tell(owner, kNoFile);
        return;
    }
    CPasswordDlg dialog(&owner, MaxMasterPasswordChars(store.GetFormat()));
    if (dialog.DoModal() != IDOK) return;
    if (dialog.m_strConfirmPassword != dialog.m_strNewPassword) {
        Tell(owner, "The two new password not matched!");
        return;
    }
    // Locked while the dialog was open: there is no vault to change.
    if (!store.IsOpen()) {
        Tell(owner, kNoFile);
        return;
    }
    VaultResult result = VaultOk;
    {
        const WaitCursor wait;
        result = store.ChangePassword(dialog.m_strOldPassword.c_str(), dialog.m_strNewPassword.c_str());
    }
    ShowVaultMessage(store);
    if (result == VaultOk) {
        Tell(owner, "Modify password success!");
    } else if (result == VaultWrongPassword) {
        Tell(owner, "Not modified, because old password dismatched!");
    } else {
        Tell(owner, "Modify password failed!");
    }
}

#include "ui/session.h"

#include "core/settings/settings.h"
#include "core/vault/login_store.h"
#include "framework/framework.h"
#include "ui/app_messages.h"
#include "ui/auto_type.h"
#include "ui/login_dlg.h"
#include "ui/vault_message.h"
#include "ui/view_dlg.h"
#include "ui/wait_cursor.h"

CSession::CSession(LoginStore& store, Settings& settings, CViewDlg& view)
    : m_store(store), m_settings(settings), m_view(view) {}

BOOL CSession::Login() {
    if (m_pActiveLogin != nullptr) {
        // A tray click or the hotkey while the Login dialog is up: a nested
        // login would leave the outer one's outcome wrong, so point the user
        // at the dialog that is already waiting.
        if (m_pActiveLogin->GetSafeHwnd() != nullptr) SetForegroundWindow(m_pActiveLogin->GetSafeHwnd());
        return FALSE;
    }
    CLoginDlg dialog;
    m_pActiveLogin = &dialog;
    INT_PTR result = IDOK;
    while (result != IDCANCEL) {
        dialog.ResetPassword();
        // Read each time: the tool may have switched the vault's key since.
        dialog.m_nMaxChars = MaxMasterPasswordChars(m_store.FormatOnDisk(kVaultFileName));
        result = dialog.DoModal();
        if (result == IDOK) {
            VaultResult why = VaultOk;
            BOOL opened = FALSE;
            {
                const WaitCursor wait;
                opened = m_store.OpenDefault(dialog.m_strPassword.c_str(), &why);
            }
            dialog.ResetPassword();
            ShowVaultMessage(m_store);
            if (opened) {
                m_bLoggedIn = TRUE;
                m_view.SendMsg(WM_VIEW_REFILL, 0, 0);
                TellIdleWatch();
                BackUp();
                m_pActiveLogin = nullptr;
                return TRUE;
            }
            if (why == VaultCreatedNew) TellVaultCreated();
            m_bLoggedIn = FALSE;
        } else if (result != IDCANCEL) {
            // The dialog could not be shown: give up as a cancel would.
            result = IDCANCEL;
        }
    }
    m_pActiveLogin = nullptr;
    m_bLoggedIn = FALSE;
    return FALSE;
}

namespace {

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length != 0 && length < MAX_PATH ? std::string(full) : path;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

void CSession::TellVaultCreated() {
    const std::string vault = FullPath(kVaultFileName);
    const std::string backup = FullPath(BackupFilePath(m_settings.GetBackupPath()));
    std::string text = "No vault was found at " + vault +
                       ", so a new one was made with the default master password \"" + kDefaultMasterPassword +
                       "\". The password you typed is not that one.\n\n";
    if (FileExists(backup)) {
        text += "Your logins may be in the backup " + backup + ". To restore it, exit Pellucorda, copy it over " +
                vault + " and start Pellucorda again: it opens with the master password in force when it was written.";
    } else {
        text += "No backup was found at " + backup + " either.";
    }
    // A copy that moved or was started from a new place: the vault it used
    // stayed in the folder it came from.
    const std::string previous = m_settings.GetPreviousSetupPath();
    const std::size_t separator = previous.find_last_of("\\/");
    if (separator != std::string::npos) {
        const std::string earlier = previous.substr(0, separator + 1) + kVaultFileName;
        if (FileExists(earlier) && FullPath(earlier) != vault) {
            text += "\n\nPellucorda was last started from " + previous.substr(0, separator) +
                    ", and a vault is there: " + earlier + ". To use it here, exit Pellucorda and copy it over " +
                    vault + ".";
        }
    }
    AfxMessageBox(text);
}

BackupResult CSession::BackUp() {
    const std::string folder = m_settings.GetBackupPath().empty() ? FullPath(".") : m_settings.GetBackupPath();
    const BackupResult result = m_store.BackupTo(m_settings.GetBackupPath());
    switch (result) {
    case BackupResult::Written: break;
    case BackupResult::KeptPrevious:
        if (!m_bBackupKeptTold) {
            m_bBackupKeptTold = TRUE;
            TellInBalloon("Backup kept", "The backup in " + folder +
                                             " was not replaced: this vault was made new and may lack your logins. To "
                                             "restore the backup, exit Pellucorda and copy it over logininfo.dat.");
        }
        break;
    case BackupResult::Failed:
        TellInBalloon("Backup not written", "No backup could be written to " + folder +
                                                "; the previous one is kept. Choose a backup folder under Config, on "
                                                "the Local page (right-click this icon).");
        break;
    }
    return result;
}

BOOL CSession::TellInBalloon(const char* title, const std::string& text) {
    if (m_pBalloons == nullptr) return FALSE;
    m_pBalloons->ShowBalloon(title, text.c_str());
    return TRUE;
}

CHotKey& CSession::HotKey() { return m_view.m_hotKey; }

CHotKey& CSession::AutoTypeHotKey() { return m_view.m_autoTypeHotKey; }

void CSession::Logout() {
    // Not one more key of a login goes out once the vault is locked.
    StopAutoType();
    // No form stays on screen with a secret in it, and nothing typed there
    // is saved: the dialogs end as their Cancel would.
    m_view.EndOpenDialogs();
    m_store.Reset();
    m_bLoggedIn = FALSE;
    m_view.ShowWindow(SW_HIDE);
    // Nothing of the locked vault stays in the list or on the clipboard.
    m_view.ClearAfterLogout();
    TellIdleWatch();
}

void CSession::SetViewAlpha(BYTE alpha) {
    if (alpha < 128) alpha = 128;
    m_settings.SaveValue(SettingAlpha, alpha);
    m_view.PostMsg(WM_VIEW_SETALPHA, alpha, 0);
}

void CSession::TellIdleWatch() {
    if (m_hIdleWatch != nullptr) ::SendMessageA(m_hIdleWatch, WM_IDLE_WATCH, 0, 0);
}

void CSession::SetIdleMinutes(UINT minutes) {
    m_settings.SaveValue(SettingIdleMinutes, minutes);
    TellIdleWatch();
}

void CSession::SetLogoutTime(BYTE minutes) {
    m_settings.SetLogoutTime(minutes);
    m_view.StartLogoutTimer(minutes);
}

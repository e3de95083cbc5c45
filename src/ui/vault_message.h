#pragma once
// What the store's last operation has to tell the user, in a message box.
class LoginStore;

// Shows VaultMessage of the store's LastFailure as every message of the vault
// is shown: captioned "Pellucorda", with an OK button and the exclamation
// icon, owned by the active window. Shows nothing when there is nothing to
// tell. Called at once after the operation, so the vault file is closed
// while the box stands.
void ShowVaultMessage(const LoginStore& store);

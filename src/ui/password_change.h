#pragma once
// The Modify Password command: asks for the old master password and the new
// one twice, changes the vault's and tells the outcome in message boxes owned
// by `owner`, so a lock ends them with the rest of its window's dialogs.
class CWnd;
class LoginStore;

void ChangeMasterPassword(CWnd& owner, LoginStore& store);

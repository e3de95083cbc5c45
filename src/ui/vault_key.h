#pragma once
// The vault's key as the user is told it, and switching it from the Config
// dialog's Security page: asks for the passwords, switches, writes the
// backup at once and tells the outcome in message boxes owned by `owner`.
#include <string>

class AppServices;
class CWnd;
struct Argon2Parameters;
enum class VaultFormat;

// Which key a vault has, and what that means against a stolen copy; the
// strong key's cost as `strong` gives it.
std::string DescribeVaultKey(VaultFormat format, const Argon2Parameters& strong);

// Switches the open vault to the other key, under the current master
// password or a new one. True when the vault now has the other key.
bool SwitchVaultKey(CWnd& owner, AppServices& services);

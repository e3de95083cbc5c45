#pragma once
// The auto-type hotkey: the window in front names the logins for it by its
// title (core/autotype/match.h). One is typed at once; of several the user
// picks one from a menu at the mouse; with none the list window shows, so
// that the user picks one there and types it with Ctrl+V. Nobody logged in:
// the Login dialog comes first.
#include <windows.h>

#include <string>
#include <vector>

class AppServices;
class CViewDlg;
class LoginStore;

void AutoTypeForWindowInFront(AppServices& services, CViewDlg& view);

// The menu's line for a login: "service — user" (an em dash in Windows-1252),
// with "&" doubled so that it shows as itself.
std::string AutoTypeMenuText(const LoginStore& store, int index);

// The menu of the logins `found` at the mouse: the index chosen, or -1 when
// the user cancelled it.
int ChooseLoginFromMenu(const LoginStore& store, const std::vector<int>& found);

#pragma once
// The auto-type hotkey: the window in front names the logins for it by its
// title (core/autotype/match.h). One is typed at once; of several the user
// picks one from a menu at the mouse; with none the list window shows, so
// that the user picks one there and types it with Ctrl+V. Nobody logged in:
// the Login dialog comes first.
class AppServices;
class CViewDlg;

void AutoTypeForWindowInFront(AppServices& services, CViewDlg& view);

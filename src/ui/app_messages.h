#pragma once
// Window messages between the program's own windows. The values are fixed:
// the shell sends WM_TRAYNOTIFY as the tray icon's callback message.
#include <windows.h>

// A mouse event on the tray icon: wParam the icon id, lParam the mouse message.
#define WM_TRAYNOTIFY (WM_USER)
// A login succeeded: the list window starts its logout timer and refills.
#define WM_VIEW_REFILL (WM_USER + 1)
// The opacity setting changed: wParam is the new opacity (128 to 255).
#define WM_VIEW_SETALPHA (WM_USER + 2)
// To the main frame: the login or the idle minutes changed, so the idle
// check starts, moves or stops.
#define WM_IDLE_WATCH (WM_USER + 3)

#pragma once
// Auto-type: a login's sequence (by default the user name, Tab, the
// password, Enter; or the description's "Auto-Type:" line) typed into
// another program's window with SendInput as Unicode characters, never
// through the clipboard.
#include <windows.h>

#include <string>

#include "core/vault/login_item.h"

class AppServices;

enum class AutoTypeResult {
    Typed,        // the whole sequence went to the target
    NoTarget,     // no window to type into: none remembered, gone, or one of ours
    BadSequence,  // the Auto-Type line holds an unknown {...}: nothing typed
    KeysHeld,     // Ctrl, Alt, Shift or Windows stayed down: nothing typed
    TargetLeft,   // the target stopped being in front: typing stopped there
    Stopped,      // a lock (by hand, by time, by Windows) stopped it
};

// Brings `target` to the front, waits until it is there and the modifier
// keys are up (within a bound), and types the item's sequence, checking
// before each piece that the target is still in front. Messages keep being
// dispatched meanwhile, so a lock can stop it (StopAutoType). Tells the user
// what went wrong, in the program's words, and returns it; a lock, and a
// call while another sequence is under way, return Stopped untold.
AutoTypeResult AutoTypeInto(AppServices& services, HWND target, const LoginItem& item);

// Stops a sequence under way before its next piece; called by every lock.
void StopAutoType();

// The window auto-type would type into if it started now: the top-level
// window of the one in front, when it belongs to another program. After a
// click on the tray icon the taskbar is in front; the window below it is the
// one the user came from. nullptr when there is none.
HWND AutoTypeTargetInFront();

// Whether `target` can still take auto-type: a visible top-level window of
// another program.
bool IsAutoTypeTarget(HWND target);

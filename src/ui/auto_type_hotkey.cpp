#include "ui/auto_type_hotkey.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/secure_wipe.h"
#include "core/autotype/match.h"
#include "core/vault/login_item.h"
#include "core/vault/login_store.h"
#include "ui/app_services.h"
#include "ui/auto_type.h"
#include "ui/view_dlg.h"

namespace {

constexpr int kTitleBufferSize = 512;

std::string Field(const char* text, std::size_t width) {
    std::size_t length = 0;
    while (length < width && text[length] != '\0') ++length;
    std::string escaped;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '&') escaped += '&';
        escaped += text[i];
    }
    return escaped;
}

// A second press while one runs (the engine waits for the target, the menu
// is open) would start another sequence into the same window.
bool g_bRunning = false;

// The menu's line for a login: "service — user" (an em dash in Windows-1252),
// with "&" doubled so that it shows as itself.
std::string AutoTypeMenuText(const LoginStore& store, int index) {
    LoginItem item;
    std::string text;
    if (store.GetItem(index, item)) {
        text = Field(item.serviceName, sizeof item.serviceName) + " \x97 " + Field(item.userName, sizeof item.userName);
    }
    SecureWipe(&item, sizeof item);
    return text;
}

// The menu of the logins `found` at the mouse: the index chosen, or -1 when
// the user cancelled it.
int ChooseLoginFromMenu(const LoginStore& store, const std::vector<int>& found) {
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) return -1;
    for (int index : found) {
        // Identifiers start at 1: TrackPopupMenu's 0 is "cancelled".
        ::AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(index) + 1, AutoTypeMenuText(store, index).c_str());
    }
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    // The menu takes the keys and closes on a click elsewhere only while its
    // owner is in front, and a hidden window (the list, most of the time)
    // cannot take the keyboard everywhere: the owner is a window of its own,
    // shown but see-through, under the mouse.
    HWND owner = ::CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "", WS_POPUP, cursor.x,
                                   cursor.y, 1, 1, nullptr, nullptr, nullptr, nullptr);
    int chosen = 0;
    if (owner != nullptr) {
        ::SetLayeredWindowAttributes(owner, 0, 0, LWA_ALPHA);
        ::ShowWindow(owner, SW_SHOW);
        ::SetForegroundWindow(owner);
        chosen = static_cast<int>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, cursor.x,
                                                   cursor.y, 0, owner, nullptr));
        ::DestroyWindow(owner);
    }
    ::DestroyMenu(menu);
    return chosen - 1;
}

}  // namespace

void AutoTypeForWindowInFront(AppServices& services, CViewDlg& view) {
    if (g_bRunning) return;
    // Nothing of ours is typed into: the key pressed over the list or a
    // dialog of ours has no window to fill.
    HWND target = AutoTypeTargetInFront();
    if (target == nullptr) {
        ::MessageBeep(MB_ICONWARNING);
        return;
    }
    g_bRunning = true;
    // Noted before the Login dialog takes the front: with no login found, the
    // list's Ctrl+V types into this window.
    view.RememberAutoTypeTarget();
    if ((services.IsLoggedIn() || services.Login()) && IsAutoTypeTarget(target)) {
        char title[kTitleBufferSize] = {};
        ::GetWindowTextA(target, title, sizeof title);
        const std::vector<int> found = FindLoginsForTitle(services.Store(), title);
        int chosen = found.size() == 1 ? found[0] : -1;
        if (found.size() > 1) {
            chosen = ChooseLoginFromMenu(services.Store(), found);
            // Cancelled: the user goes on where the key was pressed.
            if (chosen < 0) ::SetForegroundWindow(target);
        }
        LoginItem item;
        item.Clear();
        // A lock while the menu was open leaves nothing to type.
        if (chosen >= 0 && services.IsLoggedIn() && services.Store().GetItem(chosen, item)) {
            AutoTypeInto(services, target, item);
        } else if (found.empty()) {
            view.ShowWindow(SW_SHOWNORMAL);
        }
        SecureWipe(&item, sizeof item);
    }
    g_bRunning = false;
}

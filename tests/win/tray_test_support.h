#pragma once
// What the tray tests share: the hidden main frame made and ended as the
// program does, a stand-in for the shell's notification-area call that
// records each call, and a hook that watches the tray menu and closes it or
// chooses an item from inside the menu's own loop.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/pellucorda_app.h"
#include "app/tray_icon.h"
#include "res/resource.h"
#include "support/message_pump.h"
#include "ui/widgets/subclass_wnd.h"

// The main frame as start-up makes it: hidden, the application's main
// window, its icon talking to `area`. Its window; null when it could not be
// made.
inline HWND CreateMainFrame(CMainFrame*& frame, NotificationArea& area) {
    frame = new CMainFrame;
    frame->m_trayIcon.SetNotificationArea(&area);
    theApp.m_pMainWnd = frame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return nullptr;
    frame->ShowWindow(SW_HIDE);
    return frame->GetSafeHwnd();
}

// Ends a test's frame as the Exit command does, if it is still there, and
// takes the WM_QUIT that the main window's end leaves behind.
inline void DestroyMainFrame(CMainFrame* frame, HWND hFrame) {
    if (::IsWindow(hFrame)) {
        frame->m_bExit = TRUE;
        frame->DestroyWindow();
    }
    TakeQuitMessage();
    theApp.m_pMainWnd = nullptr;
}

struct ShellCall {
    DWORD operation;
    NOTIFYICONDATAA data;
    std::string Tip() const { return data.szTip; }
};

// Stands in for the notification area of the icons it is handed to, and
// records each call. The answer is what the shell says to every call (FALSE:
// no taskbar).
class ShellRecorder : public NotificationArea {
public:
    ShellRecorder() = default;
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    std::vector<ShellCall>& Calls() { return m_calls; }
    BOOL& Answer() { return m_answer; }
    // The operations of the calls so far, in order, and forgets them.
    std::vector<DWORD> TakeOperations() {
        std::vector<DWORD> operations;
        operations.reserve(m_calls.size());
        for (const ShellCall& call : m_calls) operations.push_back(call.operation);
        m_calls.clear();
        return operations;
    }

    BOOL Notify(DWORD operation, NOTIFYICONDATAA* data) override {
        m_calls.push_back(ShellCall{operation, *data});
        return m_answer;
    }

private:
    std::vector<ShellCall> m_calls;
    BOOL m_answer = TRUE;
};

// Hooked on the menu's owner, it sees each menu open (WM_INITMENUPOPUP), acts
// once that menu waits for input (WM_ENTERIDLE), and logs the commands that
// reach the owner.
class TrayMenuWatch : public CSubclassWnd {
public:
    // What to do with the open menu: 0 closes it without a command; a
    // character chooses the item with that mnemonic.
    char choose = 0;

    int opened = 0;
    UINT defaultId = 0;
    std::vector<UINT> itemIds;
    HWND foreground = nullptr;   // the foreground window while the menu is up
    RECT menuRect = {};          // where the menu window was
    std::vector<UINT> commands;  // menu commands that reached the owner

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITMENUPOPUP) {
            HMENU popup = reinterpret_cast<HMENU>(wParam);
            ++opened;
            m_acted = false;
            itemIds.clear();
            defaultId = ::GetMenuDefaultItem(popup, FALSE, 0);
            for (int i = 0; i < ::GetMenuItemCount(popup); ++i) itemIds.push_back(::GetMenuItemID(popup, i));
            foreground = ::GetForegroundWindow();
        } else if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !m_acted) {
            m_acted = true;
            HWND menuWindow = reinterpret_cast<HWND>(lParam);
            if (menuWindow != nullptr) ::GetWindowRect(menuWindow, &menuRect);
            if (choose == 0) {
                ::EndMenu();
            } else {
                ::PostMessageA(menuWindow != nullptr ? menuWindow : m_hWndHooked, WM_CHAR,
                               static_cast<WPARAM>(static_cast<unsigned char>(choose)), 0);
            }
        } else if (message == WM_COMMAND && lParam == 0) {
            commands.push_back(LOWORD(wParam));
        }
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }

private:
    bool m_acted = false;
};

#include "app/tray_icon.h"

#include <cstring>

#include "base/system_entry_win32.h"

IMPLEMENT_DYNAMIC(CTrayIcon, CCmdTarget)

const UINT CTrayIcon::s_uTaskbarRestart = ::RegisterWindowMessageA("TaskbarCreated");

namespace {

class ShellNotificationArea : public NotificationArea {
public:
    BOOL Notify(DWORD message, NOTIFYICONDATAA* data) override {
        using ShellNotifyIconFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
        static const ShellNotifyIconFn notifyIcon = SystemEntry<ShellNotifyIconFn>("shell32.dll", "Shell_NotifyIconA");
        return notifyIcon != nullptr && notifyIcon(message, data);
    }
};

// Copies text into a field of the shell's record, at most limit bytes with
// the terminating zero, cut at a character boundary so that a double-byte
// character is never split.
void CopyText(char* field, size_t fieldSize, const char* text, size_t limit) {
    const char* end = text;
    while (*end != '\0') {
        const char* next = ::CharNextA(end);
        if (static_cast<size_t>(next - text) > limit - 1) break;
        end = next;
    }
    std::memset(field, 0, fieldSize);
    std::memcpy(field, text, static_cast<size_t>(end - text));
}

}  // namespace

NotificationArea& SystemNotificationArea() {
    static ShellNotificationArea area;
    return area;
}

// ---------------------------------------------------------------------------
// CTrayNotifyHook

LRESULT CTrayNotifyHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const NOTIFYICONDATAA& data = m_pTray->m_data;
    if (message == data.uCallbackMessage && data.uCallbackMessage != 0 && m_hWndHooked == data.hWnd) {
        m_pTray->OnTrayEvent(wParam, lParam);
    } else if (message == CTrayIcon::s_uTaskbarRestart && message != 0) {
        m_pTray->OnTaskbarRestart(wParam, lParam);
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// CTrayIcon

CTrayIcon::CTrayIcon(UINT id) : m_pArea(&SystemNotificationArea()) {
    std::memset(&m_data, 0, sizeof m_data);
    m_data.cbSize = sizeof m_data;
    m_data.uID = id;
    m_windowHook.m_pTray = this;
    m_topLevelHook.m_pTray = this;
    LoadTip(id);
}

CTrayIcon::~CTrayIcon() { ShowResourceIcon(0); }

void CTrayIcon::SetNotificationArea(NotificationArea* area) {
    m_pArea = area != nullptr ? area : &SystemNotificationArea();
}

void CTrayIcon::LoadTip(UINT id) {
    std::memset(m_data.szTip, 0, sizeof m_data.szTip);
    // A missing string leaves the field empty.
    ::LoadStringA(AfxGetResourceHandle(), id, m_data.szTip, kTipSize);
}

void CTrayIcon::AttachWindow(CWnd* pWnd, UINT uCallbackMessage) {
    m_data.hWnd = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr;
    m_data.uCallbackMessage = uCallbackMessage;
    m_windowHook.HookWindow(nullptr);
    m_topLevelHook.HookWindow(nullptr);
    if (m_data.hWnd == nullptr) return;
    m_windowHook.HookWindow(m_data.hWnd);
    // The taskbar's re-creation is announced to top-level windows only.
    HWND hWndTop = ::GetAncestor(m_data.hWnd, GA_ROOT);
    if (hWndTop != nullptr && hWndTop != m_data.hWnd) m_topLevelHook.HookWindow(hWndTop);
}

BOOL CTrayIcon::ShowResourceIcon(UINT id) {
    if (id == 0) return ShowIcon(nullptr, nullptr);
    LoadTip(id);
    CWinApp* pApp = AfxGetApp();
    HICON hIcon =
        pApp != nullptr ? pApp->LoadResourceIcon(id) : ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
    return ShowIcon(hIcon, nullptr);
}

BOOL CTrayIcon::ShowIcon(HICON hIcon, LPCSTR tip) {
    DWORD operation = NIM_ADD;
    m_data.uFlags = 0;
    if (hIcon != nullptr) {
        operation = m_data.hIcon != nullptr ? NIM_MODIFY : NIM_ADD;
        m_data.hIcon = hIcon;
        m_data.uFlags |= NIF_ICON;
    } else {
        // Whoever asks for no icon does not want one back after a taskbar
        // restart either.
        m_hRefusedIcon = nullptr;
        if (m_data.hIcon == nullptr) return TRUE;
        operation = NIM_DELETE;
    }
    if (tip != nullptr) CopyText(m_data.szTip, sizeof m_data.szTip, tip, kTipSize);
    if (m_data.szTip[0] != '\0') m_data.uFlags |= NIF_TIP;
    if (m_data.uCallbackMessage != 0 && m_data.hWnd != nullptr) m_data.uFlags |= NIF_MESSAGE;

    const BOOL result = m_pArea->Notify(operation, &m_data);
    m_hRefusedIcon = !result && operation != NIM_DELETE ? hIcon : nullptr;
    if (operation == NIM_DELETE || !result) m_data.hIcon = nullptr;
    if (result && operation == NIM_ADD) SendBalloon();
    return result;
}

BOOL CTrayIcon::ShowBalloon(LPCSTR title, LPCSTR text) {
    CopyText(m_data.szInfoTitle, sizeof m_data.szInfoTitle, title != nullptr ? title : "", sizeof m_data.szInfoTitle);
    CopyText(m_data.szInfo, sizeof m_data.szInfo, text != nullptr ? text : "", sizeof m_data.szInfo);
    m_data.dwInfoFlags = NIIF_WARNING;
    m_bBalloonWaiting = TRUE;
    return m_data.hIcon != nullptr ? SendBalloon() : TRUE;
}

BOOL CTrayIcon::SendBalloon() {
    if (!m_bBalloonWaiting) return TRUE;
    m_data.uFlags = NIF_INFO;
    const BOOL result = m_pArea->Notify(NIM_MODIFY, &m_data);
    // Said once: a refused balloon is not repeated at every later change.
    m_bBalloonWaiting = FALSE;
    return result;
}

LRESULT CTrayIcon::OnTrayEvent(WPARAM id, LPARAM mouseMessage) {
    if (id != m_data.uID || (mouseMessage != WM_RBUTTONUP && mouseMessage != WM_LBUTTONDBLCLK)) return 0;
    CMenu menu;
    if (!menu.Load(m_data.uID)) return 0;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr) return 0;
    if (mouseMessage == WM_RBUTTONUP) {
        pPopup->SetDefaultItem(0, TRUE);
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        // Without this the menu would not close when the user clicks
        // elsewhere.
        ::SetForegroundWindow(m_data.hWnd);
        ::TrackPopupMenu(pPopup->GetSafeHmenu(), TPM_LEFTBUTTON, cursor.x, cursor.y, 0, m_data.hWnd, nullptr);
    }
    menu.DestroyMenu();
    return 1;
}

LRESULT CTrayIcon::OnTaskbarRestart(WPARAM, LPARAM) {
    HICON hIcon = m_data.hIcon != nullptr ? m_data.hIcon : m_hRefusedIcon;
    // The new taskbar has no icon of ours: add rather than modify.
    m_data.hIcon = nullptr;
    if (hIcon != nullptr) ShowIcon(hIcon, nullptr);
    return 0;
}

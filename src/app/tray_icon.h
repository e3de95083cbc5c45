#pragma once
// The program's icon in the taskbar's notification area. The icon reports
// its mouse events to a window of the program (the notification window) as a
// callback message; CTrayIcon hooks that window so it sees them before the
// window's own handlers, opens the tray menu on a right-button release, and
// puts the icon back when the taskbar is re-created.
#include <windows.h>
#include <shellapi.h>

#include "framework/framework.h"
#include "ui/session.h"
#include "ui/widgets/subclass_wnd.h"

class CTrayIcon;

// The shell's notification area, as the icon talks to it. Tests stand in for
// it to see what the icon asks, without a taskbar.
class NotificationArea {
public:
    virtual ~NotificationArea() = default;
    // Shell_NotifyIconA: adds, changes or removes an icon.
    virtual BOOL Notify(DWORD message, NOTIFYICONDATAA* data) = 0;
};

// The shell's own.
NotificationArea& SystemNotificationArea();

// The hook on the notification window (and on its top-level parent).
class CTrayNotifyHook : public CSubclassWnd {
public:
    CTrayIcon* m_pTray = nullptr;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CTrayIcon : public CCmdTarget, public BalloonSink {
    DECLARE_DYNAMIC(CTrayIcon)
public:
    // id is the icon's id with the shell and the tray menu's resource id; the
    // tooltip starts as string id (empty when there is none).
    explicit CTrayIcon(UINT id);
    // Removes the icon if one is shown, then unhooks.
    ~CTrayIcon() override;

    // The window that gets the icon's mouse events as uCallbackMessage (with
    // wParam the icon id, lParam the mouse message); null detaches.
    void AttachWindow(CWnd* pWnd, UINT uCallbackMessage);
    // Shows icon id with string id as its tooltip (a missing string empties
    // it, a missing icon removes the icon); 0 removes the icon.
    BOOL ShowResourceIcon(UINT id);
    // Adds the icon, changes it when it is shown, or (hIcon null) removes it.
    // tip null keeps the tooltip. The shell's answer; TRUE when there was
    // nothing to remove.
    BOOL ShowIcon(HICON hIcon, LPCSTR tip);

    // A balloon from the icon with a warning, title and text cut to the
    // shell's fields. While no icon is shown (start-up adds it a moment after
    // the Login dialog, or the shell refused it), the balloon waits and comes
    // with the icon. The shell's answer; TRUE while it waits.
    BOOL ShowBalloon(LPCSTR title, LPCSTR text) override;

    // A mouse event on the icon: the tray menu on a right-button release. 1
    // when it was this icon's event to act on, else 0.
    virtual LRESULT OnTrayEvent(WPARAM id, LPARAM mouseMessage);
    // The taskbar was re-created: the icon is added again. Returns 0.
    virtual LRESULT OnTaskbarRestart(WPARAM wParam, LPARAM lParam);

    // The icon as the shell knows it. hIcon is set while an icon is shown.
    const NOTIFYICONDATAA& GetData() const { return m_data; }

    // "TaskbarCreated", registered while the program starts.
    static const UINT s_uTaskbarRestart;

    // Where the icon's calls go from now on (the shell's until then); nullptr
    // restores the shell's.
    void SetNotificationArea(NotificationArea* area);

    // Room for the tooltip with its terminating zero: the field's size in the
    // record's original form, which every shell shows whole.
    static constexpr int kTipSize = 64;

protected:
    NOTIFYICONDATAA m_data;
    CTrayNotifyHook m_windowHook;
    CTrayNotifyHook m_topLevelHook;
    NotificationArea* m_pArea;

private:
    friend class CTrayNotifyHook;
    void LoadTip(UINT id);
    // Hands a waiting balloon to the shell once the icon is there.
    BOOL SendBalloon();

    // An icon the shell refused to add or change (there may be no taskbar
    // yet, at a start with Windows): kept for the next "TaskbarCreated",
    // while the record says no icon is shown, so the next show is an add.
    HICON m_hRefusedIcon = nullptr;
    // A balloon asked for while no icon was shown.
    BOOL m_bBalloonWaiting = FALSE;
};

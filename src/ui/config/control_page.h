#pragma once
// The Config dialog's "Option" page: auto-run, the hotkey, the list window's
// opacity and the logout time. The check boxes and the opacity bar take
// effect at once; the logout time when its edit loses the focus, which then
// shows the time stored.
#include "ui/config/tab_page_ctrl.h"

class AppServices;

class CControlPage : public CTabPage {
public:
    explicit CControlPage(AppServices& services);

    int m_nAutoRun = 0;  // check states
    int m_nHotKey = 0;
    UINT m_nLogout = 0;  // minutes
    CScrollBar m_scrollAlpha;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Shown or hidden: the controls show the settings as they are now.
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnClickedAutoRun();
    void OnClickedHotKey();
    void OnChangeLogout();
    void OnKillFocusLogout();

private:
    // The check box names the hotkey of the settings, and says when the
    // system refused it.
    void ShowHotKeyName();

    AppServices& m_services;

    DECLARE_MESSAGE_MAP()
};

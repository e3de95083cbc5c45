#pragma once
// The item list window: a small translucent, always-on-top dialog that shows
// one page of the vault's items.
#include "framework/framework.h"

class CViewDlg : public CDialog {
public:
    CViewDlg();

    // Restarts the logout timer with the given minutes (0: no automatic
    // logout). Does nothing while nobody is logged in.
    void StartLogoutTimer(BYTE minutes);

protected:
    LRESULT OnViewRefill(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);

    UINT_PTR m_nLogoutTimer = 0;

    DECLARE_MESSAGE_MAP()
};

constexpr UINT_PTR kLogoutTimerId = 1;

#pragma once
// The item list window: a small translucent, always-on-top dialog that shows
// one page of the vault's items.
#include <string>

#include "framework/framework.h"

class CViewDlg : public CDialog {
public:
    CViewDlg();

    // Restarts the logout timer with the given minutes (0: no automatic
    // logout). Does nothing while nobody is logged in.
    void StartLogoutTimer(BYTE minutes);

    // Registers Windows+A for this window (TRUE) or gives it up (FALSE), at
    // once. The "Enable Hotkey" setting decides which; before the window
    // exists this does nothing (initialisation reads the setting).
    void EnableHotKey(BOOL bEnable);

protected:
    BOOL OnInitDialog() override;
    LRESULT OnViewRefill(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    void OnHotKey(UINT nHotKeyId, UINT nKey1, UINT nKey2);
    void OnDestroy();

    // The global atom of the hotkey's name, used as the hotkey's identifier.
    int m_nHotKeyId = 0;
    UINT_PTR m_nLogoutTimer = 0;

    DECLARE_MESSAGE_MAP()
};

constexpr UINT_PTR kLogoutTimerId = 1;
constexpr char kHotKeyAtomName[] = "PELLUCORDA_V100";

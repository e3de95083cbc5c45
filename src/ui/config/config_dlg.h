#pragma once
// The Config dialog: the settings the user may change while the program runs,
// on three pages, "Option", "Local" and "Security". There is no OK or Cancel: every change
// is stored the moment it is made, and the close box (or Enter or Escape)
// closes the dialog. The main frame keeps one object for the whole run.
#include "framework/framework.h"
#include "ui/config/control_page.h"
#include "ui/config/path_page.h"
#include "ui/config/security_page.h"
#include "ui/config/tab_page_ctrl.h"

class AppServices;

class CConfigDlg : public CDialog {
public:
    explicit CConfigDlg(AppServices& services);

    // A second run while one is showing (the Config command again, from the
    // tray menu's own loop) starts no nested dialog and returns 0.
    INT_PTR DoModal() override;

    CTabPageCtrl m_tabCtrl;
    CPathPage m_pageLocal;
    CControlPage m_pageOption;
    CSecurityPage m_pageSecurity;
    BOOL m_bOpen = FALSE;  // a modal run is in progress

    // Ctrl+Tab and Ctrl+PageDown go to the next page, Ctrl+Shift+Tab and
    // Ctrl+PageUp to the previous one, round. True when `msg` was one of them
    // for this dialog.
    BOOL HandlePageKey(const MSG& msg);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnClose();

    DECLARE_MESSAGE_MAP()
};

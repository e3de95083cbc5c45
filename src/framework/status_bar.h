#pragma once
// CStatusBar: a status window (class msctls_statusbar32) along the bottom of
// its parent.
#include "framework/wnd.h"

#ifndef AFX_IDW_STATUS_BAR
#define AFX_IDW_STATUS_BAR 0xE801
#endif

class CStatusBar : public CWnd {
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE, UINT nID = AFX_IDW_STATUS_BAR);
};

#pragma once
// CTabCtrl: a tab control.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "framework/wnd.h"

class CTabCtrl : public CWnd {
public:
    // A tab with a text only; returns its index, or -1.
    LONG InsertItem(int nItem, const char* lpszItem);
    LONG InsertItem(int nItem, TCITEMA* pTabCtrlItem);
    BOOL DeleteItem(int nItem);
    int GetCurSel() const;     // -1 when no tab is selected
    int SetCurSel(int nItem);  // the previous selection, or -1; sends no notification
    int GetItemCount() const;
    BOOL GetItemRect(int nItem, LPRECT lpRect) const;
    int GetRowCount() const;
    // pTabCtrlItem->mask says what to get or set (TCIF_TEXT with pszText and
    // cchTextMax for the text).
    BOOL GetItem(int nItem, TCITEMA* pTabCtrlItem) const;
    BOOL SetItem(int nItem, TCITEMA* pTabCtrlItem);
};

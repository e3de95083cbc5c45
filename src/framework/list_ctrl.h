#pragma once
// CListCtrl: a list-view control (report view as the program uses it).
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>

#include "framework/wnd.h"

class CListCtrl : public CWnd {
public:
    // nWidth -1 leaves the width to the control; nSubItem -1 uses nCol.
    // Returns the new column's index, or -1.
    int InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    // Inserts a row with the text of column 0; returns its index, or -1.
    int InsertItem(int nItem, const char* lpszItem);
    BOOL SetItemText(int nItem, int nSubItem, const char* lpszText);
    // Copies at most nLen - 1 bytes (never half a character) and a
    // terminating zero; returns the count copied (0 and an empty text for a
    // bad row).
    int GetItemText(int nItem, int nSubItem, char* lpszText, int nLen) const;
    std::string GetItemText(int nItem, int nSubItem) const;
    BOOL DeleteAllItems();
    int GetItemCount() const;
    // The first selected row, or -1.
    int GetFirstSelectedItem() const;
    // LVS_EX_ styles; returns the previous ones.
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    BOOL SetBkColor(COLORREF cr);
    BOOL SetTextBkColor(COLORREF cr);
    BOOL SetTextColor(COLORREF cr);
};

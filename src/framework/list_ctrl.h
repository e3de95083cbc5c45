#pragma once
// CListCtrl: a list-view control (report view as the program uses it).
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>

#include "framework/wnd.h"

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    // nWidth -1 leaves the width to the control; nSubItem -1 uses nCol.
    // Returns the new column's index, or -1.
    int InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    int GetColumnWidth(int nCol) const;
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
    // The next row after nItem (-1: from the start) with the LVNI_ flags, or -1.
    int GetNextItem(int nItem, int nFlags) const;
    // The first selected row, or -1.
    int GetFirstSelectedItem() const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const;
    // LVS_EX_ styles; returns the previous ones.
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    DWORD GetExtendedStyle() const;
    BOOL SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    BOOL SetTextBkColor(COLORREF cr);
    COLORREF GetTextBkColor() const;
    BOOL SetTextColor(COLORREF cr);
    COLORREF GetTextColor() const;
};

#include "framework/tab_ctrl.h"

LONG CTabCtrl::InsertItem(int nItem, const char* lpszItem) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(lpszItem);
    return InsertItem(nItem, &item);
}

LONG CTabCtrl::InsertItem(int nItem, TCITEMA* pTabCtrlItem) {
    return static_cast<LONG>(
        SendMsg(TCM_INSERTITEMA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::DeleteItem(int nItem) { return static_cast<BOOL>(SendMsg(TCM_DELETEITEM, static_cast<WPARAM>(nItem))); }
int CTabCtrl::GetCurSel() const { return static_cast<int>(SendMsg(TCM_GETCURSEL)); }
int CTabCtrl::SetCurSel(int nItem) { return static_cast<int>(SendMsg(TCM_SETCURSEL, static_cast<WPARAM>(nItem))); }
int CTabCtrl::GetItemCount() const { return static_cast<int>(SendMsg(TCM_GETITEMCOUNT)); }

BOOL CTabCtrl::GetItemRect(int nItem, LPRECT lpRect) const {
    return static_cast<BOOL>(SendMsg(TCM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(lpRect)));
}

int CTabCtrl::GetRowCount() const { return static_cast<int>(SendMsg(TCM_GETROWCOUNT)); }

BOOL CTabCtrl::GetItem(int nItem, TCITEMA* pTabCtrlItem) const {
    return static_cast<BOOL>(SendMsg(TCM_GETITEMA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::SetItem(int nItem, TCITEMA* pTabCtrlItem) {
    return static_cast<BOOL>(SendMsg(TCM_SETITEMA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

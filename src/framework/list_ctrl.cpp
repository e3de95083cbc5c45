#include "framework/list_ctrl.h"

#include <cstring>
#include <vector>

#include "base/secure_wipe.h"

int CListCtrl::InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat, int nWidth, int nSubItem) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.fmt = nFormat;
    column.pszText = const_cast<char*>(lpszColumnHeading);
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return static_cast<int>(SendMsg(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
}

int CListCtrl::InsertItem(int nItem, const char* lpszItem) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<char*>(lpszItem);
    return static_cast<int>(SendMsg(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* lpszText) {
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<char*>(lpszText);
    return static_cast<BOOL>(SendMsg(LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

// Texts are read through the wide message and converted here: the ANSI
// message leaves a cut text unterminated on some systems (Wine) and misreports
// its length. Texts may be passwords: scratch buffers are wiped.
std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
    for (int size = 256;; size *= 2) {
        std::vector<wchar_t> wide(static_cast<size_t>(size), L'\0');
        LVITEMW item = {};
        item.iSubItem = nSubItem;
        item.pszText = wide.data();
        item.cchTextMax = size;
        LRESULT got = SendMsg(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
        if (got >= size - 1 && size < (1 << 20)) {
            SecureWipe(wide.data(), wide.size() * sizeof(wchar_t));
            continue;  // perhaps cut: try a larger buffer
        }
        wide[static_cast<size_t>(size) - 1] = L'\0';
        std::string text;
        int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
        if (bytes > 1) {
            std::vector<char> narrow(static_cast<size_t>(bytes));
            ::WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, narrow.data(), bytes, nullptr, nullptr);
            text.assign(narrow.data(), static_cast<size_t>(bytes) - 1);
            SecureWipe(narrow.data(), narrow.size());
        }
        SecureWipe(wide.data(), wide.size() * sizeof(wchar_t));
        return text;
    }
}

int CListCtrl::GetItemText(int nItem, int nSubItem, char* lpszText, int nLen) const {
    if (lpszText == nullptr || nLen <= 0) return 0;
    std::string text = GetItemText(nItem, nSubItem);
    // Cut at nLen - 1 bytes, never between the two bytes of a character.
    size_t limit = static_cast<size_t>(nLen) - 1;
    size_t length = 0;
    while (length < text.size()) {
        size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(text[length])) ? 2 : 1;
        if (length + step > limit || length + step > text.size()) break;
        length += step;
    }
    std::memcpy(lpszText, text.data(), length);
    lpszText[length] = '\0';
    if (!text.empty()) SecureWipe(&text[0], text.size());
    return static_cast<int>(length);
}

BOOL CListCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMsg(LVM_DELETEALLITEMS)); }
int CListCtrl::GetItemCount() const { return static_cast<int>(SendMsg(LVM_GETITEMCOUNT)); }

int CListCtrl::GetFirstSelectedItem() const {
    return static_cast<int>(SendMsg(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    return static_cast<DWORD>(SendMsg(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwNewStyle)));
}

BOOL CListCtrl::SetBkColor(COLORREF cr) {
    return static_cast<BOOL>(SendMsg(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(cr)));
}

BOOL CListCtrl::SetTextBkColor(COLORREF cr) {
    return static_cast<BOOL>(SendMsg(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(cr)));
}

BOOL CListCtrl::SetTextColor(COLORREF cr) {
    return static_cast<BOOL>(SendMsg(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(cr)));
}

#pragma once
// Thin wrappers of the standard controls the program uses. Bind one to a
// control of a dialog with DDX_Control or SubclassDlgItem, or create it.
#include <string>

#include "framework/wnd.h"

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
};

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    // At most nChars characters can be typed or pasted (0: the system's maximum).
    void LimitText(int nChars);
    UINT GetLimitText() const;
    // Selects characters nStartChar up to nEndChar; (0, -1) selects all.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void GetSel(int& nStartChar, int& nEndChar) const;
};

// Overwrites the text of every edit control of hWndParent, then empties it,
// so what was typed there (a password) does not linger in the controls' own
// memory once the window goes. For a dialog's WM_DESTROY.
void AfxWipeEditControls(HWND hWndParent);

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    int GetCheck() const;  // BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE
    void SetCheck(int nCheck);
};

class CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
public:
    int AddString(const char* lpszString);  // its index, or CB_ERR
    int GetCount() const;
    int GetCurSel() const;       // CB_ERR (-1) when nothing is selected
    int SetCurSel(int nSelect);  // -1 clears the selection
    // Text of item nIndex; empty for a bad index.
    std::string GetLBText(int nIndex) const;
    void ResetContent();
};

class CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
public:
    // A scroll bar control (class "SCROLLBAR"), a child of pParentWnd with id nID.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
    void GetScrollRange(int* lpMinPos, int* lpMaxPos) const;
    // Returns the previous position; the control keeps the position within
    // its range.
    int SetScrollPos(int nPos, BOOL bRedraw = TRUE);
    int GetScrollPos() const;
};

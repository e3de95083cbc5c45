#pragma once
// Thin wrappers of the standard controls the program uses. Bind one to a
// control of a dialog with DDX_Control or SubclassDlgItem, or create it.
#include "framework/wnd.h"

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
};

class CEdit : public CWnd {};

// Overwrites the text of every edit control of hWndParent, then empties it,
// so what was typed there (a password) does not linger in the controls' own
// memory once the window goes. For a dialog's WM_DESTROY.
void AfxWipeEditControls(HWND hWndParent);

class CScrollBar : public CWnd {
public:
    // A scroll bar control (class "SCROLLBAR"), a child of pParentWnd with id nID.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
    // Returns the previous position; the control keeps the position within
    // its range.
    int SetScrollPos(int nPos, BOOL bRedraw = TRUE);
    int GetScrollPos() const;
};

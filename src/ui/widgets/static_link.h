#pragma once
// A static text control of a dialog made into a clickable link: drawn in the
// link colour, red while the mouse is over it, with a hand cursor; a click
// opens its target through the shell and shows it as visited.
#include "framework/framework.h"
#include "ui/widgets/hyperlink.h"

class CStaticLink : public CStatic {
    DECLARE_DYNAMIC(CStaticLink)
public:
    // The colours of every link of the process.
    static const COLORREF g_colorUnvisited;  // blue
    static const COLORREF g_colorVisited;    // purple, after a successful click
    static const COLORREF g_colorOver;       // red, while the mouse is over it

    // With bDeleteOnDestroy the object deletes itself once its window is gone
    // (for links allocated with new and attached to a dialog's control). A
    // click hands the target to `shell`.
    explicit CStaticLink(const char* lpszText = nullptr, BOOL bDeleteOnDestroy = FALSE, Shell& shell = SystemShell());
    ~CStaticLink() override;

    // The target; when empty at the first click, the string resource of the
    // control's id, else the control's own text.
    CHyperlink m_link;

protected:
    LRESULT OnNcHitTest(POINT point);
    HBRUSH CtlColor(HDC hDC, UINT nCtlColor);
    void OnLButtonDown(UINT nFlags, POINT point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnTimer(UINT_PTR nIDEvent);
    void PostNcDestroy() override;

    COLORREF m_color;
    CFont m_font;  // a copy of the control's font, made at the first paint
    BOOL m_bDeleteOnDestroy;
    BOOL m_bOver = FALSE;     // the mouse is over the link
    UINT_PTR m_nTimerId = 1;  // the hover timer

    DECLARE_MESSAGE_MAP()
};

#pragma once
// Keeps a dialog's controls in the proportions of its template when the
// window is given a size of its own, and their texts readable: the list
// window's template is laid out in dialog units of a wide font, while
// start-up fixes the window in pixels, so without this the list and the
// bottom buttons would be cut off.
#include <windows.h>

#include <vector>

#include "framework/font.h"

class CControlLayout {
public:
    // Remembers the client size and every child's place as created from the
    // template. The buttons and labels will show their texts in `textFont`,
    // or in the largest smaller size of it that lets every text fit; the
    // control hWndOwnFont keeps its own font.
    void Capture(HWND hWndDialog, const LOGFONTA& textFont, HWND hWndOwnFont);
    // The child hWnd gets at least minHeight pixels of height (as much of it
    // as the client area has below the child's top): the children below it
    // share what is left, in the proportions they had among themselves.
    void SetMinimumHeight(HWND hWnd, int minHeight);
    // Places every remembered child in proportion to a client area of
    // cx by cy pixels, then picks the text size. Before Capture, or for an
    // empty size, does nothing.
    void Fit(int cx, int cy);
    bool IsCaptured() const { return m_design.cx > 0 && m_design.cy > 0; }

private:
    struct Child {
        HWND hWnd;
        RECT rect;  // in the dialog's client coordinates
    };
    // The vertical place of a template coordinate in a client area cy high.
    int MapY(LONG y, int cy) const;
    // Whether every button's and label's text fits its control in `font`.
    bool TextsFit(HFONT font) const;
    void FitTextFont();

    HWND m_hWndDialog = nullptr;
    HWND m_hWndOwnFont = nullptr;
    SIZE m_design = {0, 0};
    std::vector<Child> m_children;
    HWND m_hWndTall = nullptr;
    int m_nMinHeight = 0;
    RECT m_tall = {0, 0, 0, 0};  // its template rectangle, once captured
    int m_nTallTop = 0;          // and its place in the last fit
    int m_nTallBottom = 0;
    LOGFONTA m_textFont = {};
    CFont m_font;  // the size in use
};

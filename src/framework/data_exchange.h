#pragma once
// Dialog data exchange: DoDataExchange lists DDX_ and DDV_ calls; UpdateData
// runs them in one direction. Loading (FALSE) puts members into controls;
// saving (TRUE) reads controls into members and validates.
//
// A failed exchange (a text that is not a number, a number out of range, a
// text too long) shows a message box captioned with the application title,
// gives the focus back to the failing control with its whole text selected,
// and stops: the DDX/DDV calls after it do not run, and UpdateData returns
// FALSE. A DDV check applies to the control of the DDX call just before it.
#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CWnd* m_pDlgWnd;          // the dialog (or any window) whose controls are exchanged

    // The control nIDC of the dialog, remembered as the one a later failure
    // refers to. A missing control fails the exchange (without a message).
    HWND PrepareCtrl(int nIDC);
    // The same, for an edit control: a failure selects its whole text.
    HWND PrepareEditCtrl(int nIDC);
    // Tells the user nothing more; focuses the last control and stops the
    // exchange (does not return).
    [[noreturn]] void Fail();
    // Shows lpszMessage (exclamation icon, OK), then Fail().
    [[noreturn]] void Fail(const char* lpszMessage);

    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

// Text of an edit (or any window), no length limit.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// An unsigned decimal number ("%u"): saving fails on a text that is not one
// (empty, signed, not digits, too large); the member is then unchanged.
void DDX_Text(CDataExchange* pDX, int nIDC, unsigned int& value);
// Saving: fails when value is outside minVal..maxVal ("%lu" in the message).
// Loading: no check.
void DDV_MinMaxUInt(CDataExchange* pDX, unsigned int value, unsigned int minVal, unsigned int maxVal);
// Loading: limits the last edit control to nChars characters. Saving: fails
// when value is longer.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars);
// Check state of a button: 0, 1 or 2 (indeterminate); other values load as 0.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// Selected position of a combo box; -1 when nothing is selected.
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
// Binds control nIDC to rControl (subclassing it) the first time; later
// exchanges leave it bound.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

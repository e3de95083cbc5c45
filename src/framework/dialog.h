#pragma once
// CDialog: modal and modeless dialogs from dialog templates (RT_DIALOG) of the
// program's module. Templates use the system's dialog class (no CLASS
// statement): a dialog of another class would not be bound to its object.
//
// Combo boxes and list boxes of a template are filled from the program's
// initialisation data for that template, if any: resource type 240 with the
// template's id, a sequence of records {WORD control id, WORD message, DWORD
// byte count, bytes of text with its terminating zero}, ended by a 0 WORD.
// Message 0x0403 adds the text to a combo box (CB_ADDSTRING); records with
// other messages are skipped. In a windres script:
//     145 240
//     BEGIN
//         1035, 0x0403, 15L, "web site(http)\0",
//         1035, 0x0403, 9L, "ftp site\0",
//         0
//     END
#include "framework/wnd.h"

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog modally: IDOK, IDCANCEL, what EndDialog was given, or
    // -1 when it could not be created (no template, or already running). The
    // owner is the parent's top-level window; without a parent, the
    // application's main window (also when that is hidden), which is
    // disabled meanwhile.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (nothing shown unless the template is
    // visible). Without a parent it is owned by the application's main window.
    // A template with the child style becomes a child of pParentWnd.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // After the combo boxes were filled; the base loads the controls
    // (UpdateData(FALSE)) and returns TRUE (the dialog manager then puts the
    // focus on the first control). FALSE when you set the focus yourself.
    virtual BOOL OnInitDialog();

    // Modal: ends the modal loop with nResult. Modeless: hides the dialog.
    void EndDialog(int nResult);

    BOOL IsModal() const { return m_bModal; }
    UINT GetTemplateId() const { return m_nIDTemplate; }

    // Keyboard messages go through the dialog manager (Tab, Enter, Escape).
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // Enter and the OK button: UpdateData(TRUE), then EndDialog(IDOK) when it
    // succeeded.
    virtual void OnOK();
    // Escape, the Cancel button and the close box: EndDialog(IDCANCEL).
    virtual void OnCancel();

    // Fills list and combo boxes from initialisation data nIDResource.
    // FALSE when that data is malformed (what came before it was applied).
    BOOL ExecuteDlgInit(UINT nIDResource);

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    BOOL m_bModal = FALSE;

    DECLARE_MESSAGE_MAP()
};

// Ends, as their Cancel would, the modal dialogs and message boxes of this
// thread: all of them, or only those owned by hWndOwner (directly or through
// other windows). A framework dialog gets its own Cancel (WM_COMMAND IDCANCEL),
// any other dialog EndDialog(IDCANCEL); modeless framework dialogs are left
// alone. Each modal loop returns once control is back in it, so an object a
// dialog works on must live until then. Returns how many were still open
// (ended before, but not yet unwound, counts too).
int AfxEndModalDialogs(HWND hWndOwner = nullptr);

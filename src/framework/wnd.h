#pragma once
// CWnd: a window bound to an object. See framework.h for the rules.
#include <windows.h>

#include <string>

#include "framework/cmd_target.h"

class CDataExchange;
class CFont;
class CScrollBar;

// The message being processed on this thread: window, message, wParam,
// lParam, time and cursor position. The framework's window procedure sets it
// for every message it dispatches and restores the previous record afterwards,
// so it is right again after a nested SendMessage. Other window-procedure
// hooks may save, set and restore it the same way (CCurrentMessageScope).
MSG* AfxGetCurrentMessage();

// Saves the current-message record, sets window, message, wParam and lParam
// (time and position from the thread's last queued message), and restores
// all seven fields when it goes out of scope.
class CCurrentMessageScope {
public:
    CCurrentMessageScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~CCurrentMessageScope();
    CCurrentMessageScope(const CCurrentMessageScope&) = delete;
    CCurrentMessageScope& operator=(const CCurrentMessageScope&) = delete;

private:
    MSG m_saved;
};

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    // Destroying the object of a live window it owns destroys the window
    // first (unhooked, so no handler of the dying object runs).
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // --- Objects and handles -------------------------------------------------
    // The object bound to hWnd; for a window bound to no object, a temporary
    // CWnd that lives until the application's message loop is next idle (do not
    // keep it beyond the current handler). Null only for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    // The bound object, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Binds an existing window to this object without seeing its messages.
    // FALSE when this object already has a window or hWnd is bound elsewhere.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Binds an existing window and routes its messages through this object's
    // map; what the map does not handle goes to the window's own procedure.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    // --- Creation and destruction --------------------------------------------
    // The window is bound before it receives its first message (WM_NCCREATE).
    BOOL CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    // A child window with id nID.
    BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID);
    virtual BOOL DestroyWindow();

    // --- Wrappers ------------------------------------------------------------
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    void UpdateWindow();
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    std::string GetText() const;  // the window text
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    BOOL KillTimer(UINT_PTR nIDEvent);
    CWnd* SetFocus();  // returns the window that had it
    void Invalidate(BOOL bErase = TRUE);
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* pWndNewParent);
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE);
    HFONT GetFont() const;
    // SendMessage / PostMessage to this window (named so windows.h's macros
    // of those names cannot rename them).
    LRESULT SendMsg(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMsg(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // A message box owned by this window; the caption defaults to the
    // application title.
    int MsgBox(const char* lpszText, const char* lpszCaption = nullptr, UINT nType = MB_OK) const;

    // Insert-after value for SetWindowPos.
    static const CWnd wndTopMost;

    // --- Messages ------------------------------------------------------------
    // The window procedure of bound windows calls this for every message:
    // OnWndMsg, and the default processing when no entry took the message.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Commands, notifications and colour requests (reflected to the child
    // first), then the map.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // WM_COMMAND: a menu command or a control notification, to OnCmdMsg.
    // TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: offered to the control's own map first (ON_NOTIFY_REFLECT),
    // then OnCmdMsg. TRUE when handled; *pResult is the answer.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called on the child for a notification its parent got: the reflected
    // entries of this object's map. TRUE when the child took it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called by the message loop for a message of this window or of one of
    // its children before it is dispatched; TRUE when it was consumed.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // The last call the object gets for its window, after WM_NCDESTROY and
    // after it has been unbound. The base does nothing.
    virtual void PostNcDestroy();

    // The default processing of the current message (AfxGetCurrentMessage).
    LRESULT Default();
    // The default processing of any message: the procedure the window had
    // before it was bound (the dialog manager's, the control's own, or
    // DefWindowProc).
    LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    static const MSG* GetCurrentMessage();

    // --- Data exchange -------------------------------------------------------
    // Runs DoDataExchange in one direction (TRUE: controls to members, with
    // validation). FALSE when an exchange failed; the user has then been told
    // why and the focus is on the failing control. While it runs, control
    // notifications to this window are ignored.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

protected:
    // Base handlers: each does the default processing of the current message.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnClose();
    void OnTimer(UINT_PTR nIDEvent);
    void OnHotKey(UINT nHotKeyId, UINT nKey1, UINT nKey2);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnLButtonDblClk(UINT nFlags, POINT point);
    LRESULT OnNcHitTest(POINT point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);

    // The end of every creation: TRUE when hWnd exists and is bound to this
    // object; a window bound elsewhere is destroyed again.
    BOOL AcceptCreated(HWND hWnd);

    // The window procedure the window had before it was bound; null for
    // windows bound with Attach.
    WNDPROC m_pfnSuper = nullptr;

private:
    explicit CWnd(HWND hWndSpecial);  // for wndTopMost

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    void OnNcDestroyed();
    BOOL ReflectChildMsg(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
};

// The framework's window procedure (installed in every bound window).
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Deletes the temporary objects made by FromHandle. The application's message
// loop calls this when idle.
void AfxDeleteTemporaryWnds();

// The module holding the program's resources (templates, menus, strings).
HINSTANCE AfxGetResourceHandle();
// Registers the common control classes the program's templates use (list
// view, tab, status bar); done before every dialog and window creation.
void AfxEnsureCommonControls();

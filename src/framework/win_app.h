#pragma once
// CWinApp: the application object, its message loop and the entry function.
#include <windows.h>

#include <string>

#include "framework/cmd_target.h"

class CWnd;

class CWinApp : public CCmdTarget {
public:
    // The newest application object is the one AfxGetApp returns. The title
    // is lpszAppName, else string resource AFX_IDS_APP_TITLE (57344), else the
    // program's file name without its extension.
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    // FALSE ends the program: the main window, if any, is destroyed and
    // ExitInstance's result becomes the exit code.
    virtual BOOL InitInstance();
    // The base returns the exit code of the WM_QUIT that ended the loop (0 if
    // there was none).
    virtual int ExitInstance();
    // The message loop until WM_QUIT, then ExitInstance's result.
    virtual int Run();
    // Gets and dispatches one message (blocking). FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
    // Offers a message to the windows it is for, from its own window up to
    // its top-level window (a modeless dialog thereby gets Tab, Enter and
    // Escape). TRUE when one consumed it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Called when the queue is empty; the base deletes FromHandle's
    // temporary objects. TRUE asks for another call before waiting.
    virtual BOOL OnIdle(LONG lCount);

    // Icon resource nID of the program (LoadIcon of the classic framework).
    HICON LoadResourceIcon(UINT nIDResource) const;

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    std::string m_strAppName;  // the application title

protected:
    int m_nExitCode = 0;  // wParam of the WM_QUIT that ended the loop

private:
    CWinApp* m_pPreviousApp = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application title; without an application object, what one would get.
std::string AfxGetAppTitle();

// The program's entry: InitInstance; FALSE: destroy the main window if any,
// ExitInstance, return its code; TRUE: Run and return its code. The program's
// WinMain returns AfxWinMain(its four arguments).
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// A message box captioned with the application title, owned by the active
// window of this thread, else by the main window.
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK | MB_ICONEXCLAMATION);
int AfxMessageBox(const std::string& text, UINT nType = MB_OK | MB_ICONEXCLAMATION);

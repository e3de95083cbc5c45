#pragma once
// CFrameWnd: a top-level window built from a resource set (icon, menu and
// title string sharing one id). Commands its map does not handle go on to the
// application object. Allocate frames with new: a frame deletes itself after
// its window is destroyed.
#include "framework/wnd.h"

// Classic frame style bit: would add the document's name to the title. There
// are no documents here, so it adds nothing; it is accepted and passed on
// with the other style bits.
#ifndef FWS_ADDTOTITLE
#define FWS_ADDTOTITLE 0x00008000L
#endif

class CFrameWnd : public CWnd {
public:
    CFrameWnd() = default;
    ~CFrameWnd() override;

    // Registers (once per id) a window class with icon nIDResource and
    // creates the frame with menu nIDResource and the title in string
    // nIDResource (up to its first '\n'); a missing icon, menu or string is
    // left out. FALSE when the window could not be created: the object has
    // then deleted itself, whether or not creation got as far as binding it,
    // so the caller must not touch it again.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr);

    // Frame, then application object.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    // Destroys the window; destroying the main window ends the message loop.
    void OnClose();
    void PostNcDestroy() override;  // delete this

private:
    // Set while LoadFrame runs: tells it whether a failed creation has
    // already deleted this object.
    bool* m_pbDeleted = nullptr;

    DECLARE_MESSAGE_MAP()
};

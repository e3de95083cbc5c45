#pragma once
// CCmdTarget: an object with a message map that commands can be routed to.
#include "framework/message_map.h"
#include "framework/object.h"

// What OnCmdMsg gets as pExtra for a WM_NOTIFY (null for a WM_COMMAND).
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Offers a command to this object's map. For a WM_COMMAND, nCode is the
    // notification code (CN_COMMAND for menus and accelerators) and pExtra is
    // null; for a WM_NOTIFY, nCode is the NMHDR code and pExtra an AFX_NOTIFY.
    // TRUE when an entry handled it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Runs the first entry for (message, code, id) in this object's maps.
    // TRUE when an entry took it; *pResult then holds its result.
    BOOL DispatchEntry(UINT nMessage, UINT nCode, UINT nID, AFX_MSGCALL& call, LRESULT* pResult);
};

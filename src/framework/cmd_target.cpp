#include "framework/cmd_target.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT nMessage, UINT nCode, UINT nID) {
    for (; map != nullptr; map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e) {
            if (e->nMessage == nMessage && e->nCode == nCode && e->nID == nID) return e;
        }
    }
    return nullptr;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::DispatchEntry(UINT nMessage, UINT nCode, UINT nID, AFX_MSGCALL& call, LRESULT* pResult) {
    const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), nMessage, nCode, nID);
    if (entry == nullptr) return FALSE;
    if (!entry->pfn(this, call)) return FALSE;
    if (pResult != nullptr) *pResult = call.result;
    return TRUE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra) {
    if (pExtra == nullptr) {
        AFX_MSGCALL call = {WM_COMMAND, 0, 0, 0};
        return DispatchEntry(WM_COMMAND, static_cast<UINT>(nCode), nID, call, nullptr);
    }
    AFX_NOTIFY* notify = static_cast<AFX_NOTIFY*>(pExtra);
    AFX_MSGCALL call = {WM_NOTIFY, 0, reinterpret_cast<LPARAM>(notify->pNMHDR), 0};
    return DispatchEntry(WM_NOTIFY, static_cast<UINT>(nCode), nID, call, notify->pResult);
}

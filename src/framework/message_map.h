#pragma once
// Message maps: per class, a static table of entries, each binding one window
// message, command or control notification to one handler method, chained to
// the base class's table. Lookup walks from the most derived table to the
// root; the first matching entry wins, so a derived class's entry hides the
// base's entry for the same message.
//
// Each entry holds a thunk instantiated from the handler's member pointer
// (template<auto>), which checks the handler's signature at compile time and
// calls it through the right class: no member-pointer casts, no unions.
#include <windows.h>

#include <type_traits>

class CCmdTarget;
class CWnd;
class CScrollBar;

// Command code of menu items and accelerators (and BN_CLICKED, which is 0 too).
#define CN_COMMAND 0
// Reflected messages live at this offset in the maps of child controls.
#define WM_REFLECT_BASE 0xBC00
// The old all-in-one colour request; reflected WM_CTLCOLORxxx are filed under it.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

// What a thunk receives and gives back.
struct AFX_MSGCALL {
    UINT message;  // for reflected entries, the original message
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// Returns true when the handler took the message.
using AFX_PMSG = bool (*)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_xxx; WM_COMMAND / WM_NOTIFY; WM_REFLECT_BASE + WM_xxx
    UINT nCode;     // control notification code; 0 for window messages
    UINT nID;       // control or command id; 0 for window messages
    AFX_PMSG pfn;   // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The first entry matching (message, code, id), searching from `map` towards
// the root; null when none.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT nMessage, UINT nCode, UINT nID);

// Used by thunks to turn handles into objects (see CWnd::FromHandle).
CWnd* AfxWndFromHandle(HWND hWnd);
CScrollBar* AfxScrollBarFromHandle(HWND hWnd);

namespace afx {

template <class T>
struct MemberFn;
template <class C, class R, class... A>
struct MemberFn<R (C::*)(A...)> {
    using Class = C;
    using Signature = R(A...);
};

template <auto Fn>
using ClassOf = typename MemberFn<decltype(Fn)>::Class;

template <auto Fn, class Sig>
inline constexpr bool kSignatureIs = std::is_same_v<typename MemberFn<decltype(Fn)>::Signature, Sig>;

template <auto Fn>
inline ClassOf<Fn>* Target(CCmdTarget* target) {
    return static_cast<ClassOf<Fn>*>(target);
}

inline POINT PointFromLParam(LPARAM lParam) {
    POINT pt;
    pt.x = static_cast<short>(LOWORD(lParam));
    pt.y = static_cast<short>(HIWORD(lParam));
    return pt;
}

template <auto Fn>
bool CreateThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, int(LPCREATESTRUCT)>, "handler must be int OnCreate(LPCREATESTRUCT)");
    c.result = (Target<Fn>(t)->*Fn)(reinterpret_cast<LPCREATESTRUCT>(c.lParam));
    return true;
}

template <auto Fn>
bool VoidThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, void()>, "handler must be void Handler()");
    (Target<Fn>(t)->*Fn)();
    c.result = 0;
    return true;
}

template <auto Fn>
bool TimerThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, void(UINT_PTR)>, "handler must be void OnTimer(UINT_PTR)");
    (Target<Fn>(t)->*Fn)(static_cast<UINT_PTR>(c.wParam));
    c.result = 0;
    return true;
}

template <auto Fn>
bool HotKeyThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, void(UINT, UINT, UINT)>,
                  "handler must be void OnHotKey(UINT nHotKeyId, UINT nKey1, UINT nKey2)");
    (Target<Fn>(t)->*Fn)(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam));
    c.result = 0;
    return true;
}

template <auto Fn>
bool ShowWindowThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, void(BOOL, UINT)>, "handler must be void OnShowWindow(BOOL bShow, UINT nStatus)");
    (Target<Fn>(t)->*Fn)(static_cast<BOOL>(c.wParam), static_cast<UINT>(c.lParam));
    c.result = 0;
    return true;
}

template <auto Fn>
bool ScrollThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, void(UINT, UINT, CScrollBar*)>,
                  "handler must be void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*)");
    (Target<Fn>(t)->*Fn)(LOWORD(c.wParam), static_cast<UINT>(static_cast<short>(HIWORD(c.wParam))),
                         AfxScrollBarFromHandle(reinterpret_cast<HWND>(c.lParam)));
    c.result = 0;
    return true;
}

template <auto Fn>
bool MouseThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, void(UINT, POINT)>, "handler must be void Handler(UINT nFlags, POINT point)");
    (Target<Fn>(t)->*Fn)(static_cast<UINT>(c.wParam), PointFromLParam(c.lParam));
    c.result = 0;
    return true;
}

template <auto Fn>
bool HitTestThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, LRESULT(POINT)>, "handler must be LRESULT OnNcHitTest(POINT point)");
    c.result = (Target<Fn>(t)->*Fn)(PointFromLParam(c.lParam));
    return true;
}

template <auto Fn>
bool SetCursorThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, BOOL(CWnd*, UINT, UINT)>,
                  "handler must be BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)");
    c.result =
        (Target<Fn>(t)->*Fn)(AfxWndFromHandle(reinterpret_cast<HWND>(c.wParam)), LOWORD(c.lParam), HIWORD(c.lParam));
    return true;
}

template <auto Fn>
bool FocusThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, void(CWnd*)>, "handler must be void Handler(CWnd* pOtherWnd)");
    (Target<Fn>(t)->*Fn)(AfxWndFromHandle(reinterpret_cast<HWND>(c.wParam)));
    c.result = 0;
    return true;
}

template <auto Fn>
bool MessageThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, LRESULT(WPARAM, LPARAM)>, "handler must be LRESULT Handler(WPARAM, LPARAM)");
    c.result = (Target<Fn>(t)->*Fn)(c.wParam, c.lParam);
    return true;
}

template <auto Fn>
bool NotifyThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, void(NMHDR*, LRESULT*)>,
                  "handler must be void Handler(NMHDR* pNMHDR, LRESULT* pResult)");
    LRESULT result = 0;
    (Target<Fn>(t)->*Fn)(reinterpret_cast<NMHDR*>(c.lParam), &result);
    c.result = result;
    return true;
}

// A reflected colour request is taken only when the control answers a brush;
// otherwise the parent's own map and the default processing get it.
template <auto Fn>
bool CtlColorReflectThunk(CCmdTarget* t, AFX_MSGCALL& c) {
    static_assert(kSignatureIs<Fn, HBRUSH(HDC, UINT)>, "handler must be HBRUSH CtlColor(HDC hDC, UINT nCtlColor)");
    HBRUSH brush = (Target<Fn>(t)->*Fn)(reinterpret_cast<HDC>(c.wParam), c.message - WM_CTLCOLORMSGBOX);
    c.result = reinterpret_cast<LRESULT>(brush);
    return brush != nullptr;
}

}  // namespace afx

// In the class body. Leaves the access at protected.
#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

// In one source file: BEGIN_MESSAGE_MAP(CMyDlg, CDialog) entries... END_MESSAGE_MAP()
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }                                  \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                                                  \
        typedef theClass ThisClass;                                                                                    \
        typedef baseClass TheBaseClass;                                                                                \
        static_assert(std::is_base_of_v<TheBaseClass, ThisClass>, "BEGIN_MESSAGE_MAP: the base must be a base class"); \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, nullptr }                                                                          \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

// Window messages. Handlers are methods of the class named in BEGIN_MESSAGE_MAP
// (or inherited by it), with the signatures given.
#define AFX_MSG_ENTRY(msg, thunk, fn) {msg, 0, 0, &afx::thunk<&ThisClass::fn>},
#define ON_WM_CREATE() AFX_MSG_ENTRY(WM_CREATE, CreateThunk, OnCreate)   // int OnCreate(LPCREATESTRUCT)
#define ON_WM_DESTROY() AFX_MSG_ENTRY(WM_DESTROY, VoidThunk, OnDestroy)  // void OnDestroy()
#define ON_WM_CLOSE() AFX_MSG_ENTRY(WM_CLOSE, VoidThunk, OnClose)        // void OnClose()
#define ON_WM_TIMER() AFX_MSG_ENTRY(WM_TIMER, TimerThunk, OnTimer)       // void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_HOTKEY() \
    AFX_MSG_ENTRY(WM_HOTKEY, HotKeyThunk, OnHotKey)  // void OnHotKey(UINT id, UINT modifiers, UINT vk)
#define ON_WM_SHOWWINDOW() AFX_MSG_ENTRY(WM_SHOWWINDOW, ShowWindowThunk, OnShowWindow)  // void OnShowWindow(BOOL, UINT)
#define ON_WM_HSCROLL() AFX_MSG_ENTRY(WM_HSCROLL, ScrollThunk, OnHScroll)  // void OnHScroll(UINT, UINT, CScrollBar*)
#define ON_WM_LBUTTONDOWN() AFX_MSG_ENTRY(WM_LBUTTONDOWN, MouseThunk, OnLButtonDown)        // void (UINT nFlags, POINT)
#define ON_WM_LBUTTONDBLCLK() AFX_MSG_ENTRY(WM_LBUTTONDBLCLK, MouseThunk, OnLButtonDblClk)  // void (UINT nFlags, POINT)
#define ON_WM_NCHITTEST() \
    AFX_MSG_ENTRY(WM_NCHITTEST, HitTestThunk, OnNcHitTest)  // LRESULT OnNcHitTest(POINT screenPoint)
#define ON_WM_SETCURSOR() \
    AFX_MSG_ENTRY(WM_SETCURSOR, SetCursorThunk, OnSetCursor)                    // BOOL OnSetCursor(CWnd*, UINT, UINT)
#define ON_WM_SETFOCUS() AFX_MSG_ENTRY(WM_SETFOCUS, FocusThunk, OnSetFocus)     // void OnSetFocus(CWnd* pOldWnd)
#define ON_WM_KILLFOCUS() AFX_MSG_ENTRY(WM_KILLFOCUS, FocusThunk, OnKillFocus)  // void OnKillFocus(CWnd* pNewWnd)

// Any message: LRESULT fn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) {static_cast<UINT>(message), 0, 0, &afx::MessageThunk<&ThisClass::memberFxn>},

// Commands (menu items, accelerators) and control notifications: void fn().
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), &afx::VoidThunk<&ThisClass::memberFxn>},
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), &afx::VoidThunk<&ThisClass::memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)

// WM_NOTIFY from control `id`: void fn(NMHDR*, LRESULT*).
#define ON_NOTIFY(wNotifyCode, id, memberFxn) \
    {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), &afx::NotifyThunk<&ThisClass::memberFxn>},

// Reflected entries: in the map of the child control itself. When the child
// handles the notification its parent's map does not see it.
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn) \
    {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(wNotifyCode), 0, &afx::NotifyThunk<&ThisClass::memberFxn>},
// HBRUSH CtlColor(HDC, UINT nCtlColor): a null brush leaves the request to the parent.
#define ON_WM_CTLCOLOR_REFLECT() \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, &afx::CtlColorReflectThunk<&ThisClass::CtlColor>},

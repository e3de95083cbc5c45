// Message maps: precedence along the class chain, the default processing of
// what no entry takes, the parameters each entry hands its handler, binding of
// windows to objects, and the per-thread current-message record.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/framework.h"

namespace {

const UINT WM_TEST_A = WM_APP + 1;
const UINT WM_TEST_B = WM_APP + 2;
const UINT WM_TEST_UNHANDLED = WM_APP + 3;
const UINT WM_TEST_OUTER = WM_APP + 10;
const UINT WM_TEST_INNER = WM_APP + 11;

// The class procedure stands for the default processing: it answers 33 to
// WM_TEST_UNHANDLED and counts what reaches it.
int g_defaultCalls = 0;

LRESULT CALLBACK TestClassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TEST_UNHANDLED || message == WM_TEST_A || message == WM_TEST_B) {
        ++g_defaultCalls;
        return 33;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

const char* TestClassName() {
    static const char* name = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestClassProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "FrameworkMapTest";
        ::RegisterClassA(&wc);
        return "FrameworkMapTest";
    }();
    return name;
}

class MapBase : public CWnd {
public:
    int baseA = 0;
    int baseB = 0;

protected:
    LRESULT OnBaseA(WPARAM, LPARAM) {
        ++baseA;
        return 1;
    }
    LRESULT OnBaseB(WPARAM, LPARAM) {
        ++baseB;
        return 2;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MapBase, CWnd)
    ON_MESSAGE(WM_TEST_A, OnBaseA)
    ON_MESSAGE(WM_TEST_B, OnBaseB)
END_MESSAGE_MAP()

class MapDerived : public MapBase {
public:
    int derivedA = 0;
    bool boundAtNcCreate = false;
    bool boundAtCreate = false;
    std::vector<std::string> lifecycle;

protected:
    LRESULT OnDerivedA(WPARAM, LPARAM) {
        ++derivedA;
        return 11;
    }
    LRESULT OnNcCreate(WPARAM, LPARAM) {
        boundAtNcCreate = m_hWnd == GetCurrentMessage()->hwnd && FromHandlePermanent(m_hWnd) == this;
        return Default();
    }
    int OnCreate(LPCREATESTRUCT cs) {
        boundAtCreate = FromHandlePermanent(m_hWnd) == this;
        return CWnd::OnCreate(cs);
    }
    void OnDestroy() {
        lifecycle.push_back("destroy");
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override {
        lifecycle.push_back(m_hWnd == nullptr ? "post-nc-destroy unbound" : "post-nc-destroy bound");
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MapDerived, MapBase)
    ON_MESSAGE(WM_NCCREATE, OnNcCreate)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_TEST_A, OnDerivedA)
END_MESSAGE_MAP()

TEST(MessageMap, DerivedEntryWinsBaseFillsInAndTheRestGetsDefaultProcessing) {
    g_defaultCalls = 0;
    MapDerived wnd;
    ASSERT_TRUE(wnd.CreateEx(0, TestClassName(), "map", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_TRUE(wnd.boundAtNcCreate);
    EXPECT_TRUE(wnd.boundAtCreate);

    EXPECT_EQ(wnd.SendMsg(WM_TEST_A), 11);
    EXPECT_EQ(wnd.derivedA, 1);
    EXPECT_EQ(wnd.baseA, 0);

    EXPECT_EQ(wnd.SendMsg(WM_TEST_B), 2);
    EXPECT_EQ(wnd.baseB, 1);

    EXPECT_EQ(wnd.SendMsg(WM_TEST_UNHANDLED), 33);
    EXPECT_EQ(g_defaultCalls, 1);

    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_EQ(wnd.lifecycle, (std::vector<std::string>{"destroy", "post-nc-destroy unbound"}));
}

// Every cracked entry: the handler gets the message's parameters in the right
// words and signs, and its answer is the message's result.
class CrackedWnd : public CWnd {
public:
    std::vector<std::string> calls;
    CWnd* otherWnd = nullptr;
    CScrollBar* scrollBar = nullptr;
    UINT scrollCode = 0;
    UINT scrollPos = 0;

protected:
    void Record(const std::string& call) { calls.push_back(call); }
    void OnTimer(UINT_PTR id) { Record("timer " + std::to_string(id)); }
    void OnHotKey(UINT id, UINT modifiers, UINT vk) {
        Record("hotkey " + std::to_string(id) + " " + std::to_string(modifiers) + " " + std::to_string(vk));
    }
    void OnShowWindow(BOOL bShow, UINT nStatus) {
        Record("show " + std::to_string(bShow) + " " + std::to_string(nStatus));
    }
    void OnLButtonDown(UINT nFlags, POINT pt) {
        Record("down " + std::to_string(nFlags) + " " + std::to_string(pt.x) + "," + std::to_string(pt.y));
    }
    void OnLButtonDblClk(UINT nFlags, POINT pt) {
        Record("dblclk " + std::to_string(nFlags) + " " + std::to_string(pt.x) + "," + std::to_string(pt.y));
    }
    LRESULT OnNcHitTest(POINT pt) {
        Record("hittest " + std::to_string(pt.x) + "," + std::to_string(pt.y));
        return HTCAPTION;
    }
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
        Record(std::string("cursor ") + (pWnd == this ? "self" : "other") + " " + std::to_string(nHitTest) + " " +
               std::to_string(message));
        return TRUE;
    }
    void OnSetFocus(CWnd* pOldWnd) {
        otherWnd = pOldWnd;
        Record("setfocus");
    }
    void OnKillFocus(CWnd* pNewWnd) {
        otherWnd = pNewWnd;
        Record("killfocus");
    }
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
        scrollCode = nSBCode;
        scrollPos = nPos;
        scrollBar = pScrollBar;
        Record("hscroll");
    }
    void OnClose() { Record("close"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CrackedWnd, CWnd)
    ON_WM_TIMER()
    ON_WM_HOTKEY()
    ON_WM_SHOWWINDOW()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_NCHITTEST()
    ON_WM_SETCURSOR()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_HSCROLL()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

TEST(MessageMap, EntriesHandTheirHandlersTheMessageParameters) {
    CrackedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, TestClassName(), "cracked", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);

    wnd.SendMsg(WM_TIMER, 42);
    wnd.SendMsg(WM_HOTKEY, 7, MAKELPARAM(MOD_WIN, 'A'));
    wnd.SendMsg(WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
    wnd.SendMsg(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 20));
    wnd.SendMsg(WM_LBUTTONDBLCLK, MK_LBUTTON | MK_SHIFT, MAKELPARAM(30, -40));
    EXPECT_EQ(wnd.SendMsg(WM_NCHITTEST, 0, MAKELPARAM(-100, -200)), HTCAPTION);
    EXPECT_EQ(wnd.SendMsg(WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    wnd.SendMsg(WM_CLOSE);
    EXPECT_EQ(::IsWindow(wnd.m_hWnd), TRUE);  // the handler replaced the default close

    EXPECT_EQ(wnd.calls,
              (std::vector<std::string>{"timer 42", "hotkey 7 8 65", "show 1 3", "down 1 -5,20", "dblclk 5 30,-40",
                                        "hittest -100,-200", "cursor self 1 512", "close"}));

    // Focus partners: a window bound to no object arrives as a temporary
    // object for its handle; none arrives as null.
    wnd.SendMsg(WM_SETFOCUS, reinterpret_cast<WPARAM>(other));
    ASSERT_NE(wnd.otherWnd, nullptr);
    EXPECT_EQ(wnd.otherWnd->m_hWnd, other);
    wnd.SendMsg(WM_KILLFOCUS, 0);
    EXPECT_EQ(wnd.otherWnd, nullptr);

    // Scroll bars: the bound object, a temporary scroll bar object for an
    // unbound control, and null for the window's own scroll bars.
    CScrollBar bar;
    RECT rect = {0, 0, 80, 16};
    ASSERT_TRUE(bar.Create(WS_CHILD | SBS_HORZ, rect, &wnd, 100));
    wnd.SendMsg(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 200), reinterpret_cast<LPARAM>(bar.m_hWnd));
    EXPECT_EQ(wnd.scrollBar, &bar);
    EXPECT_EQ(wnd.scrollCode, static_cast<UINT>(SB_THUMBTRACK));
    EXPECT_EQ(wnd.scrollPos, 200u);
    HWND unbound = ::CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | SBS_HORZ, 0, 20, 80, 16, wnd.m_hWnd, nullptr,
                                     nullptr, nullptr);
    wnd.SendMsg(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), reinterpret_cast<LPARAM>(unbound));
    ASSERT_NE(wnd.scrollBar, nullptr);
    EXPECT_EQ(wnd.scrollBar->m_hWnd, unbound);
    EXPECT_EQ(wnd.scrollCode, static_cast<UINT>(SB_LINERIGHT));
    wnd.SendMsg(WM_HSCROLL, MAKEWPARAM(SB_LINELEFT, 0), 0);
    EXPECT_EQ(wnd.scrollBar, nullptr);

    ::DestroyWindow(other);
    wnd.DestroyWindow();
    AfxDeleteTemporaryWnds();
}

// The record of the message being processed is set for each dispatch and put
// back after a nested one.
class RecordingWnd : public CWnd {
public:
    RecordingWnd* inner = nullptr;
    MSG seenBefore{};
    MSG seenAfter{};
    MSG seenInner{};

protected:
    LRESULT OnOuter(WPARAM, LPARAM) {
        seenBefore = *AfxGetCurrentMessage();
        if (inner != nullptr) inner->SendMsg(WM_TEST_INNER, 5, 6);
        seenAfter = *AfxGetCurrentMessage();
        return 0;
    }
    LRESULT OnInner(WPARAM, LPARAM) {
        seenInner = *GetCurrentMessage();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingWnd, CWnd)
    ON_MESSAGE(WM_TEST_OUTER, OnOuter)
    ON_MESSAGE(WM_TEST_INNER, OnInner)
END_MESSAGE_MAP()

bool SameRecord(const MSG& a, const MSG& b) {
    return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam &&
           a.time == b.time && a.pt.x == b.pt.x && a.pt.y == b.pt.y;
}

TEST(MessageMap, CurrentMessageIsSetPerDispatchAndRestoredAfterNestedOnes) {
    RecordingWnd outer;
    RecordingWnd inner;
    ASSERT_TRUE(outer.CreateEx(0, TestClassName(), "outer", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ASSERT_TRUE(inner.CreateEx(0, TestClassName(), "inner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    outer.inner = &inner;

    // Whatever a hook had set before is back afterwards.
    MSG* current = AfxGetCurrentMessage();
    current->hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    current->message = 0x777;
    current->wParam = 8;
    current->lParam = 9;
    current->time = 1000;
    current->pt.x = 11;
    current->pt.y = 12;
    const MSG before = *current;

    outer.SendMsg(WM_TEST_OUTER, 1, 2);

    EXPECT_EQ(outer.seenBefore.hwnd, outer.m_hWnd);
    EXPECT_EQ(outer.seenBefore.message, WM_TEST_OUTER);
    EXPECT_EQ(outer.seenBefore.wParam, 1u);
    EXPECT_EQ(outer.seenBefore.lParam, 2);
    EXPECT_EQ(inner.seenInner.hwnd, inner.m_hWnd);
    EXPECT_EQ(inner.seenInner.message, WM_TEST_INNER);
    EXPECT_EQ(inner.seenInner.wParam, 5u);
    EXPECT_EQ(inner.seenInner.lParam, 6);
    EXPECT_TRUE(SameRecord(outer.seenAfter, outer.seenBefore));
    EXPECT_TRUE(SameRecord(*AfxGetCurrentMessage(), before));

    outer.DestroyWindow();
    inner.DestroyWindow();
}

// Binding existing windows.
class TaggedStatic : public CStatic {
public:
    int tagged = 0;

protected:
    LRESULT OnTag(WPARAM, LPARAM) {
        ++tagged;
        return 5;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TaggedStatic, CStatic)
    ON_MESSAGE(WM_TEST_A, OnTag)
END_MESSAGE_MAP()

TEST(MessageMap, SubclassedWindowsGoThroughTheMapAndGetTheirOwnProcedureBack) {
    HWND hWnd = ::CreateWindowExA(0, "STATIC", "text", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    LONG_PTR ownProc = ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC);

    // Unbound: a temporary object, the same one until the loop is idle.
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    CWnd* temporary = CWnd::FromHandle(hWnd);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->m_hWnd, hWnd);
    EXPECT_EQ(CWnd::FromHandle(hWnd), temporary);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    AfxDeleteTemporaryWnds();

    TaggedStatic tagged;
    ASSERT_TRUE(tagged.SubclassWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandle(hWnd), &tagged);
    EXPECT_EQ(::SendMessageA(hWnd, WM_TEST_A, 0, 0), 5);
    EXPECT_EQ(tagged.tagged, 1);
    EXPECT_EQ(tagged.GetText(), "text");  // WM_GETTEXT: the static's own procedure

    TaggedStatic second;
    EXPECT_FALSE(second.Attach(hWnd));
    EXPECT_FALSE(second.SubclassWindow(hWnd));

    EXPECT_EQ(tagged.Detach(), hWnd);
    EXPECT_EQ(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC), ownProc);
    ::SendMessageA(hWnd, WM_TEST_A, 0, 0);
    EXPECT_EQ(tagged.tagged, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);

    // Attach binds without seeing messages; a destroyed attached window
    // unbinds its object too.
    ASSERT_TRUE(second.Attach(hWnd));
    ::SendMessageA(hWnd, WM_TEST_A, 0, 0);
    EXPECT_EQ(second.tagged, 0);
    EXPECT_TRUE(second.DestroyWindow());
    EXPECT_EQ(second.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST(MessageMap, ObjectDestroyedBeforeItsWindowTakesTheWindowAlong) {
    HWND hWnd = nullptr;
    {
        MapDerived wnd;
        ASSERT_TRUE(wnd.CreateEx(0, TestClassName(), "short-lived", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

// A class's record names it and links to its base's, up to CObject; a class
// without a record of its own answers with its nearest base's.
class DeclaredStatic : public CStatic {
    DECLARE_DYNAMIC(DeclaredStatic)
};
IMPLEMENT_DYNAMIC(DeclaredStatic, CStatic)

std::string ClassChain(const CObject& object) {
    std::string chain;
    for (const CRuntimeClass* c = object.GetRuntimeClass(); c != nullptr; c = c->m_pBaseClass) {
        chain += chain.empty() ? "" : " ";
        chain += c->m_lpszClassName;
    }
    return chain;
}

TEST(RuntimeClass, RecordsChainToTheDeclaredBases) {
    DeclaredStatic declared;
    CListCtrl list;
    EXPECT_EQ(ClassChain(declared), "DeclaredStatic CStatic CWnd CCmdTarget CObject");
    EXPECT_EQ(ClassChain(list), "CWnd CCmdTarget CObject");
}

}  // namespace

// The window-procedure hook on real windows: chains of hooks, unhooking in
// any order, destruction of a hooked window, and the current-message record
// that Default() relies on.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ui/widgets/subclass_wnd.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;
constexpr UINT kNested = WM_APP + 2;
constexpr LRESULT kOwnResult = 700;

std::vector<std::string> g_log;

// The window's own procedure: logs what reaches it.
LRESULT CALLBACK OwnProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbe || message == kNested) {
        g_log.push_back("own " + std::to_string(message - WM_APP) + ":" + std::to_string(wParam));
        return kOwnResult + static_cast<LRESULT>(wParam);
    }
    if (message == WM_NCDESTROY) {
        // What the window's own procedure finds when it sees its end.
        CSubclassWndMap& map = CSubclassWndMap::GetHookMap();
        g_log.push_back(
            std::string("own ncdestroy, hooks left: ") + (map.Lookup(hWnd) != nullptr ? "yes" : "no") +
            ", procedure restored: " +
            (::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&OwnProc) ? "yes" : "no"));
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND MakeWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "SubclassTestWindow";
        registered = ::RegisterClassA(&wc) != 0;
    }
    return ::CreateWindowExA(0, "SubclassTestWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

class NamedHook : public CSubclassWnd {
public:
    explicit NamedHook(std::string name) : m_name(std::move(name)) {}

    bool passOn = true;
    std::vector<UINT> seen;  // every message, for the destruction test

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message != kProbe) return CSubclassWnd::WindowProc(message, wParam, lParam);
        g_log.push_back(m_name);
        if (!passOn) return 1;
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }

private:
    std::string m_name;
};

class SubclassHook : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        hWnd = MakeWindow();
        ASSERT_NE(hWnd, nullptr);
    }
    void TearDown() override {
        if (::IsWindow(hWnd)) ::DestroyWindow(hWnd);
    }

    std::vector<std::string> Probe(WPARAM wParam = 1) {
        g_log.clear();
        result = ::SendMessageA(hWnd, kProbe, wParam, 0);
        return g_log;
    }
    LONG_PTR Procedure() const { return ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC); }

    HWND hWnd = nullptr;
    LRESULT result = 0;
};

using Log = std::vector<std::string>;

TEST_F(SubclassHook, NewestFirstThenOlderThenTheWindowsOwnProcedure) {
    NamedHook a("a"), b("b"), c("c");
    ASSERT_TRUE(a.HookWindow(hWnd));
    ASSERT_TRUE(b.HookWindow(hWnd));
    ASSERT_TRUE(c.HookWindow(hWnd));
    EXPECT_EQ(Procedure(), reinterpret_cast<LONG_PTR>(&HookWndProc));
    EXPECT_EQ(Probe(5), (Log{"c", "b", "a", "own 1:5"}));
    EXPECT_EQ(result, kOwnResult + 5) << "the own procedure's answer comes back through the chain";
    for (const NamedHook* hook : {&a, &b, &c}) {
        EXPECT_EQ(hook->m_pOldWndProc, &OwnProc) << "every hook knows the window's own procedure";
    }

    b.passOn = false;
    EXPECT_EQ(Probe(), (Log{"c", "b"})) << "a hook that does not pass the message on stops it";
    EXPECT_EQ(result, 1);
}

TEST_F(SubclassHook, UnhookingInAnyOrderKeepsTheOthersInOrderAndTheLastPutsTheProcedureBack) {
    const LONG_PTR own = Procedure();
    NamedHook a("a"), b("b"), c("c");
    a.HookWindow(hWnd);
    b.HookWindow(hWnd);
    c.HookWindow(hWnd);

    ASSERT_TRUE(b.HookWindow(nullptr));
    EXPECT_FALSE(b.IsHooked());
    EXPECT_EQ(b.m_pOldWndProc, nullptr);
    EXPECT_EQ(Probe(), (Log{"c", "a", "own 1:1"}));
    EXPECT_EQ(Procedure(), reinterpret_cast<LONG_PTR>(&HookWndProc));

    ASSERT_TRUE(b.HookWindow(hWnd)) << "an unhooked hook can hook again, at the head";
    EXPECT_EQ(Probe(), (Log{"b", "c", "a", "own 1:1"}));

    c.HookWindow(nullptr);  // the middle one again, then the head, then the last
    b.HookWindow(nullptr);
    EXPECT_EQ(Probe(), (Log{"a", "own 1:1"}));
    a.HookWindow(nullptr);
    EXPECT_EQ(Procedure(), own) << "exactly the procedure the window had";
    EXPECT_EQ(CSubclassWndMap::GetHookMap().Lookup(hWnd), nullptr);
    EXPECT_EQ(Probe(), (Log{"own 1:1"}));
}

TEST_F(SubclassHook, RefusesASecondWindowAnotherThreadsWindowAndNonWindows) {
    HWND other = MakeWindow();
    NamedHook a("a");
    ASSERT_TRUE(a.HookWindow(hWnd));
    EXPECT_FALSE(a.HookWindow(other)) << "one hook, one window";
    EXPECT_EQ(a.m_hWndHooked, hWnd);
    EXPECT_EQ(Probe(), (Log{"a", "own 1:1"})) << "the refused call left the chain alone";
    ::DestroyWindow(other);

    NamedHook b("b");
    EXPECT_FALSE(b.HookWindow(other)) << "a destroyed window";
    EXPECT_FALSE(b.IsHooked());

    // A window of another thread: its messages would run the map from that
    // thread, and the map has no lock.
    HWND foreign = nullptr;
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    struct Shared {
        HWND* foreign;
        HANDLE ready, done;
    } shared = {&foreign, ready, done};
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* s = static_cast<Shared*>(p);
            *s->foreign = MakeWindow();
            ::SetEvent(s->ready);
            ::WaitForSingleObject(s->done, 30000);
            ::DestroyWindow(*s->foreign);
            return 0;
        },
        &shared, 0, nullptr);
    ASSERT_EQ(::WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);
    ASSERT_NE(foreign, nullptr);
    EXPECT_FALSE(b.HookWindow(foreign));
    EXPECT_EQ(CSubclassWndMap::GetHookMap().Lookup(foreign), nullptr);
    ::SetEvent(done);
    ::WaitForSingleObject(thread, 30000);
    for (HANDLE h : {thread, ready, done}) ::CloseHandle(h);
}

TEST_F(SubclassHook, DestroyingTheWindowRemovesEveryHookBeforeItsOwnProcedureSeesTheEnd) {
    auto a = std::make_unique<NamedHook>("a");
    auto b = std::make_unique<NamedHook>("b");
    a->HookWindow(hWnd);
    b->HookWindow(hWnd);
    g_log.clear();
    ::DestroyWindow(hWnd);
    EXPECT_EQ(g_log, (Log{"own ncdestroy, hooks left: no, procedure restored: yes"}));
    for (NamedHook* hook : {a.get(), b.get()}) {
        EXPECT_FALSE(hook->IsHooked());
        EXPECT_NE(std::find(hook->seen.begin(), hook->seen.end(), UINT(WM_DESTROY)), hook->seen.end());
        EXPECT_EQ(std::find(hook->seen.begin(), hook->seen.end(), UINT(WM_NCDESTROY)), hook->seen.end())
            << "no hook sees WM_NCDESTROY";
    }
    // The handle is dead: the hooks must not touch it on their way out.
    a.reset();
    b.reset();
    EXPECT_EQ(CSubclassWndMap::GetHookMap().Lookup(hWnd), nullptr);
}

// Someone else subclasses the window after the hook and keeps calling
// HookWndProc: when the hook goes, messages must still reach the window's own
// procedure, and putting that procedure back would cut the other one out.
TEST_F(SubclassHook, AProcedureInstalledAboveTheHooksKeepsWorkingAfterTheyAreGone) {
    static WNDPROC below = nullptr;
    NamedHook a("a");
    a.HookWindow(hWnd);
    below = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == kProbe) g_log.push_back("above");
            return ::CallWindowProcA(below, h, m, w, l);
        })));
    EXPECT_EQ(Probe(), (Log{"above", "a", "own 1:1"}));
    a.HookWindow(nullptr);
    EXPECT_EQ(Probe(), (Log{"above", "own 1:1"}));
    NamedHook b("b");
    ASSERT_TRUE(b.HookWindow(hWnd));
    EXPECT_EQ(Probe(), (Log{"above", "b", "own 1:1"}));
    EXPECT_EQ(b.m_pOldWndProc, &OwnProc);
    b.HookWindow(nullptr);
    g_log.clear();
    ::DestroyWindow(hWnd);
    EXPECT_EQ(g_log.size(), 1u) << "the own procedure still sees the end";
}

// Default() passes on the message being processed; a message sent to the
// window while a hook handles another must not change what that is.
class NestingHook : public CSubclassWnd {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kProbe) {
            const MSG* current = AfxGetCurrentMessage();
            EXPECT_EQ(current->hwnd, m_hWndHooked);
            EXPECT_EQ(current->message, kProbe);
            EXPECT_EQ(current->wParam, wParam);
            ::SendMessageA(m_hWndHooked, kNested, 9, 0);
            return Default();
        }
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }
};

TEST_F(SubclassHook, DefaultPassesOnTheMessageBeingProcessedEvenAfterANestedOne) {
    NestingHook hook;
    hook.HookWindow(hWnd);
    MSG* current = AfxGetCurrentMessage();
    const MSG before = *current;
    current->message = WM_NULL + 77;  // a record the test can recognise
    EXPECT_EQ(Probe(3), (Log{"own 2:9", "own 1:3"}));
    EXPECT_EQ(result, kOwnResult + 3);
    EXPECT_EQ(current->message, WM_NULL + 77u) << "the record is put back afterwards";
    *current = before;
}

}  // namespace

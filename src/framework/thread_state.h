#pragma once
// The framework's per-thread state (internal to the framework).
#include <windows.h>

#include <map>
#include <memory>
#include <typeindex>
#include <unordered_map>
#include <utility>

class CWnd;

struct AfxThreadState {
    // Windows bound to objects.
    std::unordered_map<HWND, CWnd*> permanentMap;
    // Objects FromHandle made for windows bound to none, per handle and type.
    std::map<std::pair<HWND, std::type_index>, std::unique_ptr<CWnd>> temporaryMap;
    // The message being processed (AfxGetCurrentMessage).
    MSG currentMessage{};
    // The window whose control notifications are ignored (UpdateData runs).
    HWND hLockoutNotifyWindow = nullptr;
    // Window creation: the object to bind to the next window created on this
    // thread whose class is pendingClass.
    CWnd* pWndInit = nullptr;
    const char* pendingClass = nullptr;
    HHOOK hCreateHook = nullptr;
};

// Lives as long as the thread (never destroyed: window objects with static
// storage may still look up handles after thread-local objects are gone).
AfxThreadState& AfxGetThreadState();

// Arms the creation hook: the next window of class lpszClass created on this
// thread is bound to pWnd and subclassed before its first message.
void AfxHookWindowCreate(CWnd* pWnd, const char* lpszClass);
// Disarms it (the window was bound, or creation failed before it could be).
void AfxUnhookWindowCreate();

// A temporary object of type T for a window bound to no object of that type.
template <class T>
T* AfxTemporaryWnd(HWND hWnd) {
    AfxThreadState& state = AfxGetThreadState();
    auto key = std::make_pair(hWnd, std::type_index(typeid(T)));
    auto it = state.temporaryMap.find(key);
    if (it == state.temporaryMap.end()) {
        auto object = std::make_unique<T>();
        object->m_hWnd = hWnd;
        it = state.temporaryMap.emplace(key, std::move(object)).first;
    }
    return static_cast<T*>(it->second.get());
}

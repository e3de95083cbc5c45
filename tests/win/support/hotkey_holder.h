#pragma once
// A hotkey held by another program (a thread of its own) for the holder's
// lifetime.
#include <windows.h>

#include <thread>

class HotKeyHolder {
public:
    HotKeyHolder(UINT modifiers, UINT vk) : m_ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        m_thread = std::thread([this, modifiers, vk] {
            MSG msg;
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue the quit is posted to
            ::RegisterHotKey(nullptr, 1, modifiers, vk);
            m_threadId = ::GetCurrentThreadId();
            ::SetEvent(m_ready);
            while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            }
        });
        ::WaitForSingleObject(m_ready, 30000);
    }
    ~HotKeyHolder() {
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
        ::CloseHandle(m_ready);
    }
    HotKeyHolder(const HotKeyHolder&) = delete;
    HotKeyHolder& operator=(const HotKeyHolder&) = delete;

private:
    HANDLE m_ready;
    DWORD m_threadId = 0;
    std::thread m_thread;
};

#include "support/message_pump.h"

#include "framework/win_app.h"

bool PumpUntil(CWinApp& app, const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG peek;
        while (!done() && ::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (peek.message == WM_QUIT) return done();
            app.PumpMessage();
        }
        if (done()) return true;
        ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        DWORD wait = static_cast<DWORD>(deadline - now);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait < 50 ? wait : 50, QS_ALLINPUT);
    }
}

bool TakeQuitMessage(int* exitCode) {
    MSG msg;
    if (!::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    if (exitCode != nullptr) *exitCode = static_cast<int>(msg.wParam);
    return true;
}

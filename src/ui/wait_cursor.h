#pragma once
// The busy cursor for the length of a scope: deriving a strong key takes
// about a second, and the thread answers no input meanwhile.
#include <windows.h>

class WaitCursor {
public:
    WaitCursor() : m_hPrevious(::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))) {}  // IDC_WAIT
    ~WaitCursor() { ::SetCursor(m_hPrevious); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR m_hPrevious;
};

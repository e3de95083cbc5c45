#pragma once
// Running the application's message loop from a test for a bounded time.
#include <windows.h>

#include <functional>

class CWinApp;

// Dispatches queued messages through app (PreTranslateMessage included, as
// CWinApp::Run does) until done() is true or timeoutMs has passed; returns
// done(). Stops early at a WM_QUIT, which it puts back for the caller.
bool PumpUntil(CWinApp& app, const std::function<bool()>& done, DWORD timeoutMs = 5000);

// Removes a WM_QUIT waiting in this thread's queue (left by destroying the
// application's main window) and gives its exit code; false when none waits.
bool TakeQuitMessage(int* exitCode = nullptr);

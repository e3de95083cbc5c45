#pragma once
// The clipboard as the list window uses it: user names, passwords and
// addresses go there as plain text, kept out of clipboard viewers, the
// clipboard history and the cloud clipboard, and taken away again at logout
// and exit if nobody has replaced them since.
#include <windows.h>

#include <string>

enum class ClipboardResult {
    Ok,
    OpenFailed,  // another window holds the clipboard open
    NoMemory,    // the clipboard has been emptied, nothing put there
    SetFailed,   // the clipboard has been emptied, the text refused
};

// Empties the clipboard and puts `text` there as CF_TEXT, with the formats
// that ask viewers, the history and the cloud clipboard to leave it alone.
// Remembers a keyed digest of the text (never the text itself).
ClipboardResult PutClipboardText(HWND hWndOwner, const std::string& text);

// Empties the clipboard when it still holds the text that PutClipboardText
// put there last. Another program may hold the clipboard open for a moment:
// opening is tried a few times, some 20 ms apart. The digest is forgotten
// once the clipboard was looked at; when it could not be opened at all, it
// is kept, so the next call (a later lock, the exit) still takes the text
// back. TRUE when the clipboard was emptied.
BOOL ForgetClipboardText(HWND hWndOwner);

// Whether a text put there is still remembered for taking back.
bool IsClipboardTextRemembered();

// The names of the formats that travel with every text.
extern const char kClipboardViewerIgnore[];
extern const char kClipboardExcludeFromMonitoring[];
extern const char kClipboardCanIncludeInHistory[];
extern const char kClipboardCanUploadToCloud[];

// The allocator of the text's global memory; tests replace it to see the
// out-of-memory path. nullptr restores GlobalAlloc.
using ClipboardAllocFn = HGLOBAL(WINAPI*)(UINT uFlags, SIZE_T dwBytes);
void SetClipboardAllocator(ClipboardAllocFn pfnAlloc);
// The same for opening the clipboard (OpenClipboard) and for handing it the
// text (SetClipboardData).
using ClipboardOpenFn = BOOL(WINAPI*)(HWND hWndNewOwner);
void SetClipboardOpener(ClipboardOpenFn pfnOpen);
using ClipboardSetDataFn = HANDLE(WINAPI*)(UINT uFormat, HANDLE hMem);
void SetClipboardDataSetter(ClipboardSetDataFn pfnSetData);

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
};

// Empties the clipboard and puts `text` there as CF_TEXT, with the formats
// that ask viewers, the history and the cloud clipboard to leave it alone.
// Remembers a keyed digest of the text (never the text itself).
ClipboardResult PutClipboardText(HWND hWndOwner, const std::string& text);

// Empties the clipboard when it still holds the text that PutClipboardText
// put there last, then forgets that text's digest either way. TRUE when the
// clipboard was emptied.
BOOL ForgetClipboardText(HWND hWndOwner);

// The names of the formats that travel with every text.
extern const char kClipboardViewerIgnore[];
extern const char kClipboardExcludeFromMonitoring[];
extern const char kClipboardCanIncludeInHistory[];
extern const char kClipboardCanUploadToCloud[];

// The allocator of the text's global memory; tests replace it to see the
// out-of-memory path. nullptr restores GlobalAlloc.
using ClipboardAllocFn = HGLOBAL(WINAPI*)(UINT uFlags, SIZE_T dwBytes);
void SetClipboardAllocator(ClipboardAllocFn pfnAlloc);

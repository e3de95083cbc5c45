// rand_s is declared only on request, before the C library's headers.
#define _CRT_RAND_S  // NOLINT(bugprone-reserved-identifier): the C library's own switch for rand_s
#include "ui/clipboard.h"

#include <cstdlib>
#include <cstring>

#include "base/secure_wipe.h"
#include "core/crypto/md5.h"

const char kClipboardViewerIgnore[] = "Clipboard Viewer Ignore";
const char kClipboardExcludeFromMonitoring[] = "ExcludeClipboardContentFromMonitorProcessing";
const char kClipboardCanIncludeInHistory[] = "CanIncludeInClipboardHistory";
const char kClipboardCanUploadToCloud[] = "CanUploadToCloudClipboard";

namespace {

ClipboardAllocFn g_pfnAlloc = nullptr;
ClipboardOpenFn g_pfnOpen = nullptr;
ClipboardSetDataFn g_pfnSetData = nullptr;

// Another program (a clipboard manager, a remote session) may hold the
// clipboard open for a moment.
constexpr int kOpenTries = 5;
constexpr DWORD kOpenRetryMs = 20;

bool OpenWithRetry(HWND hWndOwner) {
    for (int attempt = 0; attempt < kOpenTries; ++attempt) {
        if (attempt > 0) Sleep(kOpenRetryMs);
        const BOOL opened = g_pfnOpen != nullptr ? g_pfnOpen(hWndOwner) : OpenClipboard(hWndOwner);
        if (opened) return true;
    }
    return false;
}

HANDLE SetData(UINT format, HANDLE memory) {
    return g_pfnSetData != nullptr ? g_pfnSetData(format, memory) : SetClipboardData(format, memory);
}

// What is known about the last text put on the clipboard. The digest is
// keyed with random bytes of this run, so even a memory dump taken after a
// lock gives no dictionary attack on a copied password.
struct LastText {
    bool haveKey = false;
    bool haveDigest = false;
    unsigned char key[16] = {};
    unsigned char digest[16] = {};
};
LastText g_last;

void EnsureKey() {
    if (g_last.haveKey) return;
    for (std::size_t i = 0; i < sizeof g_last.key; i += sizeof(unsigned int)) {
        unsigned int value = 0;
        // Should the generator fail, the digest is still a digest: only the
        // protection against guessing is weaker.
        if (rand_s(&value) != 0) value = GetTickCount() ^ (GetCurrentProcessId() << 16);
        std::memcpy(g_last.key + i, &value, sizeof value);
    }
    g_last.haveKey = true;
}

void KeyedDigest(const char* text, std::size_t length, unsigned char out[16]) {
    EnsureKey();
    CMD5 md5;
    md5.Update(g_last.key, sizeof g_last.key);
    md5.Update(reinterpret_cast<const unsigned char*>(text), static_cast<std::uint32_t>(length));
    md5.Final(out);
}

void Forget() {
    SecureWipe(g_last.digest, sizeof g_last.digest);
    g_last.haveDigest = false;
}

// Puts one DWORD under a registered format; a failure leaves only that
// marker out.
void PutMarker(const char* formatName, DWORD value) {
    const UINT format = RegisterClipboardFormatA(formatName);
    if (format == 0) return;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof value);
    if (memory == nullptr) return;
    void* data = GlobalLock(memory);
    if (data == nullptr) {
        GlobalFree(memory);
        return;
    }
    std::memcpy(data, &value, sizeof value);
    GlobalUnlock(memory);
    if (SetData(format, memory) == nullptr) GlobalFree(memory);
}

// The CF_TEXT on the clipboard, which is open, matches the remembered digest.
bool HoldsLastText() {
    HANDLE handle = GetClipboardData(CF_TEXT);
    if (handle == nullptr) return false;
    const SIZE_T size = GlobalSize(handle);
    const char* text = static_cast<const char*>(GlobalLock(handle));
    if (text == nullptr) return false;
    std::size_t length = 0;
    while (length < size && text[length] != '\0') ++length;
    unsigned char digest[16];
    KeyedDigest(text, length, digest);
    GlobalUnlock(handle);
    const bool same = std::memcmp(digest, g_last.digest, sizeof digest) == 0;
    SecureWipe(digest, sizeof digest);
    return same;
}

}  // namespace

void SetClipboardAllocator(ClipboardAllocFn pfnAlloc) { g_pfnAlloc = pfnAlloc; }
void SetClipboardOpener(ClipboardOpenFn pfnOpen) { g_pfnOpen = pfnOpen; }
void SetClipboardDataSetter(ClipboardSetDataFn pfnSetData) { g_pfnSetData = pfnSetData; }

ClipboardResult PutClipboardText(HWND hWndOwner, const std::string& text) {
    if (!OpenWithRetry(hWndOwner)) return ClipboardResult::OpenFailed;
    EmptyClipboard();
    // Whatever was remembered is gone from the clipboard now.
    Forget();
    const SIZE_T size = text.size() + 1;
    const UINT flags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;
    HGLOBAL memory = g_pfnAlloc != nullptr ? g_pfnAlloc(flags, size) : GlobalAlloc(flags, size);
    if (memory == nullptr) {
        CloseClipboard();
        return ClipboardResult::NoMemory;
    }
    char* data = static_cast<char*>(GlobalLock(memory));
    if (data == nullptr) {
        GlobalFree(memory);
        CloseClipboard();
        return ClipboardResult::NoMemory;
    }
    std::memcpy(data, text.c_str(), size);
    GlobalUnlock(memory);
    // The markers go first, so no listener ever sees the text without them.
    PutMarker(kClipboardViewerIgnore, 1);
    PutMarker(kClipboardExcludeFromMonitoring, 1);
    PutMarker(kClipboardCanIncludeInHistory, 0);
    PutMarker(kClipboardCanUploadToCloud, 0);
    if (SetData(CF_TEXT, memory) == nullptr) {
        // The clipboard no longer holds what it had: that is not a copy.
        GlobalFree(memory);
        CloseClipboard();
        return ClipboardResult::SetFailed;
    }
    KeyedDigest(text.data(), text.size(), g_last.digest);
    g_last.haveDigest = true;
    CloseClipboard();
    return ClipboardResult::Ok;
}

BOOL ForgetClipboardText(HWND hWndOwner) {
    if (!g_last.haveDigest) return FALSE;
    if (!OpenWithRetry(hWndOwner)) return FALSE;
    BOOL emptied = FALSE;
    bool done = true;
    if (HoldsLastText()) {
        emptied = EmptyClipboard();
        done = emptied != FALSE;
    }
    CloseClipboard();
    if (done) Forget();
    return emptied;
}

bool IsClipboardTextRemembered() { return g_last.haveDigest; }

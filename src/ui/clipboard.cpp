#include "ui/clipboard.h"

#include <cstring>

#include "base/random_source.h"
#include "base/secure_wipe.h"
#include "core/crypto/md5.h"

const char kClipboardViewerIgnore[] = "Clipboard Viewer Ignore";
const char kClipboardExcludeFromMonitoring[] = "ExcludeClipboardContentFromMonitorProcessing";
const char kClipboardCanIncludeInHistory[] = "CanIncludeInClipboardHistory";
const char kClipboardCanUploadToCloud[] = "CanUploadToCloudClipboard";

namespace {

// Another program (a clipboard manager, a remote session) may hold the
// clipboard open for a moment.
constexpr int kOpenTries = 5;
constexpr DWORD kOpenRetryMs = 20;

}  // namespace

BOOL SystemClipboardCalls::Open(HWND hWndOwner) { return ::OpenClipboard(hWndOwner); }
BOOL SystemClipboardCalls::Empty() { return ::EmptyClipboard(); }
BOOL SystemClipboardCalls::Close() { return ::CloseClipboard(); }
UINT SystemClipboardCalls::RegisterFormat(const char* name) { return ::RegisterClipboardFormatA(name); }
HGLOBAL SystemClipboardCalls::Alloc(UINT flags, SIZE_T bytes) { return ::GlobalAlloc(flags, bytes); }
HANDLE SystemClipboardCalls::SetData(UINT format, HANDLE memory) { return ::SetClipboardData(format, memory); }
HANDLE SystemClipboardCalls::GetData(UINT format) { return ::GetClipboardData(format); }

Clipboard::Clipboard(RandomSource& random) : m_random(random) {}

Clipboard::~Clipboard() {
    SecureWipe(m_key, sizeof m_key);
    SecureWipe(m_digest, sizeof m_digest);
}

void Clipboard::SetCalls(ClipboardCalls* calls) { m_calls = calls != nullptr ? calls : &m_systemCalls; }

bool Clipboard::OpenWithRetry(HWND hWndOwner) {
    for (int attempt = 0; attempt < kOpenTries; ++attempt) {
        if (attempt > 0) Sleep(kOpenRetryMs);
        if (m_calls->Open(hWndOwner)) return true;
    }
    return false;
}

void Clipboard::EnsureKey() {
    if (m_haveKey) return;
    if (!m_random.Fill(m_key, sizeof m_key)) {
        // Should the source fail, the digest is still a digest: only the
        // protection against guessing is weaker.
        for (std::size_t i = 0; i < sizeof m_key; i += sizeof(DWORD)) {
            const DWORD value = GetTickCount() ^ (GetCurrentProcessId() << 16);
            std::memcpy(m_key + i, &value, sizeof value);
        }
    }
    m_haveKey = true;
}

void Clipboard::KeyedDigest(const char* text, std::size_t length, unsigned char out[16]) {
    EnsureKey();
    CMD5 md5;
    md5.Update(m_key, sizeof m_key);
    md5.Update(reinterpret_cast<const unsigned char*>(text), static_cast<std::uint32_t>(length));
    md5.Final(out);
}

void Clipboard::Forget() {
    SecureWipe(m_digest, sizeof m_digest);
    m_haveDigest = false;
}

// Puts one DWORD under a registered format; a failure leaves only that
// marker out.
void Clipboard::PutMarker(const char* formatName, DWORD value) {
    const UINT format = m_calls->RegisterFormat(formatName);
    if (format == 0) return;
    HGLOBAL memory = m_calls->Alloc(GMEM_MOVEABLE, sizeof value);
    if (memory == nullptr) return;
    void* data = GlobalLock(memory);
    if (data == nullptr) {
        GlobalFree(memory);
        return;
    }
    std::memcpy(data, &value, sizeof value);
    GlobalUnlock(memory);
    if (m_calls->SetData(format, memory) == nullptr) GlobalFree(memory);
}

// The CF_TEXT on the clipboard, which is open, matches the remembered digest.
bool Clipboard::HoldsLastText() {
    HANDLE handle = m_calls->GetData(CF_TEXT);
    if (handle == nullptr) return false;
    const SIZE_T size = GlobalSize(handle);
    const char* text = static_cast<const char*>(GlobalLock(handle));
    if (text == nullptr) return false;
    std::size_t length = 0;
    while (length < size && text[length] != '\0') ++length;
    unsigned char digest[16];
    KeyedDigest(text, length, digest);
    GlobalUnlock(handle);
    const bool same = std::memcmp(digest, m_digest, sizeof digest) == 0;
    SecureWipe(digest, sizeof digest);
    return same;
}

ClipboardResult Clipboard::PutText(HWND hWndOwner, const std::string& text) {
    if (!OpenWithRetry(hWndOwner)) return ClipboardResult::OpenFailed;
    m_calls->Empty();
    // Whatever was remembered is gone from the clipboard now.
    Forget();
    const SIZE_T size = text.size() + 1;
    HGLOBAL memory = m_calls->Alloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
    if (memory == nullptr) {
        m_calls->Close();
        return ClipboardResult::NoMemory;
    }
    char* data = static_cast<char*>(GlobalLock(memory));
    if (data == nullptr) {
        GlobalFree(memory);
        m_calls->Close();
        return ClipboardResult::NoMemory;
    }
    std::memcpy(data, text.c_str(), size);
    GlobalUnlock(memory);
    // The markers go first, so no listener ever sees the text without them.
    PutMarker(kClipboardViewerIgnore, 1);
    PutMarker(kClipboardExcludeFromMonitoring, 1);
    PutMarker(kClipboardCanIncludeInHistory, 0);
    PutMarker(kClipboardCanUploadToCloud, 0);
    if (m_calls->SetData(CF_TEXT, memory) == nullptr) {
        // The clipboard no longer holds what it had: that is not a copy.
        GlobalFree(memory);
        m_calls->Close();
        return ClipboardResult::SetFailed;
    }
    KeyedDigest(text.data(), text.size(), m_digest);
    m_haveDigest = true;
    m_calls->Close();
    return ClipboardResult::Ok;
}

BOOL Clipboard::ForgetText(HWND hWndOwner) {
    if (!m_haveDigest) return FALSE;
    if (!OpenWithRetry(hWndOwner)) return FALSE;
    BOOL emptied = FALSE;
    bool done = true;
    if (HoldsLastText()) {
        emptied = m_calls->Empty();
        done = emptied != FALSE;
    }
    m_calls->Close();
    if (done) Forget();
    return emptied;
}

Clipboard& ProgramClipboard() {
    static Clipboard clipboard(SystemRandomSource());
    return clipboard;
}

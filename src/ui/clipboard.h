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

class RandomSource;

// The system's clipboard calls that the copies make. Tests stand in for one
// of them to see it fail.
class ClipboardCalls {
public:
    virtual ~ClipboardCalls() = default;
    virtual BOOL Open(HWND hWndOwner) = 0;
    virtual BOOL Empty() = 0;
    virtual BOOL Close() = 0;
    virtual UINT RegisterFormat(const char* name) = 0;
    // The global memory a format's data is handed over in.
    virtual HGLOBAL Alloc(UINT flags, SIZE_T bytes) = 0;
    virtual HANDLE SetData(UINT format, HANDLE memory) = 0;
    virtual HANDLE GetData(UINT format) = 0;
};

// OpenClipboard, EmptyClipboard and the rest, as they are.
class SystemClipboardCalls : public ClipboardCalls {
public:
    BOOL Open(HWND hWndOwner) override;
    BOOL Empty() override;
    BOOL Close() override;
    UINT RegisterFormat(const char* name) override;
    HGLOBAL Alloc(UINT flags, SIZE_T bytes) override;
    HANDLE SetData(UINT format, HANDLE memory) override;
    HANDLE GetData(UINT format) override;
};

// What is known about the text last put on the clipboard: a digest keyed
// with random bytes of this run (never the text itself), so that even a
// memory dump taken after a lock gives no dictionary attack on a copied
// password.
class Clipboard {
public:
    // The key is drawn from `random` at the first copy.
    explicit Clipboard(RandomSource& random);
    ~Clipboard();
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;

    // The clipboard calls made from now on; nullptr restores the system's.
    void SetCalls(ClipboardCalls* calls);

    // Empties the clipboard and puts `text` there as CF_TEXT, with the
    // formats that ask viewers, the history and the cloud clipboard to leave
    // it alone, and remembers its digest.
    ClipboardResult PutText(HWND hWndOwner, const std::string& text);

    // Empties the clipboard when it still holds the text that PutText put
    // there last. Another program may hold the clipboard open for a moment:
    // opening is tried a few times, some 20 ms apart. The digest is
    // forgotten once the clipboard was looked at; when it could not be opened
    // at all, it is kept, so the next call (a later lock, the exit) still
    // takes the text back. TRUE when the clipboard was emptied.
    BOOL ForgetText(HWND hWndOwner);

    // Whether a text put there is still remembered for taking back.
    bool IsTextRemembered() const { return m_haveDigest; }

private:
    bool OpenWithRetry(HWND hWndOwner);
    void EnsureKey();
    void KeyedDigest(const char* text, std::size_t length, unsigned char out[16]);
    void Forget();
    void PutMarker(const char* formatName, DWORD value);
    bool HoldsLastText();

    SystemClipboardCalls m_systemCalls;
    ClipboardCalls* m_calls = &m_systemCalls;
    RandomSource& m_random;
    bool m_haveKey = false;
    bool m_haveDigest = false;
    unsigned char m_key[16] = {};
    unsigned char m_digest[16] = {};
};

// The program's one clipboard record, keyed from the program's random
// source: the list window's copies and the exit's clean-up must see the same
// digest.
Clipboard& ProgramClipboard();

// The program's clipboard, as the list window and the exit use it.
inline ClipboardResult PutClipboardText(HWND hWndOwner, const std::string& text) {
    return ProgramClipboard().PutText(hWndOwner, text);
}
inline BOOL ForgetClipboardText(HWND hWndOwner) { return ProgramClipboard().ForgetText(hWndOwner); }
inline bool IsClipboardTextRemembered() { return ProgramClipboard().IsTextRemembered(); }

// The names of the formats that travel with every text.
extern const char kClipboardViewerIgnore[];
extern const char kClipboardExcludeFromMonitoring[];
extern const char kClipboardCanIncludeInHistory[];
extern const char kClipboardCanUploadToCloud[];

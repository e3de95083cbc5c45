#include "ui/auto_type.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/secret_string.h"
#include "base/secure_wipe.h"
#include "core/autotype/sequence.h"
#include "framework/framework.h"
#include "ui/app_services.h"

namespace {

// The target needs a moment to come forward; the user a moment to let go of
// the keys that asked for the typing.
constexpr DWORD kFrontWaitMs = 2000;
constexpr DWORD kKeysWaitMs = 3000;
constexpr DWORD kPollMs = 20;

constexpr char kNoTarget[] =
    "There is no window to type into. Show the list from the window that asks for the login, then press Ctrl+V.";
constexpr char kTargetLeft[] = "Auto-type stopped: the window it was typing into is no longer in front.";
constexpr char kNotInFront[] = "Auto-type did not start: the window to type into did not come to the front.";
constexpr char kKeysHeld[] = "Auto-type did not start: release Ctrl, Alt, Shift and the Windows key.";
constexpr char kKeysPressed[] = "Auto-type stopped: Ctrl, Alt, Shift or the Windows key was held down while it typed.";
constexpr char kRefused[] =
    "Auto-type stopped: Windows refused the keys. The window may belong to a program running with more rights.";
constexpr char kUntypable[] =
    "The user name or password of this login holds a character that cannot be typed. "
    "Nothing was typed.";

// Bumped by every lock; a sequence that sees it change stops.
unsigned g_stopCount = 0;
bool g_running = false;
// The program is ending: nothing more is typed.
bool g_quitSeen = false;

using WideSecret = std::basic_string<wchar_t, std::char_traits<wchar_t>, WipingAllocator<wchar_t>>;

// What one call of SendInput (or one pause) does.
struct Piece {
    enum Kind { Characters, Key, Pause } kind;
    WideSecret units;
    WORD vk;
    unsigned pauseMs;
};
using Pieces = std::vector<Piece, WipingAllocator<Piece>>;

void Tell(const std::string& text) {
    // Owned by one of ours (or nothing), never by the target: a box of ours
    // there would hand the user's next keys to it.
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

bool IsOurs(HWND hWnd) {
    DWORD process = 0;
    GetWindowThreadProcessId(hWnd, &process);
    return process == GetCurrentProcessId();
}

bool IsTaskbar(HWND hWnd) {
    char name[32] = {};
    GetClassNameA(hWnd, name, sizeof name);
    return lstrcmpiA(name, "Shell_TrayWnd") == 0 || lstrcmpiA(name, "NotifyIconOverflowWindow") == 0;
}

bool InFront(HWND target) {
    HWND front = GetForegroundWindow();
    return front != nullptr && GetAncestor(front, GA_ROOT) == target && !IsOurs(target);
}

bool AnyModifierDown() {
    for (int vk : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN}) {
        if ((GetAsyncKeyState(vk) & 0x8000) != 0) return true;
    }
    return false;
}

// Dispatches messages until done() or the bound; a WM_QUIT is put back and
// ends the wait. Gives done().
bool WaitFor(DWORD boundMs, const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= boundMs) return false;
        const DWORD left = boundMs - elapsed;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < kPollMs ? left : kPollMs, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                g_quitSeen = true;
                return done();
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void AppendUnits(WideSecret& units, std::uint32_t code) {
    if (code < 0x10000) {
        units.push_back(static_cast<wchar_t>(code));
    } else {
        code -= 0x10000;
        units.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
        units.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    }
}

// ANSI text as UTF-16 through the code page; false when a byte has no
// character.
bool AppendAnsi(WideSecret& units, const char* text, std::size_t length) {
    std::size_t at = 0;
    std::uint32_t code = 0;
    while (at < length) {
        if (!NextAnsiCharacter(text, length, at, code)) return false;
        AppendUnits(units, code);
    }
    code = 0;
    return true;
}

std::size_t FieldLength(const char* field, std::size_t width) {
    std::size_t length = 0;
    while (length < width && field[length] != '\0') ++length;
    return length;
}

bool Expand(const AutoTypeSequence& sequence, const LoginItem& item, Pieces& pieces) {
    for (const AutoTypeStep& step : sequence.steps) {
        // Filled where it stays: a moved short string leaves its characters
        // behind in the piece it came from.
        pieces.push_back(Piece{Piece::Characters, WideSecret(), 0, 0});
        Piece& piece = pieces.back();
        bool ok = true;
        switch (step.kind) {
        case AutoTypeStepKind::Text: ok = AppendAnsi(piece.units, step.text.data(), step.text.size()); break;
        case AutoTypeStepKind::UserName:
            ok = AppendAnsi(piece.units, item.userName, FieldLength(item.userName, sizeof item.userName));
            break;
        case AutoTypeStepKind::Password:
            ok = AppendAnsi(piece.units, item.password, FieldLength(item.password, sizeof item.password));
            break;
        case AutoTypeStepKind::Tab:
            piece.kind = Piece::Key;
            piece.vk = VK_TAB;
            break;
        case AutoTypeStepKind::Enter:
            piece.kind = Piece::Key;
            piece.vk = VK_RETURN;
            break;
        case AutoTypeStepKind::Delay:
            piece.kind = Piece::Pause;
            piece.pauseMs = step.delayMs;
            break;
        }
        if (!ok) return false;
    }
    return true;
}

// One key-down and key-up per UTF-16 unit (a surrogate pair is two), as
// Unicode characters, so the keyboard layout plays no part; Tab and Enter as
// the keys themselves, which dialogs act on.
bool Send(const Piece& piece) {
    std::vector<INPUT, WipingAllocator<INPUT>> inputs;
    if (piece.kind == Piece::Key) {
        inputs.resize(2);
        for (INPUT& input : inputs) {
            ZeroMemory(&input, sizeof input);
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = piece.vk;
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(piece.vk, MAPVK_VK_TO_VSC));
        }
    } else {
        inputs.resize(piece.units.size() * 2);
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            INPUT& input = inputs[i];
            ZeroMemory(&input, sizeof input);
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = static_cast<WORD>(piece.units[i / 2]);
            input.ki.dwFlags = KEYEVENTF_UNICODE;
        }
    }
    for (std::size_t i = 1; i < inputs.size(); i += 2) inputs[i].ki.dwFlags |= KEYEVENTF_KEYUP;
    if (inputs.empty()) return true;
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    SecureWipe(inputs.data(), inputs.size() * sizeof(INPUT));
    return sent == inputs.size();
}

class RunningFlag {
public:
    RunningFlag() { g_running = true; }
    ~RunningFlag() { g_running = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;
};

AutoTypeResult TypePieces(AppServices& services, HWND target, const Pieces& pieces) {
    const unsigned stopCount = g_stopCount;
    g_quitSeen = false;
    const auto stopped = [&] { return g_stopCount != stopCount || g_quitSeen || !services.IsLoggedIn(); };

    if (IsIconic(target)) ShowWindow(target, SW_RESTORE);
    SetForegroundWindow(target);
    WaitFor(kFrontWaitMs, [&] { return stopped() || InFront(target); });
    if (stopped()) return AutoTypeResult::Stopped;
    if (!InFront(target)) {
        Tell(kNotInFront);
        return AutoTypeResult::TargetLeft;
    }
    bool started = false;
    for (const Piece& piece : pieces) {
        // A held Ctrl would turn a letter into a shortcut of the target: the
        // keys that asked for the typing are let go first, and one pressed
        // during a pause is waited for as well.
        if (piece.kind != Piece::Pause) WaitFor(kKeysWaitMs, [&] { return stopped() || !AnyModifierDown(); });
        if (stopped()) return AutoTypeResult::Stopped;
        if (piece.kind != Piece::Pause && AnyModifierDown()) {
            Tell(started ? kKeysPressed : kKeysHeld);
            return AutoTypeResult::KeysHeld;
        }
        if (!InFront(target)) {
            Tell(kTargetLeft);
            return AutoTypeResult::TargetLeft;
        }
        if (piece.kind == Piece::Pause) {
            // A pause waits for the target (a second page loading): leaving
            // it meanwhile stops the typing at once, not after the pause.
            WaitFor(piece.pauseMs, [&] { return stopped() || !InFront(target); });
        } else if (!Send(piece)) {
            Tell(kRefused);
            return AutoTypeResult::TargetLeft;
        } else {
            started = true;
        }
    }
    return stopped() ? AutoTypeResult::Stopped : AutoTypeResult::Typed;
}

}  // namespace

AutoTypeResult AutoTypeInto(AppServices& services, HWND target, const LoginItem& item) {
    // A second request while one types (the hotkey pressed again meanwhile)
    // would interleave the two.
    if (g_running) return AutoTypeResult::Stopped;
    const RunningFlag running;

    const AutoTypeSequence sequence = ParseAutoTypeSequence(item.description, sizeof item.description);
    if (sequence.error != SequenceError::None) {
        const char* what = sequence.error == SequenceError::Unclosed ? "an unclosed placeholder "
                           : sequence.error == SequenceError::BadDelay
                               ? "a delay that is not a number of milliseconds from 1 to 10000: "
                               : "an unknown placeholder ";
        Tell(std::string("The Auto-Type line of this login has ") + what + sequence.offending + ". Nothing was typed.");
        return AutoTypeResult::BadSequence;
    }
    if (!IsAutoTypeTarget(target)) {
        Tell(kNoTarget);
        return AutoTypeResult::NoTarget;
    }
    Pieces pieces;
    if (!Expand(sequence, item, pieces)) {
        Tell(kUntypable);
        return AutoTypeResult::BadSequence;
    }
    return TypePieces(services, target, pieces);
}

void StopAutoType() { ++g_stopCount; }

bool IsAutoTypeTarget(HWND target) {
    return target != nullptr && IsWindow(target) && GetAncestor(target, GA_ROOT) == target && IsWindowVisible(target) &&
           !IsOurs(target);
}

HWND AutoTypeTargetInFront() {
    HWND front = GetForegroundWindow();
    if (front == nullptr) return nullptr;
    HWND root = GetAncestor(front, GA_ROOT);
    if (IsTaskbar(root)) {
        HWND below = GetWindow(root, GW_HWNDNEXT);
        while (below != nullptr &&
               (!IsWindowVisible(below) || IsTaskbar(below) || IsOurs(below) ||
                (GetWindowLongA(below, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0 || GetWindowTextLengthA(below) == 0)) {
            below = GetWindow(below, GW_HWNDNEXT);
        }
        root = below;
    }
    return IsAutoTypeTarget(root) ? root : nullptr;
}

// Drives the running program through a day of use, over and over, for the
// soak benchmark, and counts what the program holds as it goes. It works from
// outside, by messages to the program's windows, the way the tray icon, the
// hotkey and the mouse reach them, and waits for every window it opens or
// closes (with a generous bound) before the next step.
//
//   soak_driver CYCLES SAMPLE_EVERY CONFIG_EVERY LOCK_EVERY [SKIP]
//
// SKIP names steps to leave out, for finding which one makes the program
// grow: c the copies, f the item form, p the paging.
//
// The master password is the first line of standard input, never an
// argument. Output, one line each:
//   ready                       logged in, the list window found
//   sample CYCLE HANDLES GDI USER WINDOWS
//                               after every SAMPLE_EVERY cycles (and after
//                               cycle 0, before any); the driver then waits
//                               for a line on standard input, so the caller
//                               can look at the process meanwhile. GDI is -1
//                               when nothing tells it, USER likewise.
//   gui GDI USER                once: what GetGuiResources says
//   handles N                   once: what GetProcessHandleCount says
//   times STEP=MS...            the mean time of each step of a cycle
//   done CYCLES
//   fail WHAT                   and exit status 1
#include <windows.h>
#include <commctrl.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/app_messages.h"
#include "ui/hotkey.h"

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr UINT kCallTimeoutMs = 20000;
constexpr UINT_PTR kClientPaneId = 0xE900;

[[noreturn]] void Fail(const char* what) {
    std::printf("fail %s\n", what);
    (void)std::fflush(stdout);
    std::exit(1);
}

template <typename Condition>
void WaitFor(const char* what, Condition condition) {
    const DWORD began = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - began > kWaitMs) Fail(what);
        Sleep(1);
    }
}

// A sent message that a hung program cannot block for ever.
LRESULT Call(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_NORMAL, kCallTimeoutMs, &result)) {
        Fail("the program did not answer a message");
    }
    return static_cast<LRESULT>(result);
}

void Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageA(hWnd, message, wParam, lParam)) Fail("a message could not be posted");
}

// --- the program's windows ---------------------------------------------------

struct TopSearch {
    DWORD pid;
    const char* title;  // nullptr: any
    int childId;        // 0: none asked for
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindChildId(HWND hWnd, LPARAM lParam) {
    int* id = reinterpret_cast<int*>(lParam);
    if (GetDlgCtrlID(hWnd) == *id) {
        *id = 0;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTop(HWND hWnd, LPARAM lParam) {
    TopSearch* search = reinterpret_cast<TopSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (search->pid != 0 && pid != search->pid) return TRUE;
    if (search->visibleOnly && !IsWindowVisible(hWnd)) return TRUE;
    if (search->title != nullptr) {
        char text[128] = {};
        GetWindowTextA(hWnd, text, sizeof text);
        if (std::strcmp(text, search->title) != 0) return TRUE;
    }
    if (search->childId != 0) {
        int id = search->childId;
        EnumChildWindows(hWnd, FindChildId, reinterpret_cast<LPARAM>(&id));
        if (id != 0) return TRUE;
    }
    search->found = hWnd;
    return FALSE;
}

HWND FindTopWindow(DWORD pid, const char* title, int childId, bool visibleOnly) {
    TopSearch search = {pid, title, childId, visibleOnly, nullptr};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitDialog(DWORD pid, const char* title) {
    HWND found = nullptr;
    WaitFor(title, [&] { return (found = FindTopWindow(pid, title, 0, true)) != nullptr; });
    return found;
}

void WaitDialogGone(DWORD pid, const char* title) {
    WaitFor(title, [&] { return FindTopWindow(pid, title, 0, true) == nullptr; });
}

// --- the program's memory --------------------------------------------------

// A block taken in the program for what a control writes back (a rectangle,
// a row's text).
class RemoteBlock {
public:
    static constexpr SIZE_T kSize = 4096;
    explicit RemoteBlock(HANDLE process) : m_process(process) {
        m_address = VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (m_address == nullptr) Fail("no memory in the program");
    }
    ~RemoteBlock() { VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE); }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    char* At(SIZE_T offset) const { return static_cast<char*>(m_address) + offset; }
    void Write(SIZE_T offset, const void* data, SIZE_T size) const {
        SIZE_T moved = 0;
        if (!WriteProcessMemory(m_process, At(offset), data, size, &moved)) Fail("writing into the program");
    }
    void Read(SIZE_T offset, void* data, SIZE_T size) const {
        SIZE_T moved = 0;
        if (!ReadProcessMemory(m_process, At(offset), data, size, &moved)) Fail("reading from the program");
    }

private:
    HANDLE m_process;
    void* m_address;
};

// The GDI objects a process holds, counted in its handle table: the table
// the process environment block points to, one 24-byte entry per handle, a
// free entry of type 0. -1 when the table cannot be read.
long CountGdiObjects(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) return -1;
    constexpr SIZE_T kGdiTableOffset = 0xF8;  // in a 64-bit process environment block
    ULONG64 table = 0;
    SIZE_T moved = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + kGdiTableOffset, &table,
                           sizeof table, &moved) ||
        table == 0) {
        return -1;
    }
    struct Entry {
        ULONG64 object;
        ULONG owner;
        USHORT unique;
        UCHAR type;
        UCHAR flags;
        ULONG64 user;
    };
    static_assert(sizeof(Entry) == 24, "a GDI handle entry");
    constexpr SIZE_T kEntries = 0x10000;
    std::vector<Entry> entries(kEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(static_cast<ULONG_PTR>(table)), entries.data(),
                           kEntries * sizeof(Entry), &moved)) {
        return -1;
    }
    long count = 0;
    for (SIZE_T i = 0; i < moved / sizeof(Entry); ++i) count += entries[i].type != 0 ? 1 : 0;
    return count;
}

// Whether the count above sees GDI objects come and go: this process's own
// count follows brushes made and deleted.
bool GdiCountWorks() {
    constexpr int kBrushes = 50;
    const long before = CountGdiObjects(GetCurrentProcess());
    HBRUSH brushes[kBrushes];
    for (HBRUSH& brush : brushes) brush = CreateSolidBrush(RGB(1, 2, 3));
    const long made = CountGdiObjects(GetCurrentProcess());
    for (HBRUSH brush : brushes) DeleteObject(brush);
    const long after = CountGdiObjects(GetCurrentProcess());
    return before >= 0 && made == before + kBrushes && after == before;
}

// The handles a process holds, from the system's list of every process's
// handles (GetProcessHandleCount may not know). -1 when there is no list.
long CountHandles(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE type;
        BYTE flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ULONG length = 0;
        const NTSTATUS status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &length);
        if (status == kLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, length + 4096));
            continue;
        }
        if (status != 0) return -1;
        break;
    }
    const Table* table = reinterpret_cast<const Table*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerPid == pid ? 1 : 0;
    return count;
}

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++reinterpret_cast<WindowCount*>(lParam)->count;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND hWnd, LPARAM lParam) {
    WindowCount* count = reinterpret_cast<WindowCount*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != count->pid) return TRUE;
    ++count->count;
    EnumChildWindows(hWnd, CountChild, lParam);
    return TRUE;
}

// Every window of the process: top-level, message-only, and their children.
long CountWindows(DWORD pid) {
    WindowCount count = {pid, 0};
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&count));
    HWND message = nullptr;
    while ((message = FindWindowExA(HWND_MESSAGE, message, nullptr, nullptr)) != nullptr) {
        CountTop(message, reinterpret_cast<LPARAM>(&count));
    }
    return count.count;
}

// --- a day of use ------------------------------------------------------------

class Day {
public:
    Day(DWORD pid, HANDLE process, HWND frame, HWND view, std::string password, std::string skip)
        : m_pid(pid),
          m_process(process),
          m_frame(frame),
          m_view(view),
          m_password(std::move(password)),
          m_list(GetDlgItem(view, IDC_VIEW_LIST)),
          m_block(process),
          m_hotKeyId(GlobalFindAtomA(kHotKeyAtomName)),
          m_skip(std::move(skip)) {
        if (m_list == nullptr) Fail("the list window has no list");
        if (m_hotKeyId == 0) Fail("the hotkey's atom");
    }

    void Cycle(int n, bool config, bool lock) {
        if (lock) {
            Lock();
            LogIn();  // shows the list
            Lap(kLockStep);
        } else {
            ShowByTray();
            Lap(kShowStep);
        }
        const int rows = static_cast<int>(Call(m_list, LVM_GETITEMCOUNT, 0, 0));
        if (rows <= 0) Fail("the list is empty");
        if (m_skip.find('c') == std::string::npos) {
            ClickRow(n % rows, false);  // the user name
            ClickRow(n % rows, true);   // the password
            Lap(kCopyStep);
        }
        // Modify works on the row just clicked: before paging, which refills
        // the list and so selects nothing.
        if (m_skip.find('f') == std::string::npos) {
            ItemForm(n % 2 == 0 || m_skip.find('c') != std::string::npos ? IDC_VIEW_NEW : IDC_VIEW_MODIFY);
            Lap(kFormStep);
        }
        if (m_skip.find('p') == std::string::npos) {
            Page(IDC_VIEW_NEXT);
            Page(IDC_VIEW_PREV);
            Lap(kPageStep);
        }
        if (config) {
            Config();
            Lap(kConfigStep);
        }
        HideByHotkey();
        Lap(kHideStep);
    }

    // Where the time went, in milliseconds per step taken.
    void TellTimes() const {
        static const char* const kNames[kSteps] = {"show", "lock+login", "copy", "form", "page", "config", "hide"};
        std::printf("times");
        for (int step = 0; step < kSteps; ++step) {
            if (m_taken[step] > 0) std::printf(" %s=%.1f", kNames[step], m_seconds[step] * 1000.0 / m_taken[step]);
        }
        std::printf("\n");
    }

    // Starts the clock afresh (after a sample, which is not a step).
    void ResetLap() { QueryPerformanceCounter(&m_lap); }

    void LogIn() {
        Post(m_frame, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_LBUTTONDOWN);
        HWND login = WaitDialog(m_pid, "Login");
        FillLogin(login);
        WaitDialogGone(m_pid, "Login");
        WaitFor("the list after the login", [&] { return IsWindowVisible(m_view) != FALSE; });
    }

    // The Login dialog shown at start-up (before the driver knew the frame).
    void FillLogin(HWND login) {
        HWND edit = GetDlgItem(login, IDC_LOGIN_PASSWORD);
        if (edit == nullptr) Fail("the Login dialog has no password field");
        Call(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_password.c_str()));
        Post(login, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(login, IDOK)));
    }

    void Sample(int n) {
        const DWORD gdi = GetGuiResources(m_process, GR_GDIOBJECTS);
        const DWORD user = GetGuiResources(m_process, GR_USEROBJECTS);
        if (!m_toldGui) {
            std::printf("gui %lu %lu\n", gdi, user);
            m_toldGui = true;
        }
        DWORD handles = 0;
        if (!GetProcessHandleCount(m_process, &handles)) Fail("GetProcessHandleCount");
        if (!m_toldHandles) {
            std::printf("handles %lu\n", handles);
            m_toldHandles = true;
        }
        if (handles == 0) {
            const long listed = CountHandles(m_pid);
            if (listed <= 0) Fail("no count of the program's handles");
            handles = static_cast<DWORD>(listed);
        }
        long gdiCount = static_cast<long>(gdi);
        if (gdi == 0) gdiCount = m_gdiCountWorks ? CountGdiObjects(m_process) : -1;
        std::printf("sample %d %lu %ld %ld %ld\n", n, handles, gdiCount, user != 0 ? static_cast<long>(user) : -1L,
                    CountWindows(m_pid));
        (void)std::fflush(stdout);
        char line[16];
        if (std::fgets(line, sizeof line, stdin) == nullptr) Fail("the caller went away");
    }

private:
    enum Step { kShowStep, kLockStep, kCopyStep, kFormStep, kPageStep, kConfigStep, kHideStep, kSteps };

    void Lap(Step step) {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        m_seconds[step] += static_cast<double>(now.QuadPart - m_lap.QuadPart) / static_cast<double>(frequency.QuadPart);
        ++m_taken[step];
        m_lap = now;
    }

    void ShowByTray() {
        Post(m_frame, WM_TRAYNOTIFY, IDR_TRAYMENU, WM_LBUTTONDOWN);
        WaitFor("the list shown", [&] { return IsWindowVisible(m_view) != FALSE; });
    }

    void HideByHotkey() {
        Post(m_view, WM_HOTKEY, m_hotKeyId, MAKELPARAM(MOD_WIN, 'A'));
        WaitFor("the list hidden", [&] { return IsWindowVisible(m_view) == FALSE; });
    }

    void Lock() {
        Call(m_view, WM_COMMAND, MAKEWPARAM(IDC_VIEW_LOCK, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(m_view, IDC_VIEW_LOCK)));
        WaitFor("the list hidden by the lock", [&] { return IsWindowVisible(m_view) == FALSE; });
    }

    // A click on a row, as the mouse makes it: the left button copies the
    // user name, the right one the password; either way the clipboard
    // changes.
    void ClickRow(int row, bool right) {
        RECT rect = {};
        rect.left = LVIR_BOUNDS;
        m_block.Write(0, &rect, sizeof rect);
        if (!Call(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(m_block.At(0)))) {
            Fail("a row's place");
        }
        m_block.Read(0, &rect, sizeof rect);
        const LPARAM at = MAKELPARAM(rect.left + 60, (rect.top + rect.bottom) / 2);
        const DWORD before = GetClipboardSequenceNumber();
        Post(m_list, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
        Post(m_list, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
        WaitFor(right ? "the password copied" : "the user name copied",
                [&] { return GetClipboardSequenceNumber() != before; });
    }

    std::string FirstRowNumber() {
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = m_block.At(512);
        item.cchTextMax = 64;
        m_block.Write(0, &item, sizeof item);
        Call(m_list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(m_block.At(0)));
        char text[64] = {};
        m_block.Read(512, text, sizeof text - 1);
        return text;
    }

    void Page(int button) {
        const std::string before = FirstRowNumber();
        Call(m_view, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(m_view, button)));
        if (FirstRowNumber() == before) Fail("the page did not change");
    }

    void ItemForm(int button) {
        Post(m_view, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(m_view, button)));
        HWND form = WaitDialog(m_pid, "Insert or Modify Item");
        Post(form, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(form, IDCANCEL)));
        WaitDialogGone(m_pid, "Insert or Modify Item");
    }

    // Opens Config from the tray menu's command, shows each of its pages as
    // the keyboard does on the tab strip, and cancels it.
    void Config() {
        Post(m_frame, WM_COMMAND, MAKEWPARAM(ID_MAIN_CONFIG, 0), 0);
        HWND config = WaitDialog(m_pid, "Config");
        HWND tab = GetDlgItem(config, IDC_CONFIG_TAB);
        if (tab == nullptr) Fail("Config has no tab strip");
        const int pages = static_cast<int>(Call(tab, TCM_GETITEMCOUNT, 0, 0));
        if (pages < 2) Fail("Config has fewer than two pages");
        const int first = static_cast<int>(Call(tab, TCM_GETCURSEL, 0, 0));
        // Right to the last page, then left to the first, then back where it began.
        for (int page = first; page < pages - 1; ++page) Key(tab, VK_RIGHT, page + 1);
        for (int page = pages - 1; page > 0; --page) Key(tab, VK_LEFT, page - 1);
        for (int page = 0; page < first; ++page) Key(tab, VK_RIGHT, page + 1);
        Post(config, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(config, IDCANCEL)));
        WaitDialogGone(m_pid, "Config");
    }

    void Key(HWND tab, UINT key, int expected) {
        Call(tab, WM_KEYDOWN, key, 1);
        Call(tab, WM_KEYUP, key, 0xC0000001);
        if (Call(tab, TCM_GETCURSEL, 0, 0) != expected) Fail("a Config page did not come");
    }

    DWORD m_pid;
    HANDLE m_process;
    HWND m_frame;
    HWND m_view;
    std::string m_password;
    HWND m_list;
    RemoteBlock m_block;
    ATOM m_hotKeyId;
    std::string m_skip;
    bool m_toldGui = false;
    bool m_toldHandles = false;
    bool m_gdiCountWorks = GdiCountWorks();
    LARGE_INTEGER m_lap = {};
    double m_seconds[kSteps] = {};
    long m_taken[kSteps] = {};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: soak_driver CYCLES SAMPLE_EVERY CONFIG_EVERY LOCK_EVERY [SKIP]\n");
        return 2;
    }
    const int cycles = std::atoi(argv[1]);
    const int sampleEvery = std::max(1, std::atoi(argv[2]));
    const int configEvery = std::max(1, std::atoi(argv[3]));
    const int lockEvery = std::max(1, std::atoi(argv[4]));
    char line[256] = {};
    if (std::fgets(line, sizeof line, stdin) == nullptr) Fail("no master password on standard input");
    std::string password(line);
    while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
    SecureZeroMemory(line, sizeof line);

    HWND login = nullptr;
    WaitFor("the Login dialog",
            [&] { return (login = FindTopWindow(0, "Login", IDC_LOGIN_PASSWORD, true)) != nullptr; });
    DWORD pid = 0;
    GetWindowThreadProcessId(login, &pid);
    HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) Fail("the program's process cannot be opened");
    HWND frame = nullptr;
    WaitFor("the main frame", [&] { return (frame = FindTopWindow(pid, nullptr, kClientPaneId, false)) != nullptr; });
    // Made once the Login dialog has painted, its hotkey with it.
    HWND view = nullptr;
    WaitFor("the list window", [&] { return (view = FindTopWindow(pid, nullptr, IDC_VIEW_LIST, false)) != nullptr; });
    WaitFor("the hotkey's atom", [] { return GlobalFindAtomA(kHotKeyAtomName) != 0; });
    Day day(pid, process, frame, view, password, argc == 6 ? argv[5] : "");
    SecureZeroMemory(&password[0], password.size());
    day.FillLogin(login);
    WaitDialogGone(pid, "Login");
    WaitFor("the list after the first login", [&] { return IsWindowVisible(view) != FALSE; });
    // Hidden, as the day's cycles begin.
    Post(view, WM_HOTKEY, GlobalFindAtomA(kHotKeyAtomName), MAKELPARAM(MOD_WIN, 'A'));
    WaitFor("the list hidden", [&] { return IsWindowVisible(view) == FALSE; });
    std::printf("ready\n");
    day.Sample(0);
    day.ResetLap();
    for (int n = 1; n <= cycles; ++n) {
        day.Cycle(n, n % configEvery == 0, n % lockEvery == 0);
        if (n % sampleEvery == 0 || n == cycles) {
            day.Sample(n);
            day.ResetLap();
        }
    }
    day.TellTimes();
    std::printf("done %d\n", cycles);
    CloseHandle(process);
    return 0;
}

// Looks into another program's windows for the end-to-end tests, which see
// only X windows from outside: which control has the keyboard focus, where a
// control is, and where a list view's rows are. It answers one command per
// line of standard input with lines on standard output:
//
//   focus TITLE         -> "ID CLASS" of the focused control of the thread
//                          that owns the visible window TITLE ("none")
//   rect TITLE ID       -> "LEFT TOP RIGHT BOTTOM" of the visible control ID
//                          in that window, in screen coordinates ("none")
//   rows TITLE ID       -> "client L T R B", "top INDEX", one "row I L T R B"
//                          per row of list view ID, then "end"
//   text TITLE ID       -> the lines of the text of the visible control ID
//                          (a message box's text is 65535), then "end"
//   menu                -> "shown" while any program shows a popup menu ("none")
//
// Titles are matched whole; commands end at end of input.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND hWnd, LPARAM lParam) {
    ControlSearch* search = reinterpret_cast<ControlSearch*>(lParam);
    if (GetDlgCtrlID(hWnd) == search->id && IsWindowVisible(hWnd)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

// The visible top-level window with this title, and with a visible control
// `id` unless id is 0 (a message box may share the program's title).
struct Search {
    const char* title;
    int id;
    HWND top;
    HWND control;
};

BOOL CALLBACK FindTitled(HWND hWnd, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    char text[256] = {};
    GetWindowTextA(hWnd, text, sizeof text);
    if (!IsWindowVisible(hWnd) || std::strcmp(text, search->title) != 0) return TRUE;
    if (search->id != 0) {
        ControlSearch control = {search->id, nullptr};
        EnumChildWindows(hWnd, FindControl, reinterpret_cast<LPARAM>(&control));
        if (control.found == nullptr) return TRUE;
        search->control = control.found;
    }
    search->top = hWnd;
    return FALSE;
}

HWND TopLevel(const std::string& title) {
    Search search = {title.c_str(), 0, nullptr, nullptr};
    EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&search));
    return search.top;
}

HWND Control(const std::string& title, int id) {
    Search search = {title.c_str(), id, nullptr, nullptr};
    EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&search));
    return search.control;
}

void Focus(const std::string& title) {
    HWND top = TopLevel(title);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (top == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) ||
        info.hwndFocus == nullptr) {
        std::printf("none\n");
        return;
    }
    char className[64] = {};
    GetClassNameA(info.hwndFocus, className, sizeof className);
    std::printf("%d %s\n", GetDlgCtrlID(info.hwndFocus), className);
}

void Rect(const std::string& title, int id) {
    HWND control = Control(title, id);
    RECT rect;
    if (control == nullptr || !GetWindowRect(control, &rect)) {
        std::printf("none\n");
        return;
    }
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
}

void Text(const std::string& title, int id) {
    HWND control = Control(title, id);
    char text[4096] = {};
    if (control != nullptr) GetWindowTextA(control, text, sizeof text);
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != '\r') std::putchar(*c);
    }
    std::printf("%send\n", text[0] != '\0' ? "\n" : "");
}

// The rows' rectangles live in the other process: the list writes them into
// memory taken there for the purpose.
void Rows(const std::string& title, int id) {
    HWND list = Control(title, id);
    DWORD pid = 0;
    if (list != nullptr) GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        pid != 0 ? OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid) : nullptr;
    void* remote = process != nullptr
                       ? VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                       : nullptr;
    if (remote != nullptr) {
        RECT client;
        GetClientRect(list, &client);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&client), 2);
        std::printf("client %ld %ld %ld %ld\n", client.left, client.top, client.right, client.bottom);
        std::printf("top %ld\n", static_cast<long>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)));
        const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            RECT rect = {};
            rect.left = LVIR_BOUNDS;
            SIZE_T moved = 0;
            WriteProcessMemory(process, remote, &rect, sizeof rect, &moved);
            SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process, remote, &rect, sizeof rect, &moved);
            MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
            std::printf("row %d %ld %ld %ld %ld\n", row, rect.left, rect.top, rect.right, rect.bottom);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    if (process != nullptr) CloseHandle(process);
    std::printf("end\n");
}

}  // namespace

int main() {
    char line[512];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const std::size_t space = text.find(' ');
        const std::string command = text.substr(0, space);
        std::string rest = space == std::string::npos ? std::string() : text.substr(space + 1);
        if (command == "focus") {
            Focus(rest);
        } else if (command == "menu") {
            HWND menu = nullptr;
            while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr && !IsWindowVisible(menu)) {
            }
            std::printf("%s\n", menu != nullptr ? "shown" : "none");
        } else if (command == "rect" || command == "rows" || command == "text") {
            // The id is the last word; the title is everything before it.
            const std::size_t last = rest.rfind(' ');
            const int id = last == std::string::npos ? 0 : std::atoi(rest.c_str() + last + 1);
            const std::string title = last == std::string::npos ? rest : rest.substr(0, last);
            if (command == "rect") {
                Rect(title, id);
            } else if (command == "text") {
                Text(title, id);
            } else {
                Rows(title, id);
            }
        } else {
            std::printf("unknown\n");
        }
        // A reply that cannot be written means the driving test has gone.
        if (std::fflush(stdout) != 0) return 1;
    }
    return 0;
}

// Another program holding a hotkey: registers the key its command line names
// (modifier flags and virtual key, in decimal), signals the event
// "<name>.held", and keeps the key until "<name>.release" is signalled (or
// 60 s have passed). The starter creates both events first.
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const UINT modifiers = static_cast<UINT>(std::strtoul(argv[1], nullptr, 10));
    const UINT vk = static_cast<UINT>(std::strtoul(argv[2], nullptr, 10));
    const std::string name = argv[3];
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + ".held").c_str());
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, (name + ".release").c_str());
    if (held == nullptr || release == nullptr) return 3;
    if (!RegisterHotKey(nullptr, 1, modifiers, vk)) return 1;
    SetEvent(held);
    WaitForSingleObject(release, 60000);
    UnregisterHotKey(nullptr, 1);
    CloseHandle(held);
    CloseHandle(release);
    return 0;
}

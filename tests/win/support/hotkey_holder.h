#pragma once
// A hotkey held by another process (probe/hotkey_holder.exe, beside the test
// program) for the holder's lifetime.
#include <windows.h>

#include <string>

class HotKeyHolder {
public:
    HotKeyHolder(UINT modifiers, UINT vk) {
        static int s_count = 0;
        const std::string name =
            "PellucordaHotKeyHolder" + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++s_count);
        m_held = ::CreateEventA(nullptr, TRUE, FALSE, (name + ".held").c_str());
        m_release = ::CreateEventA(nullptr, TRUE, FALSE, (name + ".release").c_str());
        char module[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, module, MAX_PATH);
        std::string command = module;
        command = "\"" + command.erase(command.rfind('\\')) + "\\hotkey_holder.exe\" " + std::to_string(modifiers) +
                  " " + std::to_string(vk) + " " + name;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &m_process)) {
            return;
        }
        // Held once the key is registered; a holder that ends has failed.
        HANDLE either[2] = {m_held, m_process.hProcess};
        m_holding = ::WaitForMultipleObjects(2, either, FALSE, 30000) == WAIT_OBJECT_0;
    }
    ~HotKeyHolder() {
        ::SetEvent(m_release);
        if (m_process.hProcess != nullptr) {
            ::WaitForSingleObject(m_process.hProcess, 30000);
            ::CloseHandle(m_process.hProcess);
            ::CloseHandle(m_process.hThread);
        }
        ::CloseHandle(m_held);
        ::CloseHandle(m_release);
    }
    HotKeyHolder(const HotKeyHolder&) = delete;
    HotKeyHolder& operator=(const HotKeyHolder&) = delete;

    bool Holding() const { return m_holding; }

private:
    HANDLE m_held = nullptr;
    HANDLE m_release = nullptr;
    PROCESS_INFORMATION m_process = {};
    bool m_holding = false;
};

#include <windows.h>

#include <vector>

#include "core/settings/settings.h"
#include "ui/launcher.h"

bool StartCommandLine(const std::string& commandLine) {
    if (commandLine.empty()) return false;
    // CreateProcessA may write into the command line.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, HIGH_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    // The process runs on its own; its handles are not ours to keep.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool LaunchItem(const LoginItem& item, const LaunchClients& clients) {
    return StartCommandLine(BuildLaunchCommand(item, clients));
}

bool LaunchItem(const LoginItem& item, const Settings& settings) {
    LaunchClients clients;
    clients.webClient = settings.GetWebClient();
    clients.ftpClient = settings.GetFtpClient();
    clients.telnetClient = settings.GetTelnetClient();
    clients.browserCommand = settings.GetBrowserCommand();
    return LaunchItem(item, clients);
}

#include "core/launch/launch_command.h"

#include <cstring>

#include "core/launch/address.h"

namespace {

std::string RawAddress(const LoginItem& item) {
    // Loaded records are taken byte for byte, so the field may lack its
    // terminator; never read past it.
    char copy[sizeof item.serviceAddress];
    std::memcpy(copy, item.serviceAddress, sizeof copy);
    copy[sizeof copy - 1] = '\0';
    return std::string(copy);
}

// The address must reach the browser as one argument, however it was typed
// or imported: blanks, tabs and double quotes would end it or add arguments
// to whatever program opens web pages. Percent-encoded they mean the same to
// the browser and nothing to the command line.
std::string OneArgument(const std::string& address) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : address) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == '"' || byte == 0x7F) {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

bool IsArgumentEnd(char c) { return c == ' ' || c == '\t' || c == '"'; }

// Where the program path of an unquoted command ends: after the first
// ".exe" (any case) that ends a word; npos when there is none.
std::size_t ExeEnd(const std::string& command) {
    for (std::size_t at = command.find('.'); at != std::string::npos; at = command.find('.', at + 1)) {
        if (command.size() - at < 4) break;
        const std::string ext = command.substr(at + 1, 3);
        const bool exe =
            (ext[0] == 'e' || ext[0] == 'E') && (ext[1] == 'x' || ext[1] == 'X') && (ext[2] == 'e' || ext[2] == 'E');
        if (exe && (at + 4 == command.size() || IsArgumentEnd(command[at + 4]))) return at + 4;
    }
    return std::string::npos;
}

// The browser command with `url` as its one argument. A quoted program path
// (the settings keep only that of the registered command) is used as it is;
// an unquoted one is taken up to its ".exe" and quoted, since what follows
// would otherwise stay ("%1" among it). A command without either is kept
// whole, its "%1" standing for the address.
std::string BrowserCommandLine(const std::string& browserCommand, const std::string& url) {
    const std::size_t closing =
        browserCommand.size() > 1 && browserCommand[0] == '"' ? browserCommand.find('"', 1) : std::string::npos;
    if (closing != std::string::npos) return browserCommand.substr(0, closing + 1) + " " + url;
    const std::size_t exeEnd = ExeEnd(browserCommand);
    if (exeEnd != std::string::npos) return "\"" + browserCommand.substr(0, exeEnd) + "\" " + url;
    const std::size_t placeholder = browserCommand.find("%1");
    if (placeholder != std::string::npos) {
        std::string command = browserCommand;
        return command.replace(placeholder, 2, url);
    }
    return browserCommand + " " + url;
}

// A client path with blanks, unquoted, would start the first program its
// words name ("C:\Users\me\My.exe" for "C:\Users\me\My Tools\client.exe"):
// the path up to its ".exe" is quoted, and what follows stays its arguments.
std::string ClientCommandLine(const std::string& client) {
    const std::size_t exeEnd = client[0] == '"' ? std::string::npos : ExeEnd(client);
    if (exeEnd == std::string::npos || client.find_first_of(" \t") >= exeEnd) return client;
    return "\"" + client.substr(0, exeEnd) + "\"" + client.substr(exeEnd);
}

std::string ViaClientOrBrowser(const std::string& client, const LaunchClients& clients, const char* scheme,
                               const std::string& address) {
    if (!client.empty()) return ClientCommandLine(client);
    return BrowserCommandLine(clients.browserCommand, scheme + OneArgument(address));
}

}  // namespace

std::string NormalizedItemAddress(const LoginItem& item) { return NormalizeAddress(RawAddress(item)); }

std::string BuildLaunchCommand(const LoginItem& item, const LaunchClients& clients) {
    const std::string raw = RawAddress(item);
    // Emptiness is decided before normalising: an address of blanks still
    // opens the browser on the bare scheme.
    if (raw.empty()) return std::string();
    std::string address = NormalizeAddress(raw);  // not const: the LOCAL case moves it out
    switch (item.addressType) {
    case ADDRESS_HTTP: return ViaClientOrBrowser(clients.webClient, clients, "http://", address);
    case ADDRESS_HTTPS: return ViaClientOrBrowser(clients.webClient, clients, "https://", address);
    case ADDRESS_FTP: return ViaClientOrBrowser(clients.ftpClient, clients, "ftp://", address);
    case ADDRESS_TELNET: return ViaClientOrBrowser(clients.telnetClient, clients, "telnet://", address);
    case ADDRESS_LOCAL: return address;
    default: return std::string();
    }
}

#include "view/launch_command.h"

#include <cstring>

#include "view/address.h"

namespace {

std::string RawAddress(const LoginItem& item) {
    // Loaded records are taken byte for byte, so the field may lack its
    // terminator; never read past it.
    char copy[sizeof item.serviceAddress];
    std::memcpy(copy, item.serviceAddress, sizeof copy);
    copy[sizeof copy - 1] = '\0';
    return std::string(copy);
}

std::string ViaClientOrBrowser(const std::string& client, const LaunchClients& clients, const char* scheme,
                               const std::string& address) {
    if (!client.empty()) return client;
    return clients.browserCommand + scheme + address;
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
    case ADDRESS_HTTP: return ViaClientOrBrowser(clients.webClient, clients, " http://", address);
    case ADDRESS_HTTPS: return ViaClientOrBrowser(clients.webClient, clients, " https://", address);
    case ADDRESS_FTP: return ViaClientOrBrowser(clients.ftpClient, clients, " ftp://", address);
    case ADDRESS_TELNET: return ViaClientOrBrowser(clients.telnetClient, clients, " telnet://", address);
    case ADDRESS_LOCAL: return address;
    default: return std::string();
    }
}

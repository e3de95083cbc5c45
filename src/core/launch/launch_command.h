#pragma once
// The command line that opens an item's service. User names and passwords
// never go into it: they reach the service only through the clipboard.
#include <string>

#include "core/vault/login_item.h"

struct LaunchClients {
    std::string webClient;  // used for HTTP and HTTPS items when set
    std::string ftpClient;
    std::string telnetClient;
    // The registered browser command as the settings keep it: normally the
    // quoted program path without its arguments.
    std::string browserCommand;
};

// Empty when nothing is to be started (empty address, unknown type). A web,
// FTP or Telnet address opened in the browser is its one argument: the
// program path quoted, then the scheme and the address with blanks, control
// characters and double quotes percent-encoded.
std::string BuildLaunchCommand(const LoginItem& item, const LaunchClients& clients);

// The item's address as the launcher and the address copy see it: the stored
// text (at most 511 bytes) normalised.
std::string NormalizedItemAddress(const LoginItem& item);

#pragma once
// Cleaning of service addresses, shared by the item dialog, the launcher and
// the command-line tool: stored addresses carry no scheme prefix, so the
// launcher can put the right one in front.
#include <cstdint>
#include <string>

// Removes `prefix` from the front of `text` when it starts with it (exact,
// case-sensitive); otherwise returns the text unchanged.
std::string StripPrefix(const std::string& text, const char* prefix);

// Removes leading white space (never splitting a double-byte character), then
// "https://", "http://", "ftp://" and "telnet://", each once, in that order.
std::string NormalizeAddress(const std::string& address);

// The address type that the scheme prefix NormalizeAddress would remove names:
// "https://" HTTPS, "http://" HTTP, "ftp://" FTP, "telnet://" TELNET. False,
// and `type` untouched, when the address starts with none of them.
bool AddressTypeFromScheme(const std::string& address, std::int32_t& type);

#pragma once
// Which logins belong to the window in front, for the auto-type hotkey: a
// login whose service name, or the host of whose address, stands in the
// window's title as a word of its own, ASCII case ignored.
//
// "A word of its own": a letter or digit at either end of the name may not
// touch a letter or digit of the title, so "Mail" finds "Mail - Inbox" and
// "mail.example.org" but not "Gmail", and a short name such as "IT" does not
// find "Edit". A login found is typed at once, so a name that merely occurs
// inside another word must not pick it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class LoginStore;
struct LoginItem;

// The host an address names: what a scheme ("https://"), a user ("user@"), a
// port, a path, a query and a "www." in front leave over, ASCII case kept
// ("https://www.Example.org:8080/login" gives "Example.org"). A local
// program's path has no host. `width` bounds the text, which need not end
// with a zero.
std::string AddressHost(const char* address, std::size_t width, std::int32_t addressType);

// Whether `title` holds `name` as a word of its own, ASCII case ignored. Blanks
// around the name do not count; an empty name is found nowhere. A match never
// starts or ends inside a double-byte character.
bool TitleNames(const std::string& title, const std::string& name);

// Whether the title names the login by its service name or its address's
// host.
bool TitleNamesLogin(const std::string& title, const LoginItem& item);

// The open store's logins the title names, by index, in the store's order.
std::vector<int> FindLoginsForTitle(const LoginStore& store, const std::string& title);

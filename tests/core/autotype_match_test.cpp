// The logins the auto-type key finds for a window's title: an address's host,
// names found only as whole words with ASCII case ignored, double-byte
// characters kept whole, and the store's order.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/codepage.h"
#include "core/autotype/match.h"
#include "core/vault/login_store.h"

namespace {

std::string Host(const std::string& address, std::int32_t type = ADDRESS_HTTP) {
    return AddressHost(address.c_str(), address.size(), type);
}

}  // namespace

TEST(AutoTypeMatch, TheHostIsWhatSchemeUserPortPathAndWwwLeave) {
    const std::tuple<const char*, std::int32_t, const char*> cases[] = {
        {"https://www.example.org:8080/login", ADDRESS_HTTPS, "example.org"},
        {"mail.example.org/login?next=/inbox", ADDRESS_HTTP, "mail.example.org"},
        {"  HTTP://WWW.Bank.Example#top", ADDRESS_HTTP, "Bank.Example"},
        {"ftp://alice:p@ss@files.example.org/pub", ADDRESS_FTP, "files.example.org"},
        {"telnet.example.org:23", ADDRESS_TELNET, "telnet.example.org"},
        {"[2001:db8::1]:8443/admin", ADDRESS_HTTPS, "[2001:db8::1]"},
        {"intranet.\\share", ADDRESS_HTTP, "intranet"},
        {"C:\\Tools\\client.exe", ADDRESS_LOCAL, ""},  // a program's path names no host
    };
    for (const auto& [address, type, host] : cases) EXPECT_EQ(Host(address, type), host) << address;
    const char full[4] = {'a', '.', 'b', 'c'};  // a field filled to its width has no zero
    EXPECT_EQ(AddressHost(full, 3, ADDRESS_HTTP), "a.b");
}

TEST(AutoTypeMatch, ATitleNamesOnlyWholeWordsWithAsciiCaseIgnored) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"SIGN IN - EXAMPLE.ORG - Browser", "Example.org", true},
        {"https://login.example.org/", "example.org", true},
        {"myexample.org", "example.org", false},
        {"example.organic", "example.org", false},
        {"Gmail - Inbox", "Mail", false},
        {"Edit", "IT", false},
        {"IT portal", "IT", true},
        {"C++x", "C++", true},  // the name ends in no letter: what follows is free
        {"My Bank", "  Bank ", true},
        {"a b", "  ", false},
        {"Bank", "Bank of Example", false},
        {"\xC9"
         "cole",
         "\xE9"
         "cole",
         false},  // only ASCII letters fold
    };
    for (const auto& [title, name, named] : cases) EXPECT_EQ(TitleNames(title, name), named) << title << " / " << name;
}

TEST(AutoTypeMatch, AMatchNeverStartsOrEndsInsideADoubleByteCharacter) {
    struct ShiftJis : LeadBytes {
        bool IsLead(unsigned char c) const override { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
    } shiftJis;
    // Trail bytes that read as "a", "A" and "@": 0x82 0x61, 0x83 0x41, 0x83 0x40.
    const std::string title =
                          "\x82"
                          "a-b \x83"
                          "Ax",
                      address =
                          "u\x83"
                          "\x40"
                          "host.example/x";
    for (bool doubleByte : {true, false}) {
        SetLeadBytes(doubleByte ? &shiftJis : nullptr);
        EXPECT_EQ(TitleNames(title, "a-b"), !doubleByte);
        EXPECT_EQ(TitleNames(title, "x"), doubleByte) << "a double-byte character is no letter";
        EXPECT_EQ(Host(address), doubleByte ? address.substr(0, 15) : "host.example");
    }
}

TEST(AutoTypeMatch, TheStoreIsSearchedInItsOrderByNameOrHostEachLoginOnce) {
    LoginStore store;
    const std::tuple<const char*, const char*, std::int32_t> items[] = {
        {"Bank", "www.bank.example/login", ADDRESS_HTTPS},
        {"Mail", "mail.example.org", ADDRESS_HTTPS},
        {"Savings", "https://bank.example/s", ADDRESS_HTTPS},
        {"", "", ADDRESS_HTTP},
        {"Tool", "C:\\bank.example\\tool.exe", ADDRESS_LOCAL}};
    for (const auto& [service, address, type] : items) {
        LoginItem item;
        item.Clear();
        CopyField(item.serviceName, sizeof item.serviceName, service);
        CopyField(item.serviceAddress, sizeof item.serviceAddress, address);
        item.addressType = type;
        ASSERT_TRUE(store.AddItem(item));
    }
    EXPECT_EQ(FindLoginsForTitle(store, "Bank - bank.example"), (std::vector<int>{0, 2}));
    EXPECT_EQ(FindLoginsForTitle(store, "Tool"), std::vector<int>{4});
    EXPECT_EQ(FindLoginsForTitle(store, " - "), std::vector<int>{}) << "an empty name and host find nothing";
}

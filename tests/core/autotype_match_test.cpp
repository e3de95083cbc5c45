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

TEST(AutoTypeMatch, TheHostIsWhatSchemeUserPortPathAndWwwLeave) {
    const std::tuple<std::string, std::int32_t, const char*> cases[] = {
        {"https://www.example.org:8080/login", ADDRESS_HTTPS, "example.org"},
        {"  HTTP://WWW.Bank.Example?next=/in#top", ADDRESS_HTTP, "Bank.Example"},
        {"ftp://alice:p@ss@files.example.org/pub", ADDRESS_FTP, "files.example.org"},
        {"[2001:db8::1]:8443/admin", ADDRESS_HTTPS, "[2001:db8::1]"},
        {"intranet.\\share", ADDRESS_HTTP, "intranet"},
        {"C:\\Tools\\client.exe", ADDRESS_LOCAL, ""},  // a program's path names no host
    };
    for (const auto& [address, type, host] : cases) {
        EXPECT_EQ(AddressHost(address.c_str(), address.size(), type), host) << address;
    }
    EXPECT_EQ(AddressHost("a.bc", 3, ADDRESS_HTTP), "a.b") << "a field filled to its width has no zero";
}

TEST(AutoTypeMatch, ATitleNamesOnlyWholeWordsWithAsciiCaseIgnored) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"SIGN IN - EXAMPLE.ORG - Browser", "Example.org", true},
        {"https://login.example.org/", "example.org", true},
        {"myexample.org", "example.org", false},
        {"example.organic", "example.org", false},
        {"Gmail - Inbox", "Mail", false},
        {"My Bank", "  Bank ", true},
        {"a b", "  ", false},
        {"\311cole", "\351cole", false},  // only ASCII letters fold
    };
    for (const auto& [title, name, named] : cases) EXPECT_EQ(TitleNames(title, name), named) << title << " / " << name;
}

TEST(AutoTypeMatch, AMatchNeverStartsOrEndsInsideADoubleByteCharacter) {
    struct ShiftJis : LeadBytes {
        bool IsLead(unsigned char c) const override { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
    } shiftJis;
    // Trail bytes that read as "a", "A" and "@": 0x82 0x61, 0x83 0x41, 0x83 0x40 (octal escapes).
    const std::string title = "\202a-b \203Ax", address = "u\203@host.example/x";
    for (bool doubleByte : {true, false}) {
        SetLeadBytes(doubleByte ? &shiftJis : nullptr);
        EXPECT_EQ(TitleNames(title, "a-b"), !doubleByte);
        EXPECT_EQ(TitleNames(title, "x"), doubleByte) << "a double-byte character is no letter";
        EXPECT_EQ(AddressHost(address.c_str(), address.size(), ADDRESS_HTTP),
                  doubleByte ? address.substr(0, 15) : "host.example");
    }
}

TEST(AutoTypeMatch, TheStoreIsSearchedInItsOrderByNameOrHostEachLoginOnce) {
    LoginStore store;
    for (const char* service : {"Bank", "Mail", "Savings", ""}) {
        LoginItem item;
        item.Clear();
        CopyField(item.serviceName, sizeof item.serviceName, service);
        CopyField(item.serviceAddress, sizeof item.serviceAddress, *service == 'M' ? "mail.example" : "bank.example");
        ASSERT_TRUE(store.AddItem(item));
    }
    EXPECT_EQ(FindLoginsForTitle(store, "Bank - bank.example"), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(FindLoginsForTitle(store, "Mail"), std::vector<int>{1});
}

// Which logins the auto-type hotkey finds for a window's title: the host of
// an address, a name found only as a word of its own with ASCII case
// ignored, double-byte characters kept whole, and the store's order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/codepage.h"
#include "core/autotype/match.h"
#include "core/vault/login_item.h"
#include "core/vault/login_store.h"

namespace {

std::string Host(const std::string& address, std::int32_t type = ADDRESS_HTTP) {
    return AddressHost(address.c_str(), address.size(), type);
}

LoginItem Item(const char* service, const char* address, std::int32_t type = ADDRESS_HTTP) {
    LoginItem item;
    item.Clear();
    CopyField(item.serviceName, sizeof item.serviceName, service);
    CopyField(item.userName, sizeof item.userName, "user");
    CopyField(item.password, sizeof item.password, "secret");
    CopyField(item.serviceAddress, sizeof item.serviceAddress, address);
    item.addressType = type;
    return item;
}

}  // namespace

TEST(AutoTypeMatch, TheHostIsWhatSchemeUserPortPathAndWwwLeave) {
    const struct {
        const char* address;
        std::int32_t type;
        const char* host;
    } cases[] = {
        {"https://www.example.org:8080/login", ADDRESS_HTTPS, "example.org"},
        {"mail.example.org/login?next=/inbox", ADDRESS_HTTP, "mail.example.org"},
        {"  HTTP://WWW.Bank.Example#top", ADDRESS_HTTP, "Bank.Example"},
        {"ftp://alice:p@ss@files.example.org/pub", ADDRESS_FTP, "files.example.org"},
        {"ssh://git@code.example.org", ADDRESS_HTTP, "code.example.org"},
        {"telnet.example.org:23", ADDRESS_TELNET, "telnet.example.org"},
        {"[2001:db8::1]:8443/admin", ADDRESS_HTTPS, "[2001:db8::1]"},
        {"intranet.\\share", ADDRESS_HTTP, "intranet"},
        {"www.", ADDRESS_HTTP, "www"},
        {"", ADDRESS_HTTP, ""},
        {"C:\\Tools\\client.exe", ADDRESS_LOCAL, ""},  // a program's path names no host
    };
    for (const auto& c : cases) EXPECT_EQ(Host(c.address, c.type), c.host) << c.address;

    // A field filled to its width has no zero after it.
    const char full[4] = {'a', '.', 'b', 'c'};
    EXPECT_EQ(AddressHost(full, 3, ADDRESS_HTTP), "a.b");
}

TEST(AutoTypeMatch, ATitleNamesOnlyWholeWordsWithAsciiCaseIgnored) {
    const struct {
        const char* title;
        const char* name;
        bool named;
    } cases[] = {
        {"Sign in - example.org - Browser", "example.org", true},
        {"SIGN IN - EXAMPLE.ORG", "Example.org", true},
        {"https://login.example.org/", "example.org", true},
        {"myexample.org", "example.org", false},
        {"example.organic", "example.org", false},
        {"Mail - Inbox", "mail", true},
        {"Gmail - Inbox", "Mail", false},
        {"Edit", "IT", false},
        {"IT portal", "IT", true},
        {"Compiler (C++)", "C++", true},
        {"C++x", "C++", true},  // the name ends in no letter: what follows is free
        {"My Bank", "  Bank ", true},
        {"a b", "  ", false},
        {"anything", "", false},
        {"Bank", "Bank of Example", false},
        {"\xC9"
         "cole",
         "\xE9"
         "cole",
         false},  // case is ignored for ASCII letters only
    };
    for (const auto& c : cases) EXPECT_EQ(TitleNames(c.title, c.name), c.named) << c.title << " / " << c.name;
}

TEST(AutoTypeMatch, AMatchNeverStartsOrEndsInsideADoubleByteCharacter) {
    struct ShiftJis : LeadBytes {
        bool IsLead(unsigned char c) const override { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
    } shiftJis;
    SetLeadBytes(&shiftJis);
    // 0x82 0x61 is one character whose trail byte reads as "a", 0x83 0x41 one
    // whose trail byte reads as "A", 0x83 0x40 one whose trail byte reads as "@".
    const std::string title =
        "\x82"
        "a-b \x83"
        "Ax";
    EXPECT_FALSE(TitleNames(title, "a-b"));
    EXPECT_TRUE(TitleNames(title, "x")) << "a double-byte character is no letter";
    EXPECT_EQ(Host("u\x83"
                   "\x40"
                   "host.example/x"),
              "u\x83"
              "\x40"
              "host.example");
    SetLeadBytes(nullptr);
    EXPECT_TRUE(TitleNames(title, "a-b")) << "single-byte, the same bytes are letters";
    EXPECT_FALSE(TitleNames(title, "x"));
    EXPECT_EQ(Host("u\x83"
                   "\x40"
                   "host.example/x"),
              "host.example");
}

TEST(AutoTypeMatch, TheStoreIsSearchedInItsOrderByNameOrHostEachLoginOnce) {
    LoginStore store;
    for (const LoginItem& item : {Item("Bank", "www.bank.example/login"), Item("Mail", "mail.example.org"),
                                  Item("Savings", "https://bank.example/savings"), Item("", ""),
                                  Item("Tool", "C:\\bank.example\\tool.exe", ADDRESS_LOCAL)}) {
        ASSERT_TRUE(store.AddItem(item));
    }
    EXPECT_EQ(FindLoginsForTitle(store, "Bank - bank.example"), (std::vector<int>{0, 2}));
    EXPECT_EQ(FindLoginsForTitle(store, "Inbox - mail.example.org"), std::vector<int>{1});
    EXPECT_EQ(FindLoginsForTitle(store, "Tool"), std::vector<int>{4});
    EXPECT_EQ(FindLoginsForTitle(store, " - "), std::vector<int>{}) << "an empty name and host find nothing";
}

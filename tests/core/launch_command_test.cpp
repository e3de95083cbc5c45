#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "base/codepage.h"
#include "core/launch/address.h"
#include "core/launch/launch_command.h"

namespace {

LoginItem MakeItem(std::int32_t type, const char* address) {
    LoginItem item{};
    item.addressType = type;
    std::strncpy(item.serviceAddress, address, sizeof item.serviceAddress - 1);
    std::strcpy(item.userName, "alice");
    std::strcpy(item.password, "s3cret!");
    return item;
}

LaunchClients Browser() {
    LaunchClients clients;
    clients.browserCommand = "\"C:\\Browser\\browse.exe\"";
    return clients;
}

const char kBrowser[] = "\"C:\\Browser\\browse.exe\"";

class ShiftJisLeadBytes : public LeadBytes {
public:
    bool IsLead(unsigned char c) const override { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
};

}  // namespace

TEST(NormalizeAddress, StripsLeadingSpaceThenEachPrefixOnceInOrder) {
    EXPECT_EQ(NormalizeAddress("  \t\r\nhttp://example.org/a b "), "example.org/a b ");
    EXPECT_EQ(NormalizeAddress("http://ftp://host"), "host");
    // Each prefix is tried once in a fixed order: one that a later removal
    // uncovers stays.
    EXPECT_EQ(NormalizeAddress("ftp://http://host"), "http://host");
    EXPECT_EQ(NormalizeAddress("https://http://host"), "host");
    EXPECT_EQ(NormalizeAddress("telnet://telnet://host"), "telnet://host");
    EXPECT_EQ(NormalizeAddress("HTTP://Host"), "HTTP://Host");
    EXPECT_EQ(NormalizeAddress("   "), "");
    EXPECT_EQ(NormalizeAddress(""), "");
    EXPECT_EQ(StripPrefix("http", "http://"), "http");
    EXPECT_EQ(StripPrefix("http://", "http://"), "");
}

TEST(NormalizeAddress, NeverSplitsADoubleByteCharacter) {
    const ShiftJisLeadBytes shiftJis;
    SetLeadBytes(&shiftJis);
    // 0x81 0x20 is one double-byte character whose trail byte happens to be a
    // blank: it must survive whole.
    const std::string text = std::string(" \x81\x20x");
    EXPECT_EQ(NormalizeAddress(text), "\x81\x20x");
    SetLeadBytes(nullptr);
    EXPECT_EQ(NormalizeAddress(text), "\x81\x20x");
}

TEST(LaunchCommand, BrowserGetsTheSchemeOfTheTypeAndTheNormalisedAddress) {
    const LaunchClients clients = Browser();
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTP, "http://example.org/path"), clients),
              std::string(kBrowser) + " http://example.org/path");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTPS, "bank.example"), clients),
              std::string(kBrowser) + " https://bank.example");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_FTP, "http://files.example"), clients),
              std::string(kBrowser) + " ftp://files.example");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_TELNET, "telnet://bbs.example"), clients),
              std::string(kBrowser) + " telnet://bbs.example");
    // A capitalised prefix is not a prefix: it stays, after the scheme.
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTP, "HTTP://Example.org"), clients),
              std::string(kBrowser) + " http://HTTP://Example.org");
    // Blanks are not an empty address.
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTP, "   "), clients), std::string(kBrowser) + " http://");
}

TEST(LaunchCommand, ConfiguredClientToolIsStartedAloneWithoutArguments) {
    LaunchClients clients = Browser();
    clients.webClient = "C:\\Tools\\web.exe";
    clients.ftpClient = "C:\\Tools\\ftp.exe -p";
    clients.telnetClient = "C:\\Tools\\term.exe";
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTP, "example.org"), clients), "C:\\Tools\\web.exe");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTPS, "example.org"), clients), "C:\\Tools\\web.exe");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_FTP, "example.org"), clients), "C:\\Tools\\ftp.exe -p");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_TELNET, "example.org"), clients), "C:\\Tools\\term.exe");
    // A path with blanks is quoted up to its ".exe", so no shorter path runs.
    clients.webClient = "C:\\My Tools\\web.exe";
    clients.telnetClient = "C:\\My Tools\\term.exe -ssh";
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTP, "example.org"), clients), "\"C:\\My Tools\\web.exe\"");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_TELNET, "example.org"), clients), "\"C:\\My Tools\\term.exe\" -ssh");
    // Each kind uses its own setting only.
    clients.ftpClient.clear();
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_FTP, "example.org"), clients),
              std::string(kBrowser) + " ftp://example.org");
}

TEST(LaunchCommand, LocalProgramsEmptyAddressesAndUnknownTypes) {
    LaunchClients clients = Browser();
    clients.webClient = "C:\\Tools\\web.exe";
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_LOCAL, "  notepad.exe C:\\a.txt"), clients), "notepad.exe C:\\a.txt");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTP, ""), clients), "");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_LOCAL, ""), clients), "");
    for (std::int32_t type : {5, 6, 7, 8, -1, 0x7fffffff}) {
        EXPECT_EQ(BuildLaunchCommand(MakeItem(type, "example.org"), clients), "") << type;
    }
}

TEST(LaunchCommand, NeverCarriesTheUserNameOrPasswordAndStopsAtTheFieldEnd) {
    LoginItem item = MakeItem(ADDRESS_HTTP, "");
    // A damaged record may fill the whole field without a terminator.
    std::memset(item.serviceAddress, 'a', sizeof item.serviceAddress);
    const std::string command = BuildLaunchCommand(item, Browser());
    EXPECT_EQ(command, std::string(kBrowser) + " http://" + std::string(511, 'a'));
    EXPECT_EQ(command.find("alice"), std::string::npos);
    EXPECT_EQ(command.find("s3cret!"), std::string::npos);
    EXPECT_EQ(NormalizedItemAddress(MakeItem(ADDRESS_TELNET, "telnet://bbs.example")), "bbs.example");
}

TEST(AddressTypeFromScheme, TheSchemeRemovedFirstNamesTheType) {
    const std::pair<const char*, std::int32_t> named[] = {{"https://bank.example", ADDRESS_HTTPS},
                                                          {" \thttp://plain.example", ADDRESS_HTTP},
                                                          {"ftp://files.example", ADDRESS_FTP},
                                                          {"telnet://bbs.example", ADDRESS_TELNET},
                                                          {"https://http://odd.example", ADDRESS_HTTPS}};
    for (const auto& c : named) {
        std::int32_t type = -1;
        EXPECT_TRUE(AddressTypeFromScheme(c.first, type)) << c.first;
        EXPECT_EQ(type, c.second) << c.first;
    }
    for (const char* none : {"HTTPS://Bank.example", "bank.example/https://", ""}) {
        std::int32_t type = 42;
        EXPECT_FALSE(AddressTypeFromScheme(none, type)) << none;
        EXPECT_EQ(type, 42) << "untouched";
    }
}

TEST(LaunchCommand, BlanksControlsAndQuotesInTheAddressArePercentEncoded) {
    const LaunchClients clients = Browser();
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTP, "example.org --some-switch"), clients),
              std::string(kBrowser) + " http://example.org%20--some-switch");
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_FTP, "a\"b\tc\x7f\x01"), clients),
              std::string(kBrowser) + " ftp://a%22b%09c%7F%01");
    // Percent signs, backslashes and characters beyond ASCII stay as typed.
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTPS, "x/%41\\y\xe9"), clients),
              std::string(kBrowser) + " https://x/%41\\y\xe9");
    // A local program's address is its command line, as typed.
    EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_LOCAL, "\"C:\\A B\\p.exe\" -x"), clients), "\"C:\\A B\\p.exe\" -x");
}

TEST(LaunchCommand, AnUnquotedBrowserCommandIsCutAfterItsExeAndQuoted) {
    struct Case {
        const char* registered;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\B\\b.exe \"%1\"", "\"C:\\B\\b.exe\" http://example.org"},
        {"C:\\PROGRA~1\\X\\x.exe -nohome", "\"C:\\PROGRA~1\\X\\x.exe\" http://example.org"},
        {"C:\\B\\B.EXE", "\"C:\\B\\B.EXE\" http://example.org"},
        {"C:\\my.exes\\b.exe %1", "\"C:\\my.exes\\b.exe\" http://example.org"},
        // No ".exe" to cut at: kept whole, the address where "%1" stands.
        {"C:\\B\\browser \"%1\" -new", "C:\\B\\browser \"http://example.org\" -new"},
        {"browser", "browser http://example.org"},
    };
    for (const Case& c : cases) {
        LaunchClients clients;
        clients.browserCommand = c.registered;
        EXPECT_EQ(BuildLaunchCommand(MakeItem(ADDRESS_HTTP, "example.org"), clients), c.expected) << c.registered;
    }
}

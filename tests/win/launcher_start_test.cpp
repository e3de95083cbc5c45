// The launcher as the started program sees it: a probe program records the
// command line it really received, for every kind of item, from the launcher
// itself and from a double-click in the list window.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/launcher.h"
#include "view_fixture.h"

using view_test::MakeItem;

namespace {

const char kBrowserKey[] = "htmlfile\\shell\\open\\command";

class Probe {
public:
    Probe() {
        char module[MAX_PATH];
        GetModuleFileNameA(nullptr, module, MAX_PATH);
        std::string folder(module);
        folder.erase(folder.rfind('\\'));
        quoted = "\"" + folder + "\\command_line_probe.exe\"";
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        out = std::string(temp) + "pellucorda-probe-" + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(out.c_str());
        SetEnvironmentVariableA("PELLUCORDA_PROBE_OUT", out.c_str());
    }
    ~Probe() {
        SetEnvironmentVariableA("PELLUCORDA_PROBE_OUT", nullptr);
        DeleteFileA(out.c_str());
    }

    // The command line the probe got, once its whole record (ended by a line
    // feed) can be read: the file can show up a moment before it opens.
    std::string Received() {
        const ULONGLONG deadline = GetTickCount64() + 30000;
        for (;;) {
            std::string record;
            {
                std::ifstream file(out, std::ios::binary);
                if (file) record.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            }
            if (!record.empty() && record.back() == '\n') {
                DeleteFileA(out.c_str());
                record.pop_back();
                return record;
            }
            if (GetTickCount64() > deadline) return "<nothing started>";
            Sleep(20);
        }
    }

    std::string quoted;  // the probe's path in quotes, as a browser command is
    std::string out;
};

// Under Wine a new process now and then dies while it maps itself in, and
// CreateProcess reports that as a failure. One more try tells such a start
// apart from a command line the launcher got wrong, which fails every time.
bool Launch(const LoginItem& item, const LaunchClients& clients) {
    if (LaunchItem(item, clients)) return true;
    std::printf("a start failed with error %lu; trying once more\n", GetLastError());
    return LaunchItem(item, clients);
}

}  // namespace

TEST(Launcher, EachKindOfItemStartsItsCommandLineAndNoSecret) {
    Probe probe;
    const std::string& p = probe.quoted;
    LaunchClients browser;
    browser.browserCommand = p;
    LaunchClients tools = browser;
    tools.webClient = p + " --web";
    tools.ftpClient = p + " --ftp";
    tools.telnetClient = p + " --telnet";

    struct Case {
        std::int32_t type;
        std::string address;
        const LaunchClients& clients;
        std::string expected;
    };
    const Case cases[] = {
        {ADDRESS_HTTP, "http://example.org/path", browser, p + " http://example.org/path"},
        {ADDRESS_HTTP, "HTTP://Example.org", browser, p + " http://HTTP://Example.org"},
        {ADDRESS_HTTP, "http://ftp://example.org", browser, p + " http://example.org"},
        {ADDRESS_HTTP, "ftp://http://example.org", browser, p + " http://http://example.org"},
        {ADDRESS_HTTP, "   ", browser, p + " http://"},
        {ADDRESS_HTTPS, "example.org", browser, p + " https://example.org"},
        {ADDRESS_FTP, "http://files.example.org", browser, p + " ftp://files.example.org"},
        {ADDRESS_TELNET, "telnet://term.example.org", browser, p + " telnet://term.example.org"},
        {ADDRESS_HTTP, "example.org", tools, p + " --web"},
        {ADDRESS_HTTPS, "example.org", tools, p + " --web"},
        {ADDRESS_FTP, "example.org", tools, p + " --ftp"},
        {ADDRESS_TELNET, "example.org", tools, p + " --telnet"},
        {ADDRESS_LOCAL, "  " + p + " an argument", tools, p + " an argument"},
    };
    for (const Case& c : cases) {
        const LoginItem item = MakeItem("service", "alice", "s3cret!", c.address, c.type);
        EXPECT_TRUE(Launch(item, c.clients)) << c.address;
        const std::string received = probe.Received();
        EXPECT_EQ(received, c.expected) << "type " << c.type << ", address \"" << c.address << "\"";
        EXPECT_EQ(received.find("alice"), std::string::npos);
        EXPECT_EQ(received.find("s3cret"), std::string::npos);
    }

    for (std::int32_t type : {5, 7, 42, -1}) {
        EXPECT_FALSE(LaunchItem(MakeItem("s", "u", "p", "example.org", type), tools)) << "type " << type;
    }
    EXPECT_FALSE(LaunchItem(MakeItem("s", "u", "p", "", ADDRESS_LOCAL), tools));
    EXPECT_FALSE(StartCommandLine("\"C:\\no such folder\\program.exe\""));
}

namespace {

std::wstring Wide(const std::string& text) {
    std::wstring wide;
    for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

std::string Narrow(const wchar_t* text) {
    std::string narrow;
    for (; *text != 0; ++text) narrow += static_cast<char>(*text);
    return narrow;
}

// The arguments a program started with this command line sees.
std::vector<std::string> Arguments(const std::string& commandLine) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(Wide(commandLine).c_str(), &count);
    std::vector<std::string> result;
    for (int i = 0; arguments != nullptr && i < count; ++i) result.push_back(Narrow(arguments[i]));
    LocalFree(arguments);
    return result;
}

// Addresses typed or imported that would break out of one argument.
const char* const kHostileAddresses[] = {
    "example.org --some-switch", "a\"b c", "x\\\" --y \"z", "tab\there\\", "\"quoted\"", "end\\",
};

// Blanks, tabs and double quotes percent-encoded.
std::string Encoded(const std::string& address) {
    std::string encoded;
    for (char c : address) {
        encoded += c == ' ' ? "%20" : c == '\t' ? "%09" : c == '"' ? "%22" : std::string(1, c);
    }
    return encoded;
}

}  // namespace

TEST(Launcher, AWebFtpOrTelnetAddressIsExactlyOneArgumentWhateverTheBrowserCommand) {
    struct Browser {
        const char* registered;  // as the settings keep it
        const char* program;     // what the started program sees as its path
    };
    const Browser browsers[] = {
        {"\"C:\\Program Files\\Browser\\browse.exe\"", "C:\\Program Files\\Browser\\browse.exe"},
        {"C:\\B\\b.exe \"%1\"", "C:\\B\\b.exe"},
        {"C:\\PROGRA~1\\X\\X.EXE -nohome", "C:\\PROGRA~1\\X\\X.EXE"},
    };
    const std::pair<std::int32_t, const char*> types[] = {
        {ADDRESS_HTTP, "http://"}, {ADDRESS_HTTPS, "https://"}, {ADDRESS_FTP, "ftp://"}, {ADDRESS_TELNET, "telnet://"}};
    for (const Browser& browser : browsers) {
        LaunchClients clients;
        clients.browserCommand = browser.registered;
        for (const auto& type : types) {
            for (const char* address : kHostileAddresses) {
                const std::string command = BuildLaunchCommand(MakeItem("s", "u", "p", address, type.first), clients);
                EXPECT_EQ(Arguments(command),
                          (std::vector<std::string>{browser.program, type.second + Encoded(address)}))
                    << command;
            }
        }
    }
}

TEST(Launcher, TheStartedBrowserReceivesTheAddressAsOneArgument) {
    Probe probe;
    const std::string path = probe.quoted.substr(1, probe.quoted.size() - 2);
    // The registered command as some browsers leave it: unquoted, "%1" after.
    for (const std::string& registered : {probe.quoted, path + " \"%1\""}) {
        LaunchClients clients;
        clients.browserCommand = registered;
        for (const char* address : kHostileAddresses) {
            ASSERT_TRUE(Launch(MakeItem("s", "u", "p", address, ADDRESS_HTTPS), clients)) << registered;
            EXPECT_EQ(Arguments(probe.Received()), (std::vector<std::string>{path, "https://" + Encoded(address)}))
                << registered << " / " << address;
        }
    }
}

// A double-click on a row opens the item through the browser that the
// system's file associations name.
class LaunchFromList : public view_test::ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        char value[1024] = {};
        LONG size = sizeof value;
        hadBrowser = RegQueryValueA(HKEY_CLASSES_ROOT, kBrowserKey, value, &size) == ERROR_SUCCESS;
        savedBrowser = value;
        ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, kBrowserKey, REG_SZ, (probe.quoted + " \"%1\"").c_str(), 0),
                  ERROR_SUCCESS);
        theApp.m_settings.DetectBrowser();
    }
    void TearDown() override {
        if (hadBrowser) {
            RegSetValueA(HKEY_CLASSES_ROOT, kBrowserKey, REG_SZ, savedBrowser.c_str(), 0);
        } else {
            RegDeleteTreeA(HKEY_CLASSES_ROOT, "htmlfile");
        }
        theApp.m_settings.DetectBrowser();
        ViewTest::TearDown();
    }

    Probe probe;
    bool hadBrowser = false;
    std::string savedBrowser;
};

TEST_F(LaunchFromList, DoubleClickOpensTheSelectedRowsItem) {
    LogInWith(12, [&](int i) {
        return i == 11 ? MakeItem("tool", "u", "p", probe.quoted + " /x", ADDRESS_LOCAL)
                       : MakeItem("site", "alice", "s3cret!", "http://site" + std::to_string(i) + ".example.org",
                                  ADDRESS_HTTP);
    });
    Press(IDC_VIEW_NEXT);
    Select(0);
    Notify(NM_DBLCLK);
    EXPECT_EQ(probe.Received(), probe.quoted + " http://site10.example.org");
    Select(1);
    Notify(NM_DBLCLK);
    EXPECT_EQ(probe.Received(), probe.quoted + " /x");
}

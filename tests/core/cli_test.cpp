// Drives the built pellucorda-cli as a process, the way scripts use it.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/vault/login_store.h"
#include "store_test_support.h"
#include "support/process_runner.h"
#include "support/pty_session.h"

using namespace std::string_literals;

namespace {

std::string ReadWholeFile(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

class CliTest : public ::testing::Test {
protected:
    std::string Vault() const { return dir.Path("logininfo.dat"); }

    ProcessResult Cli(const std::vector<std::string>& args, const std::string& secrets = std::string(),
                      const std::string& vault = std::string()) {
        std::vector<std::string> argv = {PELLUCORDA_CLI_PATH, "--file", vault.empty() ? Vault() : vault,
                                         "--password-stdin"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, secrets);
    }

    // The tool under a locale of its own, whatever the test's is.
    ProcessResult CliIn(const std::string& locale, const std::vector<std::string>& args, const std::string& secrets) {
        std::vector<std::string> argv = {"/usr/bin/env", "LC_ALL=" + locale, PELLUCORDA_CLI_PATH, "--file",
                                         Vault(),        "--password-stdin"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, secrets);
    }

    // Opens a vault in the core, as the program does.
    std::unique_ptr<LoginStore> OpenInCore(const std::string& path, const char* password) {
        auto store = std::make_unique<LoginStore>();
        EXPECT_EQ(store->Open(password, path), VaultOk) << path;
        return store;
    }

    TempDir dir;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

TEST_F(CliTest, InitCreatesTheProgramsDefaultVaultAndRefusesToOverwrite) {
    ProcessResult r = Cli({"init"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadWholeFile(Vault()).size(), 1728u);
    auto store = OpenInCore(Vault(), "quillmarsh");
    ASSERT_EQ(store->GetCount(), 1u);
    LoginItem item;
    store->GetItem(0, item);
    EXPECT_STREQ(item.serviceName, "Corvanet software");
    EXPECT_STREQ(item.password, "brackmon");

    const std::string before = ReadWholeFile(Vault());
    r = Cli({"init"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadWholeFile(Vault()), before);

    r = Cli({"check"}, "quillmarsh\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "items: 1\nsize: 1728 bytes\nformat: compatible (MD5 key)\n");
}

TEST_F(CliTest, RoundTripThroughEveryCommandAndIntoASecondVault) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    ProcessResult r = Cli({"add", "--service", "Mail\tbox", "--user", "al\\ice", "--address",
                           "  http://mail.example/in", "--type", "HTTPS", "--description", "line one\nline two\r"},
                          "quillmarsh\r\nitem-pass\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n");
    ASSERT_EQ(Cli({"add", "--service", "Shell", "--type", "3", "--address", "telnet://bbs.example"},
                  "quillmarsh\nshell-pass\n")
                  .status,
              0);
    ASSERT_EQ(Cli({"add", "--service", "Doomed"}, "quillmarsh\nx\n").status, 0);
    r = Cli({"edit", "2", "--user", "bob", "--new-password", "--type", "local"}, "quillmarsh\nnew-shell-pass\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(Cli({"rm", "3"}, "quillmarsh\n").status, 0);
    r = Cli({"passwd"}, "quillmarsh\nfresh master\nfresh master\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Modify password success!\n");
    EXPECT_EQ(Cli({"list"}, "quillmarsh\n").status, 2);

    r = Cli({"list"}, "fresh master\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                                "0\tHTTP\tCorvanet software\tPellucorda\thttp://pellucorda.example.org/",
                                "1\tHTTPS\tMail\\tbox\tal\\\\ice\tmail.example/in",
                                "2\tLOCAL\tShell\tbob\tbbs.example",
                            }));
    EXPECT_EQ(r.out.find("pass"), std::string::npos) << "list shows no password";

    r = Cli({"show", "2", "--password"}, "fresh master\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("password: new-shell-pass\n"), std::string::npos) << r.out;
    r = Cli({"show", "2"}, "fresh master\n");
    EXPECT_EQ(r.out.find("new-shell-pass"), std::string::npos);

    ProcessResult exported = Cli({"export"}, "fresh master\n");
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(exported.err.find("password"), std::string::npos) << "export warns that it holds passwords";
    EXPECT_EQ(Lines(exported.out)[0], "index\ttype\tservice\tuser\taddress\tpassword\tdescription");
    const std::string exportFile = dir.Path("items.tsv");
    WriteWholeFile(exportFile, exported.out);

    // A second vault, emptied, then filled by the import.
    const std::string second = dir.Path("second.dat");
    ASSERT_EQ(Cli({"init"}, "", second).status, 0);
    ASSERT_EQ(Cli({"rm", "0"}, "quillmarsh\n", second).status, 0);
    r = Cli({"import", "--allow-programs", exportFile}, "quillmarsh\n", second);
    ASSERT_EQ(r.status, 0) << r.err;

    auto original = OpenInCore(Vault(), "fresh master");
    auto copy = OpenInCore(second, "quillmarsh");
    ASSERT_EQ(copy->GetCount(), original->GetCount());
    for (int i = 0; i < static_cast<int>(original->GetCount()); ++i) {
        LoginItem a, b;
        original->GetItem(i, a);
        copy->GetItem(i, b);
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "item " << i;
    }
    LoginItem mail;
    copy->GetItem(1, mail);
    EXPECT_STREQ(mail.serviceName, "Mail\tbox");
    EXPECT_STREQ(mail.description, "line one\nline two\r");
    EXPECT_STREQ(mail.password, "item-pass");
    EXPECT_EQ(mail.addressType, 1);
}

TEST_F(CliTest, VaultsWrittenByTheCoreAndByTheToolReadEachOther) {
    {
        auto store = std::make_unique<LoginStore>();
        ASSERT_TRUE(store->Open("quillmarsh", Vault()) == VaultOk);
        LoginItem item;
        item.Clear();
        CopyField(item.serviceName, sizeof item.serviceName, "From the core");
        CopyField(item.password, sizeof item.password, "core-pass");
        item.addressType = 7;
        ASSERT_TRUE(store->AddItem(item));
        ASSERT_EQ(store->Save(), VaultOk);
    }
    ProcessResult r = Cli({"list"}, "quillmarsh\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out)[1], "1\tRESERVED\tFrom the core\t\t");
    r = Cli({"export"}, "quillmarsh\n");
    EXPECT_EQ(Lines(r.out)[2], "1\t7\tFrom the core\t\t\tcore-pass\t") << "export keeps the exact type code";

    ASSERT_EQ(Cli({"add", "--service", "From the tool", "--type", "ftp"}, "quillmarsh\ntool-pass\n").status, 0);
    auto store = OpenInCore(Vault(), "quillmarsh");
    ASSERT_EQ(store->GetCount(), 3u);
    LoginItem item;
    store->GetItem(2, item);
    EXPECT_STREQ(item.serviceName, "From the tool");
    EXPECT_STREQ(item.password, "tool-pass");
    EXPECT_EQ(item.addressType, 2);
}

TEST_F(CliTest, FailuresHaveTheirExitStatusAndMessage) {
    // Missing or empty vault: refused, and never created.
    ProcessResult r = Cli({"list"}, "quillmarsh\n");
    EXPECT_EQ(r.status, 3);
    EXPECT_FALSE(std::ifstream(Vault()).good());
    WriteWholeFile(Vault(), "");
    EXPECT_EQ(Cli({"add", "--service", "x"}, "quillmarsh\np\n").status, 3);
    EXPECT_EQ(ReadWholeFile(Vault()).size(), 0u);

    WriteWholeFile(Vault(), std::string(20, 'x'));
    r = Cli({"check"}, "quillmarsh\n");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "pellucorda-cli: File is damaged!\n");

    ASSERT_EQ(std::remove(Vault().c_str()), 0);
    ASSERT_EQ(Cli({"init"}).status, 0);
    r = Cli({"check"}, "wrong\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "pellucorda-cli: please input correct password!\n");

    EXPECT_EQ(Cli({"show", "1"}, "quillmarsh\n").status, 4);
    EXPECT_EQ(Cli({"rm", "5"}, "quillmarsh\n").status, 4);
    EXPECT_EQ(Cli({"edit", "1", "--user", "x"}, "quillmarsh\n").status, 4);

    r = Cli({"passwd"}, "quillmarsh\nnew one\nnew 0ne\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pellucorda-cli: The two new password not matched!\n");
    EXPECT_EQ(Cli({"check"}, "quillmarsh\n").status, 0) << "the master password is unchanged";

    // Usage errors.
    EXPECT_EQ(Cli({}).status, 1);
    EXPECT_EQ(Cli({"frobnicate"}).status, 1);
    EXPECT_EQ(Cli({"add"}, "quillmarsh\n").status, 1);
    EXPECT_EQ(Cli({"add", "--service", "s", "--type", "gopher"}, "quillmarsh\np\n").status, 1);
    EXPECT_EQ(Cli({"show", "abc"}, "quillmarsh\n").status, 1);
    // Not enough secret lines.
    EXPECT_EQ(Cli({"add", "--service", "s"}, "quillmarsh\n").status, 1);
    // Without --password-stdin and without a terminal there is nowhere to read a secret from.
    r = RunProcess({PELLUCORDA_CLI_PATH, "--file", Vault(), "list"}, "quillmarsh\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--password-stdin"), std::string::npos);

    r = RunProcess({PELLUCORDA_CLI_PATH, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: pellucorda-cli"), std::string::npos);
}

TEST_F(CliTest, AFullVaultAndAnOverlongImportChangeNothing) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    std::string lines = "index\ttype\tservice\tuser\taddress\tpassword\tdescription\n";
    for (int i = 0; i < 99; ++i) lines += std::to_string(i) + "\tHTTP\tservice " + std::to_string(i) + "\tu\ta\tp\td\n";
    WriteWholeFile(dir.Path("99.tsv"), lines);
    ProcessResult r = Cli({"import", dir.Path("99.tsv")}, "quillmarsh\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli({"check"}, "quillmarsh\n").out, "items: 100\nsize: 166864 bytes\nformat: compatible (MD5 key)\n");

    r = Cli({"add", "--service", "one too many"}, "quillmarsh\np\n");
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, "pellucorda-cli: Reach the max item limit!\n");

    // An import that overflows saves none of its items.
    ASSERT_EQ(Cli({"rm", "0"}, "quillmarsh\n").status, 0);
    const std::string before = ReadWholeFile(Vault());
    r = Cli({"import", "-"}, "quillmarsh\n" + lines);
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("Reach the max item limit!"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(Vault()), before);

    // So does a malformed one.
    r = Cli({"import", "-"}, "quillmarsh\n0\tHTTP\tok\tu\ta\tp\td\nnot an item line\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadWholeFile(Vault()), before);
}

TEST_F(CliTest, ValuesThatDoNotFitAreRefusedNamingTheFieldAndLine) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    const std::string before = ReadWholeFile(Vault());
    const struct {
        std::vector<std::string> args;
        std::string secrets, message;
    } kRefused[] = {
        {{"add", "--service", std::string(64, 's')}, "quillmarsh\np\n", "the service name is longer than 63 bytes"},
        {{"add", "--service", "s"},
         "quillmarsh\n" + std::string(32, 'p') + "\n",
         "the password is longer than 31 bytes"},
        {{"add", "--service", "s", "--address", "https://" + std::string(512, 'a')},
         "quillmarsh\np\n",
         "the address is longer than 511 bytes"},
        {{"add", "--service", "s"}, "quillmarsh\npass\0word\n"s, "a secret holds a NUL byte"},
        {{"edit", "0", "--user", std::string(32, 'u')}, "quillmarsh\n", "the user name is longer than 31 bytes"},
        {{"edit", "0", "--description", std::string(1024, 'd')},
         "quillmarsh\n",
         "the description is longer than 1023 bytes"},
        {{"import", "-"},
         "quillmarsh\n0\tHTTP\ta\tu\tx\tp\td\n\n1\tHTTP\tb\tu\tx\t" + std::string(32, 'p') + "\td\n",
         "line 3: the password is longer than 31 bytes"},
        {{"import", "-"}, "quillmarsh\n0\tHTTP\ta\tu\0ser\tx\tp\td\n"s, "line 1: the user name holds a NUL byte"},
    };
    for (const auto& refused : kRefused) {
        ProcessResult r = Cli(refused.args, refused.secrets);
        EXPECT_EQ(r.status, 1) << refused.message;
        EXPECT_EQ(r.err, "pellucorda-cli: " + refused.message + "\n");
        EXPECT_EQ(ReadWholeFile(Vault()), before) << refused.message;
    }

    // What fits exactly is kept whole.
    ProcessResult r = Cli({"add", "--service", std::string(63, 's')}, "quillmarsh\n" + std::string(31, 'p') + "\n");
    ASSERT_EQ(r.status, 0) << r.err;
    auto store = OpenInCore(Vault(), "quillmarsh");
    LoginItem item;
    store->GetItem(1, item);
    EXPECT_EQ(std::string(item.serviceName), std::string(63, 's'));
    EXPECT_EQ(std::string(item.password), std::string(31, 'p'));
}

TEST_F(CliTest, SecretsNeverTravelInArgumentsAndAFailedSaveSaysSo) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    const std::string before = ReadWholeFile(Vault());
    // There is no option that takes a secret.
    EXPECT_EQ(Cli({"add", "--service", "s", "--password", "hunter2"}, "quillmarsh\nx\n").status, 1);
    EXPECT_EQ(Cli({"--password", "quillmarsh", "list"}).status, 1);
    EXPECT_EQ(ReadWholeFile(Vault()), before);

    // While the tool waits for the next secret, its arguments hold none.
    ChildProcess child({PELLUCORDA_CLI_PATH, "--file", Vault(), "--password-stdin", "add", "--service", "s"});
    child.Write("quillmarsh\n");
    // Wait for the exec to have replaced the forked test process.
    std::string cmdline;
    for (int i = 0; i < 500 && cmdline.find("--password-stdin") == std::string::npos; ++i) {
        cmdline = ReadWholeFile("/proc/" + std::to_string(child.Pid()) + "/cmdline");
        if (cmdline.find("--password-stdin") == std::string::npos) usleep(10000);
    }
    ASSERT_NE(cmdline.find("add"), std::string::npos);
    EXPECT_EQ(cmdline.find("quillmarsh"), std::string::npos);
    child.Write("item-secret\n");
    ProcessResult r = child.Finish();
    EXPECT_EQ(r.status, 0) << r.err;

    // An import read from a FIFO holds the tool between its load and its
    // save, so the vault can be taken away from it deterministically.
    const std::string fifo = dir.Path("import.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ChildProcess importer({PELLUCORDA_CLI_PATH, "--file", Vault(), "--password-stdin", "import", fifo});
    importer.Write("quillmarsh\n");
    importer.CloseInput();
    const int writer = open(fifo.c_str(), O_WRONLY);  // returns once the tool has loaded and opened it
    ASSERT_GE(writer, 0);
    const int holder = open(Vault().c_str(), O_RDWR);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    const std::string line = "0\tFTP\tlate\tu\ta\tp\td\n";
    ASSERT_EQ(write(writer, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    close(writer);
    r = importer.Finish();
    close(holder);
    EXPECT_EQ(r.status, 5);
    EXPECT_NE(r.err.find("Write file failed!"), std::string::npos) << r.err;
    EXPECT_EQ(Cli({"check"}, "quillmarsh\n").out, "items: 2\nsize: 3392 bytes\nformat: compatible (MD5 key)\n");
}

TEST_F(CliTest, TheMasterPasswordIsTypedAtTheTerminalWithoutEcho) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    PtySession session({PELLUCORDA_CLI_PATH, "--file", Vault(), "check"});
    ASSERT_TRUE(session.WaitFor("Master password: ")) << session.Seen();
    session.Type("quillmarsh\r");
    EXPECT_EQ(session.Finish(), 0) << session.Seen();
    EXPECT_NE(session.Seen().find("items: 1"), std::string::npos) << session.Seen();
    EXPECT_EQ(session.Seen().find("quillmarsh"), std::string::npos) << "the password was echoed: " << session.Seen();
}

TEST_F(CliTest, AnOutputThatCannotBeWrittenIsAFailure) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"export"}, std::vector<std::string>{"show", "0", "--password"}}) {
        std::vector<std::string> argv = {"/bin/sh",           "-c",     "exec \"$0\" \"$@\" >/dev/full",
                                         PELLUCORDA_CLI_PATH, "--file", Vault(),
                                         "--password-stdin"};
        argv.insert(argv.end(), command.begin(), command.end());
        ProcessResult r = RunProcess(argv, "quillmarsh\n");
        EXPECT_EQ(r.status, 5) << command[0];
        EXPECT_NE(r.err.find("pellucorda-cli: cannot write the output\n"), std::string::npos) << r.err;
    }
    // A reader that went away before the list came.
    ChildProcess child({PELLUCORDA_CLI_PATH, "--file", Vault(), "--password-stdin", "list"});
    child.CloseOutput();
    child.Write("quillmarsh\n");
    ProcessResult r = child.Finish();
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.err, "pellucorda-cli: cannot write the output\n");
}

TEST_F(CliTest, AMasterPasswordTheLoginDialogCannotTakeIsRefused) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    const std::string before = ReadWholeFile(Vault());
    for (std::size_t length : {17u, 28u}) {
        const std::string fresh(length, 'm');
        std::string input = "quillmarsh\n";
        input += fresh + "\n";
        input += fresh + "\n";
        ProcessResult r = Cli({"passwd"}, input);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("longer than 16 characters"), std::string::npos) << r.err;
        EXPECT_EQ(ReadWholeFile(Vault()), before);
    }
    const std::string longest(16, 'm');
    ASSERT_EQ(Cli({"passwd"}, "quillmarsh\n" + longest + "\n" + longest + "\n").status, 0);
    OpenInCore(Vault(), longest.c_str());
}

TEST_F(CliTest, ControlBytesAreEscapedWhenShownAndKeptByExport) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    ASSERT_EQ(Cli({"add", "--service", "Evil\x1b]0;owned\x07\x1b[2J", "--user", "u\x7f", "--description", "d\x01"},
                  "quillmarsh\np\x1bq\n")
                  .status,
              0);
    ProcessResult r = Cli({"list"}, "quillmarsh\n");
    EXPECT_EQ(Lines(r.out)[1], "1\tHTTP\tEvil\\x1B]0;owned\\x07\\x1B[2J\tu\\x7F\t");
    r = Cli({"show", "1", "--password"}, "quillmarsh\n");
    EXPECT_NE(r.out.find("password: p\\x1Bq\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("description: d\\x01\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find_first_of("\x1b\x7f\x07\x01"), std::string::npos);

    r = Cli({"export"}, "quillmarsh\n");
    EXPECT_EQ(Lines(r.out)[2], "1\tHTTP\tEvil\x1b]0;owned\x07\x1b[2J\tu\x7f\t\tp\x1bq\td\x01");
    WriteWholeFile(dir.Path("items.tsv"), r.out);
    const std::string second = dir.Path("second.dat");
    ASSERT_EQ(Cli({"init"}, "", second).status, 0);
    ASSERT_EQ(Cli({"import", dir.Path("items.tsv")}, "quillmarsh\n", second).status, 0);
    LoginItem a, b;
    OpenInCore(Vault(), "quillmarsh")->GetItem(1, a);
    OpenInCore(second, "quillmarsh")->GetItem(2, b);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST_F(CliTest, TheAddressSchemeGivesTheTypeUnlessOneIsGiven) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    const std::vector<std::vector<std::string>> adds = {
        {"--address", "https://bank.example"},
        {"--address", " ftp://files.example"},
        {"--address", "telnet://bbs.example"},
        {"--address", "plain.example"},
        {"--address", "https://x.example", "--type", "local"},
    };
    for (const auto& options : adds) {
        std::vector<std::string> args = {"add", "--service", "s"};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(Cli(args, "quillmarsh\np\n").status, 0);
    }
    const auto typeOf = [&](int index) {
        LoginItem item;
        OpenInCore(Vault(), "quillmarsh")->GetItem(index, item);
        return item.addressType;
    };
    EXPECT_EQ(typeOf(1), ADDRESS_HTTPS);
    EXPECT_EQ(typeOf(2), ADDRESS_FTP);
    EXPECT_EQ(typeOf(3), ADDRESS_TELNET);
    EXPECT_EQ(typeOf(4), ADDRESS_HTTP);
    EXPECT_EQ(typeOf(5), ADDRESS_LOCAL);
    ASSERT_EQ(Cli({"edit", "5", "--address", "other.example"}, "quillmarsh\n").status, 0);
    EXPECT_EQ(typeOf(5), ADDRESS_LOCAL) << "an address without a scheme keeps the type";
    ASSERT_EQ(Cli({"edit", "5", "--address", "ftp://f.example", "--type", "telnet"}, "quillmarsh\n").status, 0);
    EXPECT_EQ(typeOf(5), ADDRESS_TELNET) << "an explicit type wins";
    ASSERT_EQ(Cli({"edit", "5", "--address", "https://y.example"}, "quillmarsh\n").status, 0);
    EXPECT_EQ(typeOf(5), ADDRESS_HTTPS);
    EXPECT_EQ(Lines(Cli({"list"}, "quillmarsh\n").out)[5], "5\tHTTPS\ts\t\ty.example");
}

TEST_F(CliTest, GeneratedPasswordsAreStoredAndShownOnlyWhenAsked) {
    ProcessResult r = Cli({"generate"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.size(), 17u) << r.out;
    r = Cli({"generate", "--length", "31", "--no-digits", "--no-symbols", "--exclude", "abcXYZ"});
    EXPECT_EQ(r.out.find_first_not_of("defghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVW\n"), std::string::npos) << r.out;
    EXPECT_EQ(Cli({"generate", "--length", "32"}).status, 1);

    ASSERT_EQ(Cli({"init"}).status, 0);
    r = Cli({"add", "--service", "quiet", "--generate"}, "quillmarsh\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n") << "not printed unless asked";
    r = Cli({"add", "--service", "shown", "--generate", "--length", "20", "--print"}, "quillmarsh\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> added = Lines(r.out);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0], "2");
    r = Cli({"edit", "1", "--generate", "--no-symbols", "--print"}, "quillmarsh\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string edited = r.out.substr(0, r.out.size() - 1);

    auto store = OpenInCore(Vault(), "quillmarsh");
    LoginItem quiet, shown;
    store->GetItem(1, quiet);
    store->GetItem(2, shown);
    EXPECT_EQ(std::string(shown.password), added[1]);
    EXPECT_EQ(std::string(shown.password).size(), 20u);
    EXPECT_EQ(std::string(quiet.password), edited);
    EXPECT_EQ(edited.size(), 16u);
    EXPECT_EQ(edited.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
              std::string::npos);

    EXPECT_EQ(Cli({"add", "--service", "s", "--print"}, "quillmarsh\np\n").status, 1);
    EXPECT_EQ(Cli({"add", "--service", "s", "--length", "8"}, "quillmarsh\np\n").status, 1);
}

TEST_F(CliTest, LocateFindsTextInEveryFieldButThePassword) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    ASSERT_EQ(
        Cli({"add", "--service", "Mail", "--user", "alice", "--address", "mail.example"}, "quillmarsh\nsecretword\n")
            .status,
        0);
    ASSERT_EQ(
        Cli({"add", "--service", "Bank", "--user", "BOB", "--description", "alerts by mAIl"}, "quillmarsh\nx\n").status,
        0);
    ProcessResult r = Cli({"locate", "MAIL"}, "quillmarsh\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> listed = Lines(Cli({"list"}, "quillmarsh\n").out);
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{listed[1], listed[2]}));
    EXPECT_EQ(Lines(Cli({"locate", "bob"}, "quillmarsh\n").out), (std::vector<std::string>{listed[2]}));
    EXPECT_EQ(Lines(Cli({"locate", "pellucorda.example"}, "quillmarsh\n").out), (std::vector<std::string>{listed[0]}));
    r = Cli({"locate", "secretword"}, "quillmarsh\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Cli({"locate"}, "quillmarsh\n").status, 1);
}

TEST_F(CliTest, CsvExportsOfOtherManagersAndBrowsersImport) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    for (const char* file : {"browser-named.csv", "browser-quoted.csv", "manager-login-columns.csv",
                             "manager-extra-column.csv", "manager-titled.csv"}) {
        ProcessResult r = Cli({"import", "--csv", std::string(PELLUCORDA_TEST_DATA) + "/csv/" + file}, "quillmarsh\n");
        ASSERT_EQ(r.status, 0) << file << ": " << r.err;
    }
    const struct {
        const char *service, *user, *password, *address;
        std::int32_t type;
        const char* description;
    } kExpected[] = {
        {"mail.example.com", "alice@example.com", "p,ss\"word", "mail.example.com/login", ADDRESS_HTTPS, ""},
        {"forum.example.org", "bob", "hunter2", "forum.example.org/board", ADDRESS_HTTPS, "first line\nsecond line"},
        {"www.example.net", "carol", "s3cr3t\x80", "www.example.net", ADDRESS_HTTPS, ""},
        {"files.example.net", "dave", "F\xEFl\xE9", "files.example.net", ADDRESS_FTP, ""},
        {"Intranet", "erin", "Zz9!x", "intranet.example.com", ADDRESS_HTTPS, "VPN first"},
        {"Wi-Fi at home", "", "", "", ADDRESS_HTTP, "SSID: home, key: \xE9t\xE9"},
        {"Router", "frank", "gr8pass", "sn", ADDRESS_HTTP, "NoteType:Server\nHostname:10.0.0.1"},
        {"BBS", "gus", "oldschool", "bbs.example.org", ADDRESS_TELNET, ""},
        {"Bank", "hank", "Tr0ub4dor&3", "bank.example", ADDRESS_HTTPS, "Caf\xE9 au lait"},
    };
    auto store = OpenInCore(Vault(), "quillmarsh");
    ASSERT_EQ(store->GetCount(), 10u);
    for (int i = 0; i < 9; ++i) {
        LoginItem item;
        store->GetItem(i + 1, item);
        EXPECT_STREQ(item.serviceName, kExpected[i].service) << i;
        EXPECT_STREQ(item.userName, kExpected[i].user) << i;
        EXPECT_STREQ(item.password, kExpected[i].password) << i;
        EXPECT_STREQ(item.serviceAddress, kExpected[i].address) << i;
        EXPECT_EQ(item.addressType, kExpected[i].type) << i;
        EXPECT_STREQ(item.description, kExpected[i].description) << i;
    }

    // Any refused row leaves the vault as it was.
    const std::string before = ReadWholeFile(Vault());
    const std::string header = "title,username,password,url\n";
    const std::string good = "Ok,u,p,https://ok.example\n";
    const struct {
        std::string rows, message;
    } kRefused[] = {
        {good + "Beetle,\xD0\x96uk,p,x\n",
         "line 3: the user name holds a character that the ANSI code page cannot hold"},
        {good + "Long," + std::string(32, 'u') + ",p,x\n", "line 3: the user name is longer than 31 bytes"},
        {good + "Latin1,u,\xE9\xE9,x\n", "line 3: the password is not UTF-8 text"},
        {"\"Two\nlines\",u\n" + good, "line 2: 2 fields where the header row has 4"},
        {good + "\"Open,u,p,x\n", "line 3: a quoted field does not end, or text follows its closing quote"},
        {good + std::string(std::size_t{2} << 20, ','), "line 3: more fields than the header row has (4)"},
        {std::string(1000, ',') + "\n", "line 1: the header row has more than 1000 fields"},
    };
    for (const auto& refused : kRefused) {
        const bool ownHeader = refused.rows[0] == ',';
        ProcessResult r = Cli({"import", "--csv", "-"}, "quillmarsh\n" + (ownHeader ? "" : header) + refused.rows);
        EXPECT_EQ(r.status, 1) << refused.message;
        EXPECT_EQ(r.err, "pellucorda-cli: " + refused.message + "\n");
        EXPECT_EQ(ReadWholeFile(Vault()), before);
    }
    // Thirty-one accented letters take 62 bytes of UTF-8 but fit the 31 of a password.
    std::string accented;
    for (int i = 0; i < 31; ++i) accented += "\xC3\xA9";
    ASSERT_EQ(Cli({"import", "--csv", "-"}, "quillmarsh\n" + header + "Acc,u," + accented + ",x\n").status, 0);
    LoginItem item;
    OpenInCore(Vault(), "quillmarsh")->GetItem(10, item);
    EXPECT_EQ(std::string(item.password), std::string(31, '\xE9'));
}

TEST_F(CliTest, TheFrontDoorHelpsWithOneCommandAtATime) {
    ProcessResult r = Cli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "pellucorda-cli 1.2.0\n");

    r = Cli({"help", "add"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("add --service S"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("rm INDEX"), std::string::npos) << "only the one command";
    EXPECT_EQ(Cli({"add", "--help"}).out, r.out);
    r = Cli({"help"});
    for (const char* command : {"list", "show", "locate", "add", "edit", "rm", "passwd", "check", "init", "export",
                                "import [--csv]", "generate", "help"}) {
        EXPECT_NE(r.out.find(std::string("\n  ") + command), std::string::npos) << command;
    }

    // A usage error is one line that names the problem and where help is.
    r = Cli({"frobnicate"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pellucorda-cli: unknown command frobnicate; try 'pellucorda-cli help'\n");
    EXPECT_EQ(r.out, "");
    r = Cli({"add", "--colour", "red"}, "quillmarsh\n");
    EXPECT_EQ(r.err, "pellucorda-cli: unknown option --colour; try 'pellucorda-cli help add'\n");
}

namespace {

// Reads the terminal's side until `echo` is as wanted; generous bound.
bool WaitForEcho(const PtySession& session, bool echo) {
    for (int i = 0; i < 1000 && session.Echoes() != echo; ++i) usleep(10000);
    return session.Echoes() == echo;
}

}  // namespace

TEST_F(CliTest, SignalsAtThePromptLeaveTheTerminalEchoing) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        PtySession session({PELLUCORDA_CLI_PATH, "--file", Vault(), "check"});
        ASSERT_TRUE(session.WaitFor("Master password: ")) << session.Seen();
        ASSERT_FALSE(session.Echoes());
        kill(session.Pid(), signal);
        EXPECT_EQ(session.Finish(), 128 + signal) << "the signal still ends the tool";
        EXPECT_TRUE(session.Echoes()) << strsignal(signal);
    }

    // Ctrl-Z hands the shell an echoing terminal; once continued, the prompt
    // is quiet again and the password is still taken.
    PtySession session({PELLUCORDA_CLI_PATH, "--file", Vault(), "check"});
    ASSERT_TRUE(session.WaitFor("Master password: "));
    kill(session.Pid(), SIGTSTP);
    ASSERT_TRUE(session.WaitUntilStopped());
    EXPECT_TRUE(session.Echoes());
    kill(session.Pid(), SIGCONT);
    ASSERT_TRUE(WaitForEcho(session, false));
    session.Type("quillmarsh\n");
    EXPECT_EQ(session.Finish(), 0) << session.Seen();
    EXPECT_NE(session.Seen().find("items: 1"), std::string::npos) << session.Seen();
    EXPECT_EQ(session.Seen().find("quillmarsh"), std::string::npos) << session.Seen();
}

TEST_F(CliTest, AtATerminalAddAsksTwiceAndListHasAHeader) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    const std::string before = ReadWholeFile(Vault());
    for (const char* confirm : {"tpyo\n", "typo\n"}) {
        PtySession session({PELLUCORDA_CLI_PATH, "--file", Vault(), "add", "--service", "typed"});
        ASSERT_TRUE(session.WaitFor("Master password: "));
        session.Type("quillmarsh\n");
        ASSERT_TRUE(session.WaitFor("Item password: "));
        session.Type("typo\n");
        ASSERT_TRUE(session.WaitFor("Confirm item password: ")) << session.Seen();
        session.Type(confirm);
        const int status = session.Finish();
        if (confirm[1] == 'p') {
            EXPECT_EQ(status, 1);
            EXPECT_NE(session.Seen().find("do not match"), std::string::npos) << session.Seen();
            EXPECT_EQ(ReadWholeFile(Vault()), before);
        } else {
            EXPECT_EQ(status, 0) << session.Seen();
        }
    }
    PtySession session({PELLUCORDA_CLI_PATH, "--file", Vault(), "list"});
    ASSERT_TRUE(session.WaitFor("Master password: "));
    session.Type("quillmarsh\n");
    ASSERT_EQ(session.Finish(), 0);
    EXPECT_NE(session.Seen().find("index\ttype\tservice\tuser\taddress\r\n0\tHTTP\t"), std::string::npos)
        << session.Seen();
    EXPECT_NE(session.Seen().find("1\tHTTP\ttyped\t"), std::string::npos);
}

#ifdef PELLUCORDA_CLI_PROBE_PATH
TEST_F(CliTest, NoSecretIsLeftInFreedMemory) {
    // Every secret below holds the marker; the probe is the tool watching
    // every block it frees for it.
    const std::string marker = "Qz7Kv9Xw";
    const std::string master = marker + "-master";
    const auto probe = [&](const std::vector<std::string>& args, const std::string& input, bool selfTest = false) {
        std::vector<std::string> argv = {"/usr/bin/env", "PELLUCORDA_MARKER=" + marker};
        if (selfTest) argv.push_back("PELLUCORDA_PROBE_SELFTEST=1");
        argv.insert(argv.end(), {PELLUCORDA_CLI_PROBE_PATH, "--file", Vault(), "--password-stdin"});
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, input);
    };
    ASSERT_EQ(Cli({"init"}).status, 0);
    ASSERT_EQ(Cli({"passwd"}, "quillmarsh\n" + master + "\n" + master + "\n").status, 0);
    ProcessResult r = probe({"check"}, master + "\n", true);
    ASSERT_EQ(r.status, 99) << "the watch sees a freed copy: " << r.err;

    std::string tsv, half, csv = "name,login_password,extra\n";
    for (int i = 0; i < 30; ++i) {
        if (i == 15) half = tsv;
        const std::string secret = marker + "-imported-" + std::to_string(i);
        tsv += "0\tHTTP\tservice " + std::to_string(i) + "\tu\ta\t" + secret + "\t" + std::string(200, 'd') + "\n";
        csv += "\"service, " + std::to_string(i) + "\"," + secret + ",\"" + std::string(200, 'e') + "\"\n";
    }
    WriteWholeFile(dir.Path("items.tsv"), tsv);
    WriteWholeFile(dir.Path("items.csv"), csv);
    const struct {
        std::vector<std::string> args;
        std::string input;
    } kRuns[] = {
        {{"add", "--service", "s", "--description", std::string(300, 'x')}, master + "\n" + marker + "-item\n"},
        {{"import", dir.Path("items.tsv")}, master + "\n"},
        {{"import", "-"}, master + "\n" + half},
        {{"import", "--csv", dir.Path("items.csv")}, master + "\n"},
        {{"show", "1", "--password"}, master + "\n"},
        {{"export"}, master + "\n"},
        {{"edit", "1", "--new-password"}, master + "\n" + marker + "-edited\n"},
        {{"passwd"}, master + "\n" + marker + "-new\n" + marker + "-new\n"},
    };
    for (const auto& run : kRuns) {
        r = probe(run.args, run.input);
        EXPECT_EQ(r.status, 0) << run.args[0] << ": " << r.err;
    }

    // The terminal's side: the master password and an item password typed.
    PtySession session({"/usr/bin/env", "PELLUCORDA_MARKER=" + marker, PELLUCORDA_CLI_PROBE_PATH, "--file", Vault(),
                        "add", "--service", "typed"});
    ASSERT_TRUE(session.WaitFor("Master password: "));
    session.Type(marker + "-new\n");
    ASSERT_TRUE(session.WaitFor("Item password: "));
    session.Type(marker + "-typed\n");
    ASSERT_TRUE(session.WaitFor("Confirm item password: "));
    session.Type(marker + "-typed\n");
    EXPECT_EQ(session.Finish(), 0) << session.Seen();
}
#endif

// One writer at a time between the program (a store in this process, holding
// the vault as a logged-in program does) and the tool as a second process.
TEST_F(CliTest, WhileTheProgramHoldsTheVaultTheToolReadsButChangesNothing) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    auto program = std::make_unique<LoginStore>();
    ASSERT_EQ(program->LockWriter(Vault()), VaultOk);
    ASSERT_EQ(program->Open("quillmarsh", Vault()), VaultOk);
    const std::string before = ReadWholeFile(Vault());

    const std::vector<std::vector<std::string>> changes = {
        {"add", "--service", "s"}, {"edit", "0", "--user", "u"}, {"rm", "0"}, {"passwd"}, {"import", "-"}};
    for (const std::vector<std::string>& change : changes) {
        SCOPED_TRACE(change[0]);
        const ProcessResult r = Cli(change, "quillmarsh\nx\nx\n");
        EXPECT_EQ(r.status, 5);
        EXPECT_NE(r.err.find("pellucorda-cli: the vault is open in Pellucorda; lock it there first"), std::string::npos)
            << r.err;
    }
    EXPECT_EQ(ReadWholeFile(Vault()), before);
    for (const char* read : {"list", "check", "export"}) {
        EXPECT_EQ(Cli({read}, "quillmarsh\n").status, 0) << read;
    }

    // Logged out, the tool writes; a store that read the vault before (one
    // that could not make a lock file) then leaves the tool's change alone.
    program->Reset();
    auto stale = OpenInCore(Vault(), "quillmarsh");
    EXPECT_EQ(Cli({"add", "--service", "s"}, "quillmarsh\nx\n").status, 0);
    const std::string toolVersion = ReadWholeFile(Vault());
    stale->AddItem(MakeItem("from the window"));
    EXPECT_EQ(stale->Save(), VaultChanged);
    EXPECT_EQ(Told(*stale), std::vector<std::string>{"The service information file was changed by another program "
                                                     "since login, so it was not overwritten! Lock, log in again and "
                                                     "repeat the change."});
    EXPECT_EQ(ReadWholeFile(Vault()), toolVersion);
}

TEST_F(CliTest, AToolThatDiesMidChangeLeavesNoLockBehind) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    CurrentDirectory here(dir.Path());
    const std::string fifo = dir.Path("import.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ChildProcess importer({PELLUCORDA_CLI_PATH, "--file", Vault(), "--password-stdin", "import", fifo});
    importer.Write("quillmarsh\n");
    const int writer = open(fifo.c_str(), O_WRONLY);  // returns once the tool has loaded, holding the lock
    ASSERT_GE(writer, 0);

    auto program = std::make_unique<LoginStore>();
    EXPECT_FALSE(program->OpenDefault("quillmarsh"));
    EXPECT_EQ(LastTold(*program),
              "The service information file is being changed by another program, please try again later!");

    kill(importer.Pid(), SIGKILL);
    EXPECT_EQ(importer.Finish().status, -1);
    close(writer);
    EXPECT_TRUE(program->OpenDefault("quillmarsh"));
}

// A backup kept read-only, or on a stick locked against writing, is checked
// and read where it lies: only a change needs write access.
TEST_F(CliTest, ReadingCommandsWorkOnAReadOnlyVault) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    // Root writes whatever the mode says: the tool runs as nobody, from a
    // copy that nobody can reach.
    const std::string tool = dir.Path("pellucorda-cli");
    std::filesystem::copy_file(PELLUCORDA_CLI_PATH, tool);
    std::vector<std::string> argv = {tool, "--file", Vault(), "--password-stdin"};
    if (geteuid() == 0)
        argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    ASSERT_EQ(chmod(Vault().c_str(), 0444) | chmod(tool.c_str(), 0555) | chmod(dir.Path().c_str(), 0555), 0);
    const std::vector<std::vector<std::string>> reads = {
        {"check"}, {"list"}, {"show", "0"}, {"locate", "corva"}, {"export"}};
    for (const std::vector<std::string>& read : reads) {
        std::vector<std::string> command = argv;
        command.insert(command.end(), read.begin(), read.end());
        const ProcessResult r = RunProcess(command, "quillmarsh\n");
        EXPECT_EQ(r.status, 0) << read[0] << ": " << r.err;
        EXPECT_NE(r.out.find(read[0] == "check" ? "items: 1" : "Pellucorda"), std::string::npos) << read[0];
    }
    chmod(dir.Path().c_str(), 0700);
}

TEST_F(CliTest, TextForPeopleFollowsTheLocaleWhileExportKeepsEveryByte) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    // Windows-1252: e acute, the euro sign, 0x9B (a C1 control as a Latin-1
    // byte, a quotation mark here) and 0x81, which 1252 leaves a control.
    ASSERT_EQ(CliIn("C", {"add", "--service", "Caf\xE9 \x80\x9B\x81", "--description", "d\x9D"}, "quillmarsh\np\xE9\n")
                  .status,
              0);
    const struct {
        const char* locale;
        std::string listed, password;
    } kShown[] = {
        {"C.UTF-8", "1\tHTTP\tCaf\xC3\xA9 \xE2\x82\xAC\xE2\x80\xBA\\x81\t\t", "p\xC3\xA9"},
        {"C", "1\tHTTP\tCaf\\xE9 \\x80\\x9B\\x81\t\t", "p\\xE9"},
    };
    for (const auto& shown : kShown) {
        EXPECT_EQ(Lines(CliIn(shown.locale, {"list"}, "quillmarsh\n").out)[1], shown.listed) << shown.locale;
        const std::string show = CliIn(shown.locale, {"show", "1", "--password"}, "quillmarsh\n").out;
        EXPECT_NE(show.find("password: " + shown.password + "\n"), std::string::npos) << show;
        EXPECT_NE(show.find("description: d\\x9D\n"), std::string::npos) << show;
    }
    EXPECT_EQ(Lines(CliIn("C.UTF-8", {"export"}, "quillmarsh\n").out)[2],
              "1\tHTTP\tCaf\xE9 \x80\x9B\x81\t\t\tp\xE9\td\x9D");

    // Arguments come in the locale's encoding: what add stores, list shows again.
    ASSERT_EQ(CliIn("C.UTF-8", {"add", "--service", "Cr\xC3\xA8me"}, "quillmarsh\np\n").status, 0);
    EXPECT_EQ(Lines(CliIn("C", {"list"}, "quillmarsh\n").out)[2], "2\tHTTP\tCr\\xE8me\t\t");
    EXPECT_EQ(Lines(CliIn("C.UTF-8", {"locate", "\xC3\xA9"}, "quillmarsh\n").out).size(), 1u);
    const ProcessResult r = CliIn("C.UTF-8", {"add", "--service", "\xD0\x96uk"}, "quillmarsh\np\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pellucorda-cli: the service name holds a character that the ANSI code page cannot hold\n");
}

TEST_F(CliTest, AnImportNamesTheItemsThatRunProgramsAndTakesThemOnlyWhenAllowed) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    const std::string before = ReadWholeFile(Vault());
    const std::string items =
        "0\tHTTP\tWeb\tu\tweb.example\tp\td\n"
        "1\tLOCAL\tBack\x1bup\tu\tcmd /c del C:\\\\x\tp\td\n"
        "2\t7\tReserved\tu\tr\tp\td\n"
        "3\t12\tOdd\tu\todd.example\tp\td\n";
    ProcessResult r = Cli({"import", "-"}, "quillmarsh\n" + items);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "pellucorda-cli: line 2: LOCAL \"Back\\x1Bup\" runs: cmd /c del C:\\\\x\n"
              "pellucorda-cli: line 4: type 12 \"Odd\", address: odd.example\n"
              "pellucorda-cli: nothing was imported: the items above run a program on a double-click (LOCAL) or "
              "have a type outside 0 to 7; check them, then repeat with --allow-programs to import them\n");
    EXPECT_EQ(ReadWholeFile(Vault()), before);

    r = Cli({"import", "--allow-programs", "-"}, "quillmarsh\n" + items);
    EXPECT_EQ(r.status, 0) << r.err;
    LoginItem odd;
    OpenInCore(Vault(), "quillmarsh")->GetItem(4, odd);
    EXPECT_EQ(odd.addressType, 12);
}

// The strong key from its creation to a longer password and back, with the
// limits of each key; every command in between reads the vault.
TEST_F(CliTest, TheStrongKeyFromInitThroughPasswdAndBack) {
    // The cheapest cost the tool gives: the default's quarter gigabyte would
    // take seconds a derivation under the sanitizers.
    EXPECT_EQ(Cli({"init", "--memory", "1"}).status, 1);
    EXPECT_EQ(Cli({"init", "--strong", "--passes", "65"}).status, 1);
    ASSERT_EQ(Cli({"init", "--strong", "--memory", "1", "--passes", "1"}).status, 0);
    ProcessResult r = Cli({"check"}, "quillmarsh\n");
    EXPECT_EQ(r.out, "items: 1\nsize: 1840 bytes\nformat: strong (Argon2id, m=1024 KiB, t=1, p=1)\n") << r.err;
    EXPECT_EQ(Cli({"passwd", "--strong", "--compatible"}).status, 1);
    EXPECT_NE(Cli({"list"}, "quillmarsh\n").out.find("Corvanet software"), std::string::npos);

    const std::string longest(64, 'm'), sixteen(16, 's');
    const struct {
        std::vector<std::string> args;
        std::string current, fresh;
        int status;
        const char* told;
    } steps[] = {
        {{"passwd"}, "quillmarsh", longest + "m", 1, "longer than 64 characters"},
        {{"passwd", "--strong", "--memory", "2", "--passes", "1"}, "quillmarsh", longest, 0, ""},
        {{"passwd", "--compatible"}, longest, sixteen + "s", 1, "longer than 16 characters"},
        {{"passwd", "--compatible"}, longest, sixteen, 0, ""},
    };
    std::string password = "quillmarsh";
    for (const auto& step : steps) {
        SCOPED_TRACE(step.args.back() + " to " + std::to_string(step.fresh.size()) + " characters");
        const std::string before = ReadWholeFile(Vault());
        r = Cli(step.args, step.current + "\n" + step.fresh + "\n" + step.fresh + "\n");
        EXPECT_EQ(r.status, step.status) << r.err;
        EXPECT_NE(r.err.find(step.told), std::string::npos) << r.err;
        if (step.status == 0) {
            password = step.fresh;
        } else {
            EXPECT_EQ(ReadWholeFile(Vault()), before);
        }
    }
    EXPECT_EQ(password, sixteen);
    EXPECT_EQ(Cli({"passwd", "--compatible", "--passes", "2"}).status, 1);
    EXPECT_EQ(Cli({"check"}, password + "\n").out, "items: 1\nsize: 1728 bytes\nformat: compatible (MD5 key)\n");
}

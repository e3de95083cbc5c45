// Drives the built pellucorda-cli as a process, the way scripts use it.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "store/login_store.h"
#include "store_test_support.h"
#include "support/process_runner.h"

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

    // Opens a vault in the core, as the program does.
    std::unique_ptr<LoginStore> OpenInCore(const std::string& path, const char* password) {
        auto store = std::make_unique<LoginStore>();
        store->SetMessageSink(&sink);
        EXPECT_EQ(store->Open(password, path), VaultOk) << path;
        return store;
    }

    TempDir dir;
    RecordingSink sink;
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
    EXPECT_EQ(r.out, "items: 1\nsize: 1728 bytes\n");
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
    r = Cli({"import", exportFile}, "quillmarsh\n", second);
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
        store->SetMessageSink(&sink);
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
    EXPECT_EQ(r.err, "File is damaged!\n");

    std::remove(Vault().c_str());
    ASSERT_EQ(Cli({"init"}).status, 0);
    r = Cli({"check"}, "wrong\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "please input correct password!\n");

    EXPECT_EQ(Cli({"show", "1"}, "quillmarsh\n").status, 4);
    EXPECT_EQ(Cli({"rm", "5"}, "quillmarsh\n").status, 4);
    EXPECT_EQ(Cli({"edit", "1", "--user", "x"}, "quillmarsh\n").status, 4);

    r = Cli({"passwd"}, "quillmarsh\nnew one\nnew 0ne\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "The two new password not matched!\n");
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
    EXPECT_EQ(Cli({"check"}, "quillmarsh\n").out, "items: 100\nsize: 166864 bytes\n");

    r = Cli({"add", "--service", "one too many"}, "quillmarsh\np\n");
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, "Reach the max item limit!\n");

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

TEST_F(CliTest, OverlongValuesAreCutWithAWarning) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    ProcessResult r = Cli({"add", "--service", std::string(70, 's')}, "quillmarsh\n" + std::string(40, 'p') + "\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("service name cut to 63 bytes"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("password cut to 31 bytes"), std::string::npos) << r.err;
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
    EXPECT_EQ(Cli({"check"}, "quillmarsh\n").out, "items: 2\nsize: 3392 bytes\n");
}

namespace {

// Reads from the terminal's master side until `want` shows up or the child
// closes it; generous bound, no fixed sleeps.
bool ReadUntil(int fd, std::string& seen, const std::string& want) {
    for (int rounds = 0; rounds < 100 && seen.find(want) == std::string::npos; ++rounds) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        seen.append(buffer, static_cast<std::size_t>(n));
    }
    return seen.find(want) != std::string::npos;
}

}  // namespace

TEST_F(CliTest, TheMasterPasswordIsTypedAtTheTerminalWithoutEcho) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    int master = -1;
    const std::string vault = Vault();
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(PELLUCORDA_CLI_PATH, PELLUCORDA_CLI_PATH, "--file", vault.c_str(), "check", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    ASSERT_TRUE(ReadUntil(master, seen, "Master password: ")) << seen;
    ASSERT_EQ(write(master, "quillmarsh\r", 11), 11);
    ReadUntil(master, seen, "bytes");
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
    EXPECT_NE(seen.find("items: 1"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("quillmarsh"), std::string::npos) << "the password was echoed: " << seen;
}

// One writer at a time between the program (a store in this process, holding
// the vault as a logged-in program does) and the tool as a second process.
TEST_F(CliTest, WhileTheProgramHoldsTheVaultTheToolReadsButChangesNothing) {
    ASSERT_EQ(Cli({"init"}).status, 0);
    auto program = std::make_unique<LoginStore>();
    program->SetMessageSink(&sink);
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
    sink.messages.clear();
    EXPECT_EQ(stale->Save(), VaultChanged);
    EXPECT_EQ(sink.messages, std::vector<std::string>{"The service information file was changed by another program "
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
    program->SetMessageSink(&sink);
    EXPECT_FALSE(program->OpenDefault("quillmarsh"));
    EXPECT_EQ(sink.Last(), "The service information file is being changed by another program, please try again later!");

    kill(importer.Pid(), SIGKILL);
    EXPECT_EQ(importer.Finish().status, -1);
    close(writer);
    EXPECT_TRUE(program->OpenDefault("quillmarsh"));
}

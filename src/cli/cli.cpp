#include "cli/cli.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "base/codepage.h"
#include "base/message_sink.h"
#include "base/secret_string.h"
#include "base/secure_wipe.h"
#include "cli/console_text.h"
#include "cli/field_escape.h"
#include "cli/item_fields.h"
#include "cli/item_import.h"
#include "cli/secret_input.h"
#include "core/generator/password_generator.h"
#include "core/launch/address.h"
#include "core/vault/login_item.h"
#include "core/vault/login_store.h"
#include "core/vault/vault_message.h"

namespace {

const char kMessagePrefix[] = "pellucorda-cli: ";
const char kUsageLine[] = "usage: pellucorda-cli [--file PATH] [--password-stdin] COMMAND [ARGS]\n";

const char kGlobalOptions[] =
    "\n"
    "  --file PATH        the vault (default: logininfo.dat in the current directory)\n"
    "  --password-stdin   read every secret from standard input, one line each\n"
    "                     (the master password first); otherwise secrets are\n"
    "                     read from the terminal without echo\n"
    "  --version          the tool's version\n"
    "\n"
    "commands (help COMMAND, or COMMAND --help, shows one):\n";

const char kTypeNote[] =
    "TYPE is 0 to 4 or http, https, ftp, telnet, local. Without --type the\n"
    "address's scheme gives it: https:// HTTPS, ftp:// FTP, telnet:// TELNET,\n"
    "otherwise HTTP; edit keeps the item's type for an address without one.\n";

const char kGeneratorNote[] =
    "GENERATOR OPTIONS: --length N (4 to 31, default 16), --no-symbols,\n"
    "--no-digits, --exclude CHARS. Letters of both cases are always used, and\n"
    "each kind of character in use appears at least once.\n";

const char kTextNote[] =
    "Texts for reading (list, show, locate) are written in the terminal's encoding\n"
    "(natively the locale's: UTF-8, else ASCII with \\xNN), control characters as\n"
    "\\t, \\n, \\r or \\xNN and a backslash as \\\\; arguments are read in the same\n"
    "encoding. export and import keep every byte as it is stored.\n";

const char kLimitsNote[] =
    "Limits: a master password of at most 16 characters, 64 with the strong key (as\n"
    "the program's Login dialog takes); a service name of 63 bytes, a user name and a password of\n"
    "31, an address of 511, a description of 1023. A longer value is refused.\n"
    "Secrets are never taken from the command line.\n"
    "exit status: 0 done, 1 usage or a refused value, 2 wrong master password,\n"
    "3 vault missing, unreadable or damaged, 4 index out of range or vault full,\n"
    "5 the vault or the output could not be written, or the program holds the vault\n";
static_assert(kMaxMasterPasswordChars == 16 && kMaxStrongPasswordChars == 64,
              "kLimitsNote names the longest master passwords");
static_assert(kDefaultStrongParameters.memoryKiB == 256 * 1024 && kDefaultStrongParameters.passes == 3 &&
                  kMaxStrongMemoryKiB == 1024 * 1024 && kMaxStrongPasses == 64,
              "the help and the refusals name the strong key's cost and its bounds");

const char kListHeader[] = "index\ttype\tservice\tuser\taddress\n";
constexpr std::size_t kSecretSize = 1024;
// Far beyond an export of 100 items in any of the shapes read.
constexpr std::size_t kMaxImportBytes = std::size_t{16} * 1024 * 1024;

// Standard output goes through this buffer rather than one the C library
// allocates and frees: exports and shown passwords pass through it, and it is
// wiped when the tool is done.
char g_outputBuffer[4096];

// A secret in a fixed buffer that is wiped when it goes, so no copy is left
// behind in freed memory.
class Secret {
public:
    Secret() { std::memset(m_text, 0, sizeof m_text); }
    ~Secret() { SecureWipe(m_text, sizeof m_text); }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    char* Buffer() { return m_text; }
    const char* Text() const { return m_text; }
    std::size_t Length() const { return std::strlen(m_text); }
    bool Equals(const Secret& other) const { return std::strcmp(m_text, other.m_text) == 0; }

private:
    char m_text[kSecretSize];
};

bool ParseIndex(const std::string& text, int& index) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    index = std::atoi(text.c_str());
    return true;
}

struct PasswordChoice {
    bool generate = false;
    bool print = false;
    bool generatorOptions = false;  // any given, to refuse them without --generate
    PasswordRules rules;
    std::string exclude;
};

struct ItemOptions {
    ItemOptions() { values.Clear(); }
    ~ItemOptions() { SecureWipe(&values, sizeof values); }
    ItemOptions(const ItemOptions&) = delete;
    ItemOptions& operator=(const ItemOptions&) = delete;

    LoginItem values;
    bool given[FieldCount] = {};
    bool typeGiven = false;
    bool schemeGiven = false;  // the address named its scheme
    std::int32_t type = ADDRESS_HTTP;
    std::int32_t schemeType = ADDRESS_HTTP;
    bool newPassword = false;
    PasswordChoice password;
};

class Cli;

struct Command {
    const char* name;
    int (Cli::*run)();
    // Changes the vault: the one place that tells a writer from a reader.
    bool changesVault;
    const char* usage;
    bool typeNote;       // the usage goes on with the TYPE paragraph
    bool generatorNote;  // and with the GENERATOR OPTIONS one
};

class Cli {
public:
    Cli() : m_sink(kMessagePrefix), m_store(new LoginStore) {}

    int Run(int argc, char** argv);

private:
    static const Command kCommands[];

    int Dispatch(int argc, char** argv);
    static const Command* FindCommand(const std::string& name);
    void Tell(const std::string& text) { m_sink.ShowMessage(text.c_str()); }
    // What the store's last operation has to tell, when anything.
    void TellStoreFailure();
    int UsageError(const std::string& problem);
    int PrintHelp(const Command* command);

    bool ReadSecret(const char* prompt, Secret& secret);
    bool ReadNewSecret(const char* prompt, const char* confirmPrompt, Secret& secret);
    int LockWriter();
    int OpenVault();
    int OpenVault(Secret& master);
    int SaveVault();
    int CheckIndex(const std::string& text, int& index);
    // The key a command gives the vault: --strong, --compatible, and the
    // strong key's cost (--memory MIB, --passes N).
    struct KeyOptions {
        bool strong = false;
        bool compatible = false;
        bool costGiven = false;
        Argon2Parameters cost = kDefaultStrongParameters;
    };
    int ParseKeyOptions(bool compatibleAllowed, KeyOptions& options);
    struct Flag {
        const char* name;
        bool* given;
    };
    bool TakeOperand(std::initializer_list<Flag> flags, std::string& operand) const;
    bool ArgumentToAnsi(const std::string& argument, const char* name, std::string& ansi);

    bool PutText(LoginItem& item, FieldId id, const char* data, std::size_t length);
    int ParseGeneratorOption(std::size_t& i, PasswordChoice& choice, bool& taken);
    int CheckPasswordChoice(const PasswordChoice& choice);
    int ParseItemOptions(std::size_t first, ItemOptions& options, bool forEdit);
    void ApplyOptions(const ItemOptions& options, LoginItem& item, bool forEdit);
    int ObtainPassword(const PasswordChoice& choice, const char* prompt, Secret& password);
    int MakePassword(const PasswordChoice& choice, Secret& password);

    void Say(std::FILE* stream, const SecretString& text);
    void AppendField(SecretString& out, const LoginItem& item, FieldId id) const;
    void AppendLabelled(SecretString& out, const char* label, const LoginItem& item, FieldId id) const;
    void AppendListLine(SecretString& out, int index, const LoginItem& item) const;
    static void ExportItemLine(int index, const LoginItem& item);
    void PrintItems(const std::string* wanted, bool forExport);
    int RefusePrograms(const ItemImport& import);
    int ReadInput(const std::string& source, SecretString& content);

    int List();
    int Show();
    int Locate();
    int Add();
    int Edit();
    int Remove();
    int ChangeMasterPassword();
    int Check();
    int Init();
    int Export();
    int Import();
    int Generate();
    int Help();

    StandardErrorSink m_sink;
    std::unique_ptr<LoginStore> m_store;
    std::string m_file = kVaultFileName;
    bool m_passwordStdin = false;
    TextEncoding m_readable = TextEncoding::Ascii;  // of standard output
    bool m_outputFailed = false;
    const Command* m_command = nullptr;
    std::vector<std::string> m_args;  // after the command
};

const Command Cli::kCommands[] = {
    {"list", &Cli::List, false, "  list                          index, type, service, user, address of each item\n",
     false, false},
    {"show", &Cli::Show, false, "  show INDEX [--password]       every field of one item\n", false, false},
    {"locate", &Cli::Locate, false,
     "  locate TEXT                   the items whose service, user, address or\n"
     "                                description holds TEXT (ASCII case ignored)\n",
     false, false},
    {"add", &Cli::Add, true,
     "  add --service S [--user U] [--address A] [--type TYPE] [--description D]\n"
     "      [--generate [GENERATOR OPTIONS] [--print]]\n"
     "                                append an item and print its index; its\n"
     "                                password is the next secret (asked twice at\n"
     "                                a terminal), or a generated one, printed on\n"
     "                                the next line only with --print\n",
     true, true},
    {"edit", &Cli::Edit, true,
     "  edit INDEX [--service S] [--user U] [--address A] [--type TYPE]\n"
     "       [--description D] [--new-password | --generate [GENERATOR OPTIONS] [--print]]\n"
     "                                replace the given fields of one item\n",
     true, true},
    {"rm", &Cli::Remove, true, "  rm INDEX                      delete one item\n", false, false},
    {"passwd", &Cli::ChangeMasterPassword, true,
     "  passwd [--compatible | --strong [--memory MIB] [--passes N]]\n"
     "                                change the master password (new one twice);\n"
     "                                --strong gives the vault the strong key\n"
     "                                (Argon2id, slow to guess; by default 256 MiB\n"
     "                                and 3 passes), --compatible the fast one\n"
     "                                every version reads\n",
     false, false},
    {"check", &Cli::Check, false,
     "  check                         open the vault; print its item count, size\n"
     "                                and key\n",
     false, false},
    {"init", &Cli::Init, true,
     "  init [--strong [--memory MIB] [--passes N]]\n"
     "                                create a vault with the default content, with\n"
     "                                the strong key when asked\n",
     false, false},
    {"export", &Cli::Export, false, "  export                        all items, passwords included, tab-separated\n",
     false, false},
    {"import", &Cli::Import, true,
     "  import [--csv] [--allow-programs] FILE\n"
     "                                append the items of an export, or with --csv\n"
     "                                of a CSV file with a header row as password\n"
     "                                managers and browsers export (- = stdin);\n"
     "                                all of them or, on any refusal, none. Items\n"
     "                                that run a program (LOCAL) or have a type\n"
     "                                outside 0 to 7 are listed and refused unless\n"
     "                                --allow-programs is given\n",
     false, false},
    {"generate", &Cli::Generate, false, "  generate [GENERATOR OPTIONS]  print a random password\n", false, true},
    {"help", &Cli::Help, false, "  help [COMMAND]                all commands, or one\n", false, false},
};

const Command* Cli::FindCommand(const std::string& name) {
    for (const Command& command : kCommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

int Cli::UsageError(const std::string& problem) {
    std::string hint = "pellucorda-cli help";
    if (m_command != nullptr && m_command->run != &Cli::Help) hint += std::string(" ") + m_command->name;
    Tell(problem + "; try '" + hint + "'");
    return ExitUsage;
}

int Cli::PrintHelp(const Command* command) {
    std::fputs(kUsageLine, stdout);
    if (command != nullptr) {
        std::fputs(command->usage, stdout);
        if (command->typeNote) std::fprintf(stdout, "\n%s", kTypeNote);
        if (command->generatorNote) std::fprintf(stdout, "\n%s", kGeneratorNote);
        return ExitDone;
    }
    std::fputs(kGlobalOptions, stdout);
    for (const Command& each : kCommands) std::fputs(each.usage, stdout);
    for (const char* note : {kTypeNote, kGeneratorNote, kTextNote, kLimitsNote}) std::fprintf(stdout, "\n%s", note);
    return ExitDone;
}

bool Cli::ReadSecret(const char* prompt, Secret& secret) {
    std::size_t length = 0;
    if (m_passwordStdin) {
        if (!ReadSecretLine(stdin, secret.Buffer(), kSecretSize, length)) {
            Tell(std::string("expected a secret line on standard input (") + prompt + ")");
            return false;
        }
    } else if (!ReadSecretFromTerminal(prompt, secret.Buffer(), kSecretSize, length)) {
        Tell("cannot read a secret from the terminal; use --password-stdin");
        return false;
    }
    if (secret.Length() != length) {
        // It would be cut at the NUL without a word.
        SecureWipe(secret.Buffer(), kSecretSize);
        Tell("a secret holds a NUL byte");
        return false;
    }
    return true;
}

// A secret that is being set: typed twice at a terminal, where a typo cannot
// be seen.
bool Cli::ReadNewSecret(const char* prompt, const char* confirmPrompt, Secret& secret) {
    if (!ReadSecret(prompt, secret)) return false;
    if (m_passwordStdin) return true;
    Secret confirm;
    if (!ReadSecret(confirmPrompt, confirm)) return false;
    if (!secret.Equals(confirm)) {
        Tell("the two passwords do not match; nothing was changed");
        return false;
    }
    return true;
}

// One writer at a time: a command that changes the vault holds its writer
// lock from before loading to the end, and the program holds it while logged
// in, so neither writes its whole table over the other's change.
int Cli::LockWriter() {
    if (m_command == nullptr || !m_command->changesVault || m_store->LockWriter(m_file) != VaultInUse) return ExitDone;
    Tell("the vault is open in Pellucorda; lock it there first");
    return ExitWriteFailed;
}

void Cli::TellStoreFailure() {
    const VaultFailure& failure = m_store->LastFailure();
    if (failure.result != VaultOk) Tell(VaultMessage(failure));
}

int Cli::OpenVault() {
    Secret master;
    return OpenVault(master);
}

int Cli::OpenVault(Secret& master) {
    std::error_code error;
    const auto size = std::filesystem::file_size(m_file, error);
    if (error || size == 0) {
        // Opening would create a new vault: a mistyped path must not do that.
        Tell("no vault at " + m_file + " (create one with 'init')");
        return ExitVaultUnusable;
    }
    if (int status = LockWriter()) return status;
    if (!ReadSecret("Master password: ", master)) return ExitUsage;
    // A command that only reads needs no write access: a read-only backup
    // is checked where it lies.
    const bool changes = m_command != nullptr && m_command->changesVault;
    const VaultResult opened =
        m_store->Open(master.Text(), m_file, changes ? VaultAccess::ReadWrite : VaultAccess::ReadOnly);
    TellStoreFailure();
    switch (opened) {
    case VaultOk: return ExitDone;
    case VaultWrongPassword: return ExitWrongPassword;
    default: return ExitVaultUnusable;
    }
}

int Cli::SaveVault() {
    const VaultResult saved = m_store->Save();
    TellStoreFailure();
    return saved == VaultOk ? ExitDone : ExitWriteFailed;
}

// The arguments of a command that takes one operand and may take flags.
bool Cli::TakeOperand(std::initializer_list<Flag> flags, std::string& operand) const {
    for (const std::string& arg : m_args) {
        const Flag* flag = flags.begin();
        while (flag != flags.end() && arg != flag->name) ++flag;
        if (flag != flags.end()) {
            *flag->given = true;
        } else if (operand.empty() && !arg.empty()) {
            operand = arg;
        } else {
            return false;
        }
    }
    return !operand.empty();
}

// Text given on the command line as vault texts hold it: arguments come in
// the terminal's encoding, as the search text of locate must match and as
// list must show again what add stored.
bool Cli::ArgumentToAnsi(const std::string& argument, const char* name, std::string& ansi) {
    ansi = argument;
    if (ArgumentEncoding() != TextEncoding::Utf8) return true;
    std::size_t written = 0;
    const AnsiResult result = Utf8ToAnsi(argument.data(), argument.size(), &ansi[0], ansi.size(), written);
    ansi.resize(written);
    if (result == AnsiOk) return true;
    Tell(std::string("the ") + name + Utf8Problem(result));
    return false;
}

int Cli::CheckIndex(const std::string& text, int& index) {
    if (!ParseIndex(text, index)) return UsageError("INDEX must be a number");
    if (static_cast<std::uint32_t>(index) >= m_store->GetCount()) {
        Tell("no item " + std::to_string(index) + " (the vault holds " + std::to_string(m_store->GetCount()) + ")");
        return ExitIndexOrFull;
    }
    return ExitDone;
}

bool Cli::PutText(LoginItem& item, FieldId id, const char* data, std::size_t length) {
    std::string problem;
    if (FitText(item, id, data, length, problem)) return true;
    Tell(problem);
    return false;
}

int Cli::ParseGeneratorOption(std::size_t& i, PasswordChoice& choice, bool& taken) {
    const std::string& option = m_args[i];
    taken = true;
    if (option == "--no-symbols") {
        choice.rules.symbols = false;
    } else if (option == "--no-digits") {
        choice.rules.digits = false;
    } else if (option == "--length" || option == "--exclude") {
        if (i + 1 >= m_args.size()) return UsageError("missing value after " + option);
        const std::string& value = m_args[++i];
        if (option == "--exclude") {
            choice.exclude = value;
        } else {
            int length = 0;
            if (!ParseIndex(value, length) || length < static_cast<int>(kMinGeneratedLength) ||
                length > static_cast<int>(kMaxGeneratedLength)) {
                return UsageError("--length must be from 4 to 31");
            }
            choice.rules.length = static_cast<std::size_t>(length);
        }
    } else {
        taken = false;
        return ExitDone;
    }
    choice.generatorOptions = true;
    return ExitDone;
}

int Cli::CheckPasswordChoice(const PasswordChoice& choice) {
    if (choice.generatorOptions && !choice.generate) return UsageError("generator options go with --generate");
    if (choice.print && !choice.generate) return UsageError("--print goes with --generate");
    return ExitDone;
}

int Cli::ParseItemOptions(std::size_t first, ItemOptions& options, bool forEdit) {
    for (std::size_t i = first; i < m_args.size(); ++i) {
        const std::string& option = m_args[i];
        bool taken = false;
        if (int status = ParseGeneratorOption(i, options.password, taken)) return status;
        if (taken) continue;
        if (forEdit && option == "--new-password") {
            options.newPassword = true;
            continue;
        }
        if (option == "--generate" || option == "--print") {
            (option == "--generate" ? options.password.generate : options.password.print) = true;
            continue;
        }
        if (i + 1 >= m_args.size()) return UsageError("missing value after " + option);
        const std::string& value = m_args[++i];
        if (option == "--type") {
            options.typeGiven = true;
            if (!ParseType(value, options.type))
                return UsageError("TYPE must be 0 to 4 or http, https, ftp, telnet, local");
            continue;
        }
        int id = 0;
        while (id < FieldCount && (kFields[id].option == nullptr || option != kFields[id].option)) ++id;
        if (id == FieldCount) return UsageError("unknown option " + option);
        std::string text;
        if (!ArgumentToAnsi(value, kFields[id].name, text)) return ExitUsage;
        if (id == FieldAddress) {
            options.schemeGiven = AddressTypeFromScheme(text, options.schemeType);
            text = NormalizeAddress(text);
        }
        options.given[id] = true;
        if (!PutText(options.values, static_cast<FieldId>(id), text.data(), text.size())) return ExitUsage;
    }
    if (options.newPassword && options.password.generate) {
        return UsageError("--new-password and --generate exclude each other");
    }
    return CheckPasswordChoice(options.password);
}

void Cli::ApplyOptions(const ItemOptions& options, LoginItem& item, bool forEdit) {
    for (int id = 0; id < FieldCount; ++id) {
        if (!options.given[id]) continue;
        std::memcpy(FieldOf(item, static_cast<FieldId>(id)), FieldOf(options.values, static_cast<FieldId>(id)),
                    kFields[id].width);
    }
    // An explicit type wins; else the scheme the address was given with; else
    // a new item is a web site and an edited one keeps its type.
    if (options.typeGiven) {
        item.addressType = options.type;
    } else if (options.schemeGiven) {
        item.addressType = options.schemeType;
    } else if (!forEdit) {
        item.addressType = ADDRESS_HTTP;
    }
}

int Cli::MakePassword(const PasswordChoice& choice, Secret& password) {
    PasswordRules rules = choice.rules;
    rules.exclude = choice.exclude.c_str();
    switch (GeneratePassword(rules, password.Buffer(), kSecretSize)) {
    case GenerateOk: return ExitDone;
    case GenerateNoCharacters: Tell("--exclude leaves no character to draw from"); return ExitUsage;
    case GenerateBadLength: return UsageError("--length must be from 4 to 31");
    case GenerateNoRandom: break;
    }
    Tell("the system's random source gave nothing");
    return ExitUsage;
}

int Cli::ObtainPassword(const PasswordChoice& choice, const char* prompt, Secret& password) {
    if (choice.generate) return MakePassword(choice, password);
    return ReadNewSecret(prompt, "Confirm item password: ", password) ? ExitDone : ExitUsage;
}

// Text for people, written whole: on a Windows console it goes out as wide
// characters. The strings are wiped, as they may hold a password.
void Cli::Say(std::FILE* stream, const SecretString& text) {
    if (!WriteReadable(stream, text)) m_outputFailed = true;
}

void Cli::AppendField(SecretString& out, const LoginItem& item, FieldId id) const {
    AppendReadable(out, FieldOf(item, id), FieldLength(item, id), m_readable);
}

void Cli::AppendLabelled(SecretString& out, const char* label, const LoginItem& item, FieldId id) const {
    out.append(label).append(": ");
    AppendField(out, item, id);
    out += '\n';
}

void Cli::AppendListLine(SecretString& out, int index, const LoginItem& item) const {
    out.append(std::to_string(index).c_str()).append("\t").append(AddressTypeName(item.addressType));
    for (FieldId id : {FieldService, FieldUser, FieldAddress}) {
        out += '\t';
        AppendField(out, item, id);
    }
    out += '\n';
}

// Straight into the tool's own output buffer: no copy of a password is made
// on the way, and every byte goes out as it is stored.
void Cli::ExportItemLine(int index, const LoginItem& item) {
    std::fprintf(stdout, "%d\t%s", index, ExportType(item.addressType).c_str());
    for (FieldId id : {FieldService, FieldUser, FieldAddress, FieldPassword, FieldDescription}) {
        std::fputc('\t', stdout);
        WriteExportField(stdout, FieldOf(item, id), FieldLength(item, id));
    }
    std::fputc('\n', stdout);
}

// The one loop over the items for list, locate and export: `wanted` (when
// given) picks the items whose texts other than the password hold it.
void Cli::PrintItems(const std::string* wanted, bool forExport) {
    SecretString text;
    if (!forExport && IsTerminal(stdout)) text = kListHeader;
    LoginItem item;
    for (std::uint32_t i = 0; i < m_store->GetCount(); ++i) {
        m_store->GetItem(static_cast<int>(i), item);
        if (wanted != nullptr) {
            bool found = false;
            for (FieldId id : {FieldService, FieldUser, FieldAddress, FieldDescription}) {
                found = found || ContainsIgnoringCase(FieldOf(item, id), FieldLength(item, id), *wanted);
            }
            if (!found) continue;
        }
        if (forExport) {
            ExportItemLine(static_cast<int>(i), item);
        } else {
            AppendListLine(text, static_cast<int>(i), item);
        }
    }
    SecureWipe(&item, sizeof item);
    if (!forExport) Say(stdout, text);
}

int Cli::List() {
    if (!m_args.empty()) return UsageError("list takes no arguments");
    if (int status = OpenVault()) return status;
    PrintItems(nullptr, false);
    return ExitDone;
}

int Cli::Locate() {
    if (m_args.size() != 1 || m_args[0].empty()) return UsageError("locate takes one TEXT");
    std::string wanted;
    if (!ArgumentToAnsi(m_args[0], "search text", wanted)) return ExitUsage;
    if (int status = OpenVault()) return status;
    PrintItems(&wanted, false);
    return ExitDone;
}

int Cli::Show() {
    bool withPassword = false;
    std::string indexText;
    if (!TakeOperand({{"--password", &withPassword}}, indexText)) return UsageError("show takes one INDEX");
    int index = 0;
    if (!ParseIndex(indexText, index)) return UsageError("INDEX must be a number");
    if (int status = OpenVault()) return status;
    if (int status = CheckIndex(indexText, index)) return status;
    LoginItem item;
    m_store->GetItem(index, item);
    SecretString text = "index: ";
    text.append(std::to_string(index).c_str()).append("\n");
    AppendLabelled(text, "service", item, FieldService);
    text.append("type: ").append(AddressTypeName(item.addressType)).append("\n");
    AppendLabelled(text, "user", item, FieldUser);
    if (withPassword) AppendLabelled(text, "password", item, FieldPassword);
    AppendLabelled(text, "address", item, FieldAddress);
    AppendLabelled(text, "description", item, FieldDescription);
    SecureWipe(&item, sizeof item);
    Say(stdout, text);
    return ExitDone;
}

int Cli::Add() {
    ItemOptions options;
    if (int status = ParseItemOptions(0, options, false)) return status;
    if (!options.given[FieldService]) return UsageError("add needs --service");
    if (int status = OpenVault()) return status;
    Secret password;
    if (int status = ObtainPassword(options.password, "Item password: ", password)) return status;
    LoginItem item;
    item.Clear();
    ApplyOptions(options, item, false);
    int status = ExitDone;
    if (!PutText(item, FieldPassword, password.Text(), password.Length())) {
        status = ExitUsage;
    } else if (!m_store->AddItem(item)) {
        Tell("Reach the max item limit!");
        status = ExitIndexOrFull;
    }
    SecureWipe(&item, sizeof item);
    if (status == ExitDone) status = SaveVault();
    if (status != ExitDone) return status;
    std::fprintf(stdout, "%u\n", m_store->GetCount() - 1);
    if (options.password.print) std::fprintf(stdout, "%s\n", password.Text());
    return ExitDone;
}

int Cli::Edit() {
    if (m_args.empty()) return UsageError("edit needs an INDEX");
    int index = 0;
    if (!ParseIndex(m_args[0], index)) return UsageError("INDEX must be a number");
    ItemOptions options;
    if (int status = ParseItemOptions(1, options, true)) return status;
    if (int status = OpenVault()) return status;
    if (int status = CheckIndex(m_args[0], index)) return status;
    Secret password;
    const bool newPassword = options.newPassword || options.password.generate;
    if (newPassword) {
        if (int status = ObtainPassword(options.password, "New item password: ", password)) return status;
    }
    LoginItem item;
    m_store->GetItem(index, item);
    ApplyOptions(options, item, true);
    const bool fits = !newPassword || PutText(item, FieldPassword, password.Text(), password.Length());
    if (fits) m_store->ReplaceItem(index, item);
    SecureWipe(&item, sizeof item);
    if (!fits) return ExitUsage;
    if (int status = SaveVault()) return status;
    if (options.password.print) std::fprintf(stdout, "%s\n", password.Text());
    return ExitDone;
}

int Cli::Remove() {
    if (m_args.size() != 1) return UsageError("rm takes one INDEX");
    int index = 0;
    if (!ParseIndex(m_args[0], index)) return UsageError("INDEX must be a number");
    if (int status = OpenVault()) return status;
    if (int status = CheckIndex(m_args[0], index)) return status;
    m_store->DeleteItem(index);
    return SaveVault();
}

int Cli::ParseKeyOptions(bool compatibleAllowed, KeyOptions& options) {
    const std::string name = m_command->name;
    for (std::size_t i = 0; i < m_args.size(); ++i) {
        const std::string& arg = m_args[i];
        if (arg == "--strong") {
            options.strong = true;
        } else if (arg == "--compatible" && compatibleAllowed) {
            options.compatible = true;
        } else if (arg == "--memory" || arg == "--passes") {
            const bool memory = arg == "--memory";
            int value = 0;
            if (i + 1 == m_args.size() || !ParseIndex(m_args[++i], value) || value < 1 ||
                value > static_cast<int>(memory ? kMaxStrongMemoryKiB / 1024 : kMaxStrongPasses)) {
                return UsageError(memory ? "--memory takes MIB from 1 to 1024" : "--passes takes N from 1 to 64");
            }
            (memory ? options.cost.memoryKiB : options.cost.passes) =
                static_cast<std::uint32_t>(memory ? value * 1024 : value);
            options.costGiven = true;
        } else {
            return UsageError(name + " takes only " + (compatibleAllowed ? "--strong or --compatible" : "--strong") +
                              ", --memory and --passes");
        }
    }
    if (options.strong && options.compatible) return UsageError(name + " takes --strong or --compatible, not both");
    if (options.costGiven && !options.strong) return UsageError("--memory and --passes go with --strong");
    return ExitDone;
}

int Cli::ChangeMasterPassword() {
    KeyOptions options;
    if (int status = ParseKeyOptions(true, options)) return status;
    const bool strong = options.strong, compatible = options.compatible;
    if (options.costGiven) m_store->SetNewStrongParameters(options.cost);
    Secret current;
    if (int status = OpenVault(current)) return status;
    const VaultFormat format = strong       ? VaultFormat::Strong
                               : compatible ? VaultFormat::Compatible
                                            : m_store->GetFormat();
    const int limit = MaxMasterPasswordChars(format);
    Secret fresh, confirm;
    if (!ReadSecret("New master password: ", fresh)) return ExitUsage;
    if (PasswordCharacterCount(fresh.Text()) > static_cast<std::size_t>(limit)) {
        // The program could never open the vault again.
        Tell("the new master password is longer than " + std::to_string(limit) +
             " characters, which the program's Login dialog cannot take for this key; the master password is "
             "unchanged");
        return ExitUsage;
    }
    if (!ReadSecret("Confirm new master password: ", confirm)) return ExitUsage;
    if (!fresh.Equals(confirm)) {
        Tell("The two new password not matched!");
        return ExitUsage;
    }
    const VaultResult changed = m_store->ChangePassword(current.Text(), fresh.Text(), format);
    TellStoreFailure();
    switch (changed) {
    case VaultOk: std::fputs("Modify password success!\n", stdout); return ExitDone;
    case VaultWrongPassword: Tell("Not modified, because old password dismatched!"); return ExitWrongPassword;
    default: Tell("Modify password failed!"); return ExitWriteFailed;
    }
}

int Cli::Check() {
    if (!m_args.empty()) return UsageError("check takes no arguments");
    if (int status = OpenVault()) return status;
    std::error_code error;
    const auto size = std::filesystem::file_size(m_file, error);
    std::fprintf(stdout, "items: %u\nsize: %llu bytes\n", m_store->GetCount(),
                 static_cast<unsigned long long>(error ? 0 : size));
    if (m_store->GetFormat() == VaultFormat::Strong) {
        const Argon2Parameters& cost = m_store->GetStrongParameters();
        std::fprintf(stdout, "format: strong (Argon2id, m=%u KiB, t=%u, p=%u)\n", cost.memoryKiB, cost.passes,
                     cost.lanes);
    } else {
        std::fputs("format: compatible (MD5 key)\n", stdout);
    }
    return ExitDone;
}

int Cli::Init() {
    KeyOptions options;
    if (int status = ParseKeyOptions(false, options)) return status;
    const bool strong = options.strong;
    if (options.costGiven) m_store->SetNewStrongParameters(options.cost);
    std::error_code error;
    const auto size = std::filesystem::file_size(m_file, error);
    if (!error && size != 0) {
        Tell(m_file + " already holds a vault; init only creates new ones");
        return ExitUsage;
    }
    if (int status = LockWriter()) return status;
    // The same path as the program's first login: an empty or missing file
    // gets the default item under the default master password.
    const VaultResult opened = m_store->Open(kDefaultMasterPassword, m_file);
    TellStoreFailure();
    switch (opened) {
    case VaultOk: break;
    case VaultWriteFailed:
    case VaultOpenFailed: return ExitWriteFailed;
    default: return ExitVaultUnusable;
    }
    if (strong) {
        // Made as every new vault is, then given the strong key at once; the
        // first image holds nothing but the default item.
        const VaultResult changed =
            m_store->ChangePassword(kDefaultMasterPassword, kDefaultMasterPassword, VaultFormat::Strong);
        TellStoreFailure();
        if (changed != VaultOk) return ExitWriteFailed;
    }
    Tell("created " + m_file + (strong ? " with the strong key and" : " with") + " the default master password \"" +
         kDefaultMasterPassword + "\"; change it with 'passwd'");
    return ExitDone;
}

int Cli::Export() {
    if (!m_args.empty()) return UsageError("export takes no arguments");
    if (int status = OpenVault()) return status;
    Tell("warning: the export holds every password in clear text; keep it safe and delete it after use");
    std::fprintf(stdout, "%s\n", kExportHeader);
    PrintItems(nullptr, true);
    return ExitDone;
}

int Cli::Generate() {
    PasswordChoice choice;
    for (std::size_t i = 0; i < m_args.size(); ++i) {
        bool taken = false;
        if (int status = ParseGeneratorOption(i, choice, taken)) return status;
        if (!taken) return UsageError("unknown option " + m_args[i]);
    }
    Secret password;
    if (int status = MakePassword(choice, password)) return status;
    std::fprintf(stdout, "%s\n", password.Text());
    return ExitDone;
}

int Cli::Help() {
    if (m_args.empty()) return PrintHelp(nullptr);
    const Command* command = m_args.size() == 1 ? FindCommand(m_args[0]) : nullptr;
    if (command == nullptr) return UsageError("help takes one COMMAND");
    return PrintHelp(command);
}

// The whole input in one wiped string, read without a buffer of the C
// library in between: an export holds every password.
int Cli::ReadInput(const std::string& source, SecretString& content) {
    std::FILE* in = stdin;
    if (source != "-") {
        in = std::fopen(source.c_str(), "rb");
        if (in == nullptr) {
            Tell("cannot read " + source + ": " + std::strerror(errno));
            return ExitUsage;
        }
        // A buffer of the C library's would keep the file's passwords
        // after the tool has wiped its own copy.
        if (std::setvbuf(in, nullptr, _IONBF, 0) != 0) {
            (void)std::fclose(in);  // nothing read yet
            Tell("cannot read " + source + " unbuffered");
            return ExitUsage;
        }
    }
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    bool tooLarge = false;
    for (;;) {
        const std::size_t had = content.size();
        if (had >= kMaxImportBytes) {
            tooLarge = true;
            break;
        }
        content.resize(had + kChunk);
        const std::size_t got = std::fread(&content[had], 1, kChunk, in);
        content.resize(had + got);
        if (got < kChunk) break;
    }
    const bool failed = std::ferror(in) != 0;
    if (in != stdin) (void)std::fclose(in);  // read only: closing cannot lose anything
    if (failed) {
        Tell("cannot read " + source);
        return ExitUsage;
    }
    if (tooLarge) {
        Tell(source + " is too large to import");
        return ExitUsage;
    }
    return ExitDone;
}

// Lists the imported items that would run a program, or whose type the
// program does not know, and refuses them all: a double-click on a LOCAL item
// runs its address as a command line.
int Cli::RefusePrograms(const ItemImport& import) {
    const TextEncoding encoding = ReadableEncoding(stderr);
    SecretString text;
    for (const ProgramItem& program : import.Programs()) {
        text.append(kMessagePrefix).append("line ").append(std::to_string(program.line).c_str());
        if (program.type == ADDRESS_LOCAL) {
            text.append(": LOCAL \"");
        } else {
            text.append(": type ").append(std::to_string(program.type).c_str()).append(" \"");
        }
        AppendReadable(text, program.service.data(), program.service.size(), encoding);
        text.append(program.type == ADDRESS_LOCAL ? "\" runs: " : "\", address: ");
        AppendReadable(text, program.address.data(), program.address.size(), encoding);
        text += '\n';
    }
    Say(stderr, text);
    Tell(
        "nothing was imported: the items above run a program on a double-click (LOCAL) or have a type outside 0 "
        "to 7; check them, then repeat with --allow-programs to import them");
    return ExitUsage;
}

int Cli::Import() {
    bool csv = false, allowPrograms = false;
    std::string source;
    if (!TakeOperand({{"--csv", &csv}, {"--allow-programs", &allowPrograms}}, source)) {
        return UsageError("import takes one FILE (- for standard input)");
    }
    if (int status = OpenVault()) return status;
    SecretString content;
    if (int status = ReadInput(source, content)) return status;
    ItemImport import(*m_store, m_sink);
    const int status = csv ? import.FromCsv(content) : import.FromExport(content);
    // Nothing of a failed import reaches the file.
    if (status != ExitDone) return status;
    if (!allowPrograms && !import.Programs().empty()) return RefusePrograms(import);
    if (int saved = SaveVault()) return saved;
    Tell("imported " + std::to_string(import.Added()) + (import.Added() == 1 ? " item" : " items"));
    return ExitDone;
}

int Cli::Dispatch(int argc, char** argv) {
    int i = 1;
    std::string name;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return PrintHelp(nullptr);
        if (arg == "--version") {
            std::fputs("pellucorda-cli " PELLUCORDA_VERSION "\n", stdout);
            return ExitDone;
        }
        if (arg == "--file") {
            if (i + 1 >= argc) return UsageError("--file needs a PATH");
            m_file = argv[++i];
        } else if (arg == "--password-stdin") {
            m_passwordStdin = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            name = arg;
            ++i;
            break;
        }
    }
    for (; i < argc; ++i) m_args.emplace_back(argv[i]);
    if (name.empty()) return UsageError("no command given");
    m_command = FindCommand(name);
    if (m_command == nullptr) return UsageError("unknown command " + name);
    for (const std::string& arg : m_args) {
        if (arg == "--help" || arg == "-h") return PrintHelp(m_command);
    }
    return (this->*m_command->run)();
}

int Cli::Run(int argc, char** argv) {
    PrepareStandardStreams();
    // Standard input is read a byte at a time for secrets and straight into
    // wiped strings for imports, so no stdio buffer ever holds a secret.
    if (std::setvbuf(stdin, nullptr, _IONBF, 0) != 0 ||
        std::setvbuf(stdout, g_outputBuffer, _IOFBF, sizeof g_outputBuffer) != 0) {
        Tell("cannot set up the standard streams without buffers of their own");
        return ExitWriteFailed;
    }
    m_readable = ReadableEncoding(stdout);
    int status = Dispatch(argc, argv);
    // A full disk or a closed pipe must not pass for a finished export.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || m_outputFailed) {
        Tell("cannot write the output");
        if (status == ExitDone) status = ExitWriteFailed;
    }
    SecureWipe(g_outputBuffer, sizeof g_outputBuffer);
    return status;
}

}  // namespace

int RunCli(int argc, char** argv) {
    Cli cli;
    return cli.Run(argc, argv);
}

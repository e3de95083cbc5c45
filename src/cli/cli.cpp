#include "cli/cli.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/field_escape.h"
#include "cli/secret_input.h"
#include "crypto/secure_wipe.h"
#include "platform/message_sink.h"
#include "store/login_item.h"
#include "store/login_store.h"
#include "view/address.h"

namespace {

const char kUsage[] =
    "usage: pellucorda-cli [--file PATH] [--password-stdin] COMMAND [ARGS]\n"
    "\n"
    "  --file PATH        the vault (default: logininfo.dat in the current directory)\n"
    "  --password-stdin   read every secret from standard input, one line each\n"
    "                     (the master password first); otherwise the master\n"
    "                     password is read from the terminal without echo\n"
    "\n"
    "commands:\n"
    "  list                          index, type, service, user, address of each item\n"
    "  show INDEX [--password]       every field of one item\n"
    "  add --service S [--user U] [--address A] [--type TYPE] [--description D]\n"
    "                                append an item; its password is the next secret\n"
    "  edit INDEX [--service S] [--user U] [--address A] [--type TYPE]\n"
    "             [--description D] [--new-password]\n"
    "                                replace the given fields of one item\n"
    "  rm INDEX                      delete one item\n"
    "  passwd                        change the master password (new one twice)\n"
    "  check                         open the vault; print its item count and size\n"
    "  init                          create a vault with the default content\n"
    "  export                        all items, passwords included, tab-separated\n"
    "  import FILE                   append the items of an export (- = stdin)\n"
    "\n"
    "TYPE is 0 to 4 or http, https, ftp, telnet, local. Secrets are never taken\n"
    "from the command line.\n"
    "exit status: 0 done, 1 usage, 2 wrong master password, 3 vault missing,\n"
    "unreadable or damaged, 4 index out of range or vault full, 5 write failed\n";

const char kExportHeader[] = "index\ttype\tservice\tuser\taddress\tpassword\tdescription";
constexpr std::size_t kSecretSize = 1024;

class StderrSink : public MessageSink {
public:
    void ShowMessage(const char* text) override { std::fprintf(stderr, "%s\n", text); }
};

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

private:
    char m_text[kSecretSize];
};

int Usage(const char* problem) {
    if (problem != nullptr) std::fprintf(stderr, "pellucorda-cli: %s\n", problem);
    std::fputs(kUsage, stderr);
    return ExitUsage;
}

bool ParseIndex(const std::string& text, int& index) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    index = std::atoi(text.c_str());
    return true;
}

bool ParseType(const std::string& text, std::int32_t& type) {
    static const char* const kNames[] = {"http", "https", "ftp", "telnet", "local"};
    for (std::int32_t code = 0; code < 5; ++code) {
        const std::string digit(1, static_cast<char>('0' + code));
        if (text == digit) {
            type = code;
            return true;
        }
        if (text.size() == std::strlen(kNames[code])) {
            bool same = true;
            for (std::size_t i = 0; i < text.size(); ++i) {
                char c = text[i];
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
                if (c != kNames[code][i]) same = false;
            }
            if (same) {
                type = code;
                return true;
            }
        }
    }
    return false;
}

// The type as export writes it: the name for the offered types, the code
// itself otherwise, so that an import gives back exactly the stored value.
std::string ExportType(std::int32_t type) {
    if (type >= 0 && type <= 4) return AddressTypeName(type);
    return std::to_string(type);
}

bool ParseExportType(const std::string& text, std::int32_t& type) {
    if (ParseType(text, type)) return true;
    if (text.empty() || text.size() > 11) return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return false;
    type = static_cast<std::int32_t>(value);
    return true;
}

std::string FieldText(const char* field, std::size_t width) {
    // Stored records are taken byte for byte: a field may lack its terminator.
    const void* end = std::memchr(field, '\0', width);
    return std::string(field, end ? static_cast<const char*>(end) - field : width);
}

// Copies a value into a fixed field as the store cuts it, saying so when it
// does not fit.
void SetField(char* field, std::size_t width, const std::string& value, const char* name) {
    if (value.size() > width - 1) {
        std::fprintf(stderr, "warning: %s cut to %zu bytes\n", name, width - 1);
    }
    const std::string cut = value.substr(0, width - 1);
    CopyField(field, width, cut.c_str());
}

struct ItemFields {
    bool hasService = false, hasUser = false, hasAddress = false, hasType = false, hasDescription = false;
    std::string service, user, address, description;
    std::int32_t type = 0;
    bool newPassword = false;
};

class Cli {
public:
    Cli() : m_store(new LoginStore) { m_store->SetMessageSink(&m_sink); }

    int Run(int argc, char** argv);

private:
    bool ReadSecret(const char* prompt, Secret& secret);
    int LockWriter();
    int OpenVault();
    int OpenVault(Secret& master);
    int SaveVault();
    int CheckIndex(const std::string& text, int& index);
    int ParseItemOptions(std::size_t first, ItemFields& fields, bool allowNewPassword);
    void ApplyFields(const ItemFields& fields, LoginItem& item);
    void PrintItemLine(int index, const LoginItem& item, bool withSecrets);

    int List();
    int Show();
    int Add();
    int Edit();
    int Remove();
    int ChangeMasterPassword();
    int Check();
    int Init();
    int Export();
    int Import();

    StderrSink m_sink;
    std::unique_ptr<LoginStore> m_store;
    std::string m_file = kVaultFileName;
    bool m_passwordStdin = false;
    bool m_changes = false;           // the command writes the vault
    std::vector<std::string> m_args;  // after the command
};

bool Cli::ReadSecret(const char* prompt, Secret& secret) {
    if (m_passwordStdin) {
        if (!ReadSecretLine(stdin, secret.Buffer(), kSecretSize)) {
            std::fprintf(stderr, "pellucorda-cli: expected a secret line on standard input (%s)\n", prompt);
            return false;
        }
        return true;
    }
    if (!ReadSecretFromTerminal(prompt, secret.Buffer(), kSecretSize)) {
        std::fprintf(stderr, "pellucorda-cli: cannot read a secret from the terminal; use --password-stdin\n");
        return false;
    }
    return true;
}

// One writer at a time: a command that changes the vault holds its writer
// lock from before loading to the end, and the program holds it while logged
// in, so neither writes its whole table over the other's change.
int Cli::LockWriter() {
    if (!m_changes || m_store->LockWriter(m_file) != VaultInUse) return ExitDone;
    std::fprintf(stderr, "pellucorda-cli: the vault is open in Pellucorda; lock it there first\n");
    return ExitWriteFailed;
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
        std::fprintf(stderr, "pellucorda-cli: no vault at %s (create one with 'init')\n", m_file.c_str());
        return ExitVaultUnusable;
    }
    if (int status = LockWriter()) return status;
    if (!ReadSecret("Master password: ", master)) return ExitUsage;
    switch (m_store->Open(master.Text(), m_file)) {
    case VaultOk: return ExitDone;
    case VaultWrongPassword: return ExitWrongPassword;
    default: return ExitVaultUnusable;
    }
}

int Cli::SaveVault() { return m_store->Save() == VaultOk ? ExitDone : ExitWriteFailed; }

int Cli::CheckIndex(const std::string& text, int& index) {
    if (!ParseIndex(text, index)) return Usage("INDEX must be a number");
    if (static_cast<std::uint32_t>(index) >= m_store->GetCount()) {
        std::fprintf(stderr, "pellucorda-cli: no item %d (the vault holds %u)\n", index, m_store->GetCount());
        return ExitIndexOrFull;
    }
    return ExitDone;
}

int Cli::ParseItemOptions(std::size_t first, ItemFields& fields, bool allowNewPassword) {
    for (std::size_t i = first; i < m_args.size(); ++i) {
        const std::string& option = m_args[i];
        if (allowNewPassword && option == "--new-password") {
            fields.newPassword = true;
            continue;
        }
        if (i + 1 >= m_args.size()) return Usage(("missing value after " + option).c_str());
        const std::string& value = m_args[++i];
        if (option == "--service") {
            fields.hasService = true;
            fields.service = value;
        } else if (option == "--user") {
            fields.hasUser = true;
            fields.user = value;
        } else if (option == "--address") {
            fields.hasAddress = true;
            fields.address = NormalizeAddress(value);
        } else if (option == "--description") {
            fields.hasDescription = true;
            fields.description = value;
        } else if (option == "--type") {
            fields.hasType = true;
            if (!ParseType(value, fields.type)) return Usage("TYPE must be 0 to 4 or http, https, ftp, telnet, local");
        } else {
            return Usage(("unknown option " + option).c_str());
        }
    }
    return ExitDone;
}

void Cli::ApplyFields(const ItemFields& fields, LoginItem& item) {
    if (fields.hasService) SetField(item.serviceName, sizeof item.serviceName, fields.service, "service name");
    if (fields.hasUser) SetField(item.userName, sizeof item.userName, fields.user, "user name");
    if (fields.hasAddress) SetField(item.serviceAddress, sizeof item.serviceAddress, fields.address, "address");
    if (fields.hasDescription) {
        SetField(item.description, sizeof item.description, fields.description, "description");
    }
    if (fields.hasType) item.addressType = fields.type;
}

void Cli::PrintItemLine(int index, const LoginItem& item, bool withSecrets) {
    std::string line = std::to_string(index);
    line += '\t';
    line += withSecrets ? ExportType(item.addressType) : AddressTypeName(item.addressType);
    for (const std::string& field :
         {FieldText(item.serviceName, sizeof item.serviceName), FieldText(item.userName, sizeof item.userName),
          FieldText(item.serviceAddress, sizeof item.serviceAddress)}) {
        line += '\t';
        line += EscapeField(field);
    }
    if (withSecrets) {
        std::string password = EscapeField(FieldText(item.password, sizeof item.password));
        line += '\t';
        line += password;
        SecureWipe(&password[0], password.size());
        line += '\t';
        line += EscapeField(FieldText(item.description, sizeof item.description));
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    SecureWipe(&line[0], line.size());
}

int Cli::List() {
    if (!m_args.empty()) return Usage("list takes no arguments");
    if (int status = OpenVault()) return status;
    LoginItem item;
    for (std::uint32_t i = 0; i < m_store->GetCount(); ++i) {
        m_store->GetItem(static_cast<int>(i), item);
        PrintItemLine(static_cast<int>(i), item, false);
    }
    SecureWipe(&item, sizeof item);
    return ExitDone;
}

int Cli::Show() {
    bool withPassword = false;
    std::string indexText;
    for (const std::string& arg : m_args) {
        if (arg == "--password") {
            withPassword = true;
        } else if (indexText.empty()) {
            indexText = arg;
        } else {
            return Usage("show takes one INDEX");
        }
    }
    if (indexText.empty()) return Usage("show needs an INDEX");
    int index = 0;
    if (!ParseIndex(indexText, index)) return Usage("INDEX must be a number");
    if (int status = OpenVault()) return status;
    if (int status = CheckIndex(indexText, index)) return status;
    LoginItem item;
    m_store->GetItem(index, item);
    std::string out = "index: " + std::to_string(index) + "\n";
    out += "service: " + EscapeField(FieldText(item.serviceName, sizeof item.serviceName)) + "\n";
    out += "type: " + std::string(AddressTypeName(item.addressType)) + "\n";
    out += "user: " + EscapeField(FieldText(item.userName, sizeof item.userName)) + "\n";
    if (withPassword) out += "password: " + EscapeField(FieldText(item.password, sizeof item.password)) + "\n";
    out += "address: " + EscapeField(FieldText(item.serviceAddress, sizeof item.serviceAddress)) + "\n";
    out += "description: " + EscapeField(FieldText(item.description, sizeof item.description)) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    SecureWipe(&out[0], out.size());
    SecureWipe(&item, sizeof item);
    return ExitDone;
}

int Cli::Add() {
    ItemFields fields;
    if (int status = ParseItemOptions(0, fields, false)) return status;
    if (!fields.hasService) return Usage("add needs --service");
    if (int status = OpenVault()) return status;
    Secret password;
    if (!ReadSecret("Item password: ", password)) return ExitUsage;
    LoginItem item;
    item.Clear();
    ApplyFields(fields, item);
    SetField(item.password, sizeof item.password, password.Text(), "password");
    const bool added = m_store->AddItem(item);
    SecureWipe(&item, sizeof item);
    if (!added) {
        std::fprintf(stderr, "Reach the max item limit!\n");
        return ExitIndexOrFull;
    }
    if (int status = SaveVault()) return status;
    std::printf("%u\n", m_store->GetCount() - 1);
    return ExitDone;
}

int Cli::Edit() {
    if (m_args.empty()) return Usage("edit needs an INDEX");
    int index = 0;
    if (!ParseIndex(m_args[0], index)) return Usage("INDEX must be a number");
    ItemFields fields;
    if (int status = ParseItemOptions(1, fields, true)) return status;
    if (int status = OpenVault()) return status;
    if (int status = CheckIndex(m_args[0], index)) return status;
    LoginItem item;
    m_store->GetItem(index, item);
    ApplyFields(fields, item);
    if (fields.newPassword) {
        Secret password;
        if (!ReadSecret("New item password: ", password)) {
            SecureWipe(&item, sizeof item);
            return ExitUsage;
        }
        SetField(item.password, sizeof item.password, password.Text(), "password");
    }
    m_store->ReplaceItem(index, item);
    SecureWipe(&item, sizeof item);
    return SaveVault();
}

int Cli::Remove() {
    if (m_args.size() != 1) return Usage("rm takes one INDEX");
    int index = 0;
    if (!ParseIndex(m_args[0], index)) return Usage("INDEX must be a number");
    if (int status = OpenVault()) return status;
    if (int status = CheckIndex(m_args[0], index)) return status;
    m_store->DeleteItem(index);
    return SaveVault();
}

int Cli::ChangeMasterPassword() {
    if (!m_args.empty()) return Usage("passwd takes no arguments");
    Secret current;
    if (int status = OpenVault(current)) return status;
    Secret fresh, confirm;
    if (!ReadSecret("New master password: ", fresh)) return ExitUsage;
    if (!ReadSecret("Confirm new master password: ", confirm)) return ExitUsage;
    if (std::strcmp(fresh.Text(), confirm.Text()) != 0) {
        std::fprintf(stderr, "The two new password not matched!\n");
        return ExitUsage;
    }
    switch (m_store->ChangePassword(current.Text(), fresh.Text())) {
    case VaultOk: std::printf("Modify password success!\n"); return ExitDone;
    case VaultWrongPassword:
        std::fprintf(stderr, "Not modified, because old password dismatched!\n");
        return ExitWrongPassword;
    default: std::fprintf(stderr, "Modify password failed!\n"); return ExitWriteFailed;
    }
}

int Cli::Check() {
    if (!m_args.empty()) return Usage("check takes no arguments");
    if (int status = OpenVault()) return status;
    std::error_code error;
    const auto size = std::filesystem::file_size(m_file, error);
    std::printf("items: %u\nsize: %llu bytes\n", m_store->GetCount(),
                static_cast<unsigned long long>(error ? 0 : size));
    return ExitDone;
}

int Cli::Init() {
    if (!m_args.empty()) return Usage("init takes no arguments");
    std::error_code error;
    const auto size = std::filesystem::file_size(m_file, error);
    if (!error && size != 0) {
        std::fprintf(stderr, "pellucorda-cli: %s already holds a vault; init only creates new ones\n", m_file.c_str());
        return ExitUsage;
    }
    if (int status = LockWriter()) return status;
    // The same path as the program's first login: an empty or missing file
    // gets the default item under the default master password.
    switch (m_store->Open(kDefaultMasterPassword, m_file)) {
    case VaultOk: break;
    case VaultWriteFailed:
    case VaultOpenFailed: return ExitWriteFailed;
    default: return ExitVaultUnusable;
    }
    std::fprintf(stderr, "created %s with the default master password \"%s\"; change it with 'passwd'\n",
                 m_file.c_str(), kDefaultMasterPassword);
    return ExitDone;
}

int Cli::Export() {
    if (!m_args.empty()) return Usage("export takes no arguments");
    if (int status = OpenVault()) return status;
    std::fprintf(stderr,
                 "warning: the export holds every password in clear text; keep it safe and delete it after use\n");
    std::printf("%s\n", kExportHeader);
    LoginItem item;
    for (std::uint32_t i = 0; i < m_store->GetCount(); ++i) {
        m_store->GetItem(static_cast<int>(i), item);
        PrintItemLine(static_cast<int>(i), item, true);
    }
    SecureWipe(&item, sizeof item);
    return ExitDone;
}

// Splits one export line into its fields (no escapes undone yet).
std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool ReadLine(std::FILE* in, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::getc(in)) != EOF) {
        any = true;
        if (c == '\n') break;
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

int Cli::Import() {
    if (m_args.size() != 1) return Usage("import takes one FILE (- for standard input)");
    if (int status = OpenVault()) return status;
    std::FILE* in = stdin;
    if (m_args[0] != "-") {
        in = std::fopen(m_args[0].c_str(), "rb");
        if (in == nullptr) {
            std::fprintf(stderr, "pellucorda-cli: cannot read %s: %s\n", m_args[0].c_str(), std::strerror(errno));
            return ExitUsage;
        }
    }
    std::string line;
    int status = ExitDone;
    int lineNumber = 0;
    std::uint32_t added = 0;
    LoginItem item;
    while (status == ExitDone && ReadLine(in, line)) {
        ++lineNumber;
        if (lineNumber == 1 && line == kExportHeader) continue;
        if (line.empty()) continue;
        std::vector<std::string> fields = SplitTabs(line);
        SecureWipe(&line[0], line.size());
        std::vector<std::string> texts(fields.size());
        bool ok = fields.size() == 7;
        for (std::size_t f = 0; ok && f < fields.size(); ++f) ok = UnescapeField(fields[f], texts[f]);
        std::int32_t type = 0;
        ok = ok && ParseExportType(texts[1], type);
        if (!ok) {
            std::fprintf(stderr, "pellucorda-cli: line %d is not an exported item (7 tab-separated fields)\n",
                         lineNumber);
            status = ExitUsage;
        } else {
            item.Clear();
            SetField(item.serviceName, sizeof item.serviceName, texts[2], "service name");
            SetField(item.userName, sizeof item.userName, texts[3], "user name");
            SetField(item.serviceAddress, sizeof item.serviceAddress, texts[4], "address");
            SetField(item.password, sizeof item.password, texts[5], "password");
            SetField(item.description, sizeof item.description, texts[6], "description");
            item.addressType = type;
            if (m_store->AddItem(item)) {
                ++added;
            } else {
                std::fprintf(stderr, "Reach the max item limit!\n");
                status = ExitIndexOrFull;
            }
        }
        for (std::string& text : fields) SecureWipe(&text[0], text.size());
        for (std::string& text : texts) SecureWipe(&text[0], text.size());
    }
    SecureWipe(&item, sizeof item);
    if (in != stdin) std::fclose(in);
    // Nothing of a failed import reaches the file.
    if (status != ExitDone) return status;
    if (int saved = SaveVault()) return saved;
    std::fprintf(stderr, "imported %u items\n", added);
    return ExitDone;
}

int Cli::Run(int argc, char** argv) {
    int i = 1;
    std::string command;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return ExitDone;
        }
        if (arg == "--file") {
            if (i + 1 >= argc) return Usage("--file needs a PATH");
            m_file = argv[++i];
        } else if (arg == "--password-stdin") {
            m_passwordStdin = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage(("unknown option " + arg).c_str());
        } else {
            command = arg;
            ++i;
            break;
        }
    }
    for (; i < argc; ++i) m_args.emplace_back(argv[i]);
    if (command.empty()) return Usage("no command");
    m_changes = command != "list" && command != "show" && command != "check" && command != "export";
    if (command == "list") return List();
    if (command == "show") return Show();
    if (command == "add") return Add();
    if (command == "edit") return Edit();
    if (command == "rm") return Remove();
    if (command == "passwd") return ChangeMasterPassword();
    if (command == "check") return Check();
    if (command == "init") return Init();
    if (command == "export") return Export();
    if (command == "import") return Import();
    return Usage(("unknown command " + command).c_str());
}

}  // namespace

int RunCli(int argc, char** argv) {
    Cli cli;
    return cli.Run(argc, argv);
}

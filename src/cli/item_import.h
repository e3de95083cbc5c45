#pragma once
// Items for a vault from an export of this tool (tab-separated, escapes
// undone, every byte as it was) or from a CSV file as other password managers
// and browsers export it (UTF-8 made ANSI, the address cleaned and its scheme
// giving the type, a login without a title named after its host). Items are
// added to the store one by one; the first refusal stops the import and is
// told with its line, and the caller then saves nothing. Items that run a
// program on a double-click (LOCAL), and codes the program does not know, are
// added and also noted, for the caller to let through only when asked.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/secret_string.h"
#include "cli/item_fields.h"

class LoginStore;
class MessageSink;

// An imported item whose type needs the user's word.
struct ProgramItem {
    int line;
    std::int32_t type;
    std::string service;
    std::string address;
};

class ItemImport {
public:
    ItemImport(LoginStore& store, MessageSink& sink);

    // Each returns an ExitCode: done, a refused line (usage), or a full vault.
    int FromExport(const SecretString& content);
    int FromCsv(const SecretString& content);
    std::uint32_t Added() const { return m_added; }
    const std::vector<ProgramItem>& Programs() const { return m_programs; }

private:
    bool Refuse(int line, const std::string& problem);
    bool Put(LoginItem& item, FieldId id, const char* data, std::size_t length, int line);
    bool Utf8(const SecretString& text, FieldId id, char* to, std::size_t capacity, int line);
    int Add(LoginItem& item, int line);

    LoginStore& m_store;
    MessageSink& m_sink;
    std::uint32_t m_added = 0;
    std::vector<ProgramItem> m_programs;
};

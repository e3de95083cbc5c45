#pragma once
// Items for a vault from an export of this tool (tab-separated, escapes
// undone, every byte as it was) or from a CSV file as other password managers
// and browsers export it (UTF-8 made ANSI, the address cleaned and its scheme
// giving the type, a login without a title named after its host). Items are
// added to the store one by one; the first refusal stops the import and is
// told with its line, and the caller then saves nothing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/item_fields.h"
#include "crypto/secret_string.h"

class LoginStore;
class MessageSink;

class ItemImport {
public:
    ItemImport(LoginStore& store, MessageSink& sink);

    // Each returns an ExitCode: done, a refused line (usage), or a full vault.
    int FromExport(const SecretString& content);
    int FromCsv(const SecretString& content);
    std::uint32_t Added() const { return m_added; }

private:
    bool Refuse(int line, const std::string& problem);
    bool Put(LoginItem& item, FieldId id, const char* data, std::size_t length, int line);
    bool Utf8(const SecretString& text, FieldId id, char* to, std::size_t capacity, int line);
    int Add(LoginItem& item);

    LoginStore& m_store;
    MessageSink& m_sink;
    std::uint32_t m_added = 0;
};

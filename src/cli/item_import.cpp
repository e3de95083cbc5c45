#include "cli/item_import.h"

#include <cstring>
#include <string>

#include "base/message_sink.h"
#include "base/secure_wipe.h"
#include "cli/cli.h"
#include "cli/csv_reader.h"
#include "cli/field_escape.h"
#include "cli/item_fields.h"
#include "core/launch/address.h"
#include "core/vault/login_store.h"

namespace {

// Far more columns than any export has.
constexpr std::size_t kMaxCsvColumns = 1000;

// The host of a cleaned address: what names an imported login that has no
// title, as browsers name theirs.
std::string HostOf(const char* address) {
    std::string host(address);
    host = host.substr(host.find('@') == std::string::npos ? 0 : host.find('@') + 1);
    return host.substr(0, host.find_first_of("/:?#"));
}

}  // namespace

ItemImport::ItemImport(LoginStore& store, MessageSink& sink) : m_store(store), m_sink(sink) {}

bool ItemImport::Refuse(int line, const std::string& problem) {
    m_sink.ShowMessage(("line " + std::to_string(line) + ": " + problem).c_str());
    return false;
}

bool ItemImport::Put(LoginItem& item, FieldId id, const char* data, std::size_t length, int line) {
    std::string problem;
    return FitText(item, id, data, length, problem) || Refuse(line, problem);
}

bool ItemImport::Utf8(const SecretString& text, FieldId id, char* to, std::size_t capacity, int line) {
    std::string problem;
    return FitUtf8(text, id, to, capacity, problem) || Refuse(line, problem);
}

int ItemImport::Add(LoginItem& item, int line) {
    // The program runs a LOCAL address as a command line; a code beyond the
    // table may mean anything to another version of it.
    if (item.addressType == ADDRESS_LOCAL || item.addressType < 0 || item.addressType >= kAddressTypeNameCount) {
        m_programs.push_back({line, item.addressType, std::string(item.serviceName, FieldLength(item, FieldService)),
                              std::string(item.serviceAddress, FieldLength(item, FieldAddress))});
    }
    const bool added = m_store.AddItem(item);
    SecureWipe(&item, sizeof item);
    if (!added) {
        m_sink.ShowMessage("Reach the max item limit!");
        return ExitIndexOrFull;
    }
    ++m_added;
    return ExitDone;
}

int ItemImport::FromExport(const SecretString& content) {
    constexpr std::size_t kExportFields = 7;
    SecretString text;
    int lineNumber = 0;
    for (std::size_t at = 0; at < content.size();) {
        std::size_t end = content.find('\n', at);
        if (end == SecretString::npos) end = content.size();
        const char* line = content.data() + at;
        std::size_t length = end - at;
        at = end + 1;
        ++lineNumber;
        if (length > 0 && line[length - 1] == '\r') --length;
        if (lineNumber == 1 && length == std::strlen(kExportHeader) && std::memcmp(line, kExportHeader, length) == 0) {
            continue;
        }
        if (length == 0) continue;
        // Where each field starts, and one past the end of the last.
        std::size_t starts[kExportFields + 1] = {};
        std::size_t fields = 1;
        for (std::size_t i = 0; i < length && fields <= kExportFields; ++i) {
            if (line[i] == '\t') starts[fields++] = i + 1;
        }
        const auto fieldLength = [&](std::size_t f) {
            return (f + 1 < fields ? starts[f + 1] - 1 : length) - starts[f];
        };
        LoginItem item;
        item.Clear();
        bool ok =
            fields == kExportFields && ParseExportType(std::string(line + starts[1], fieldLength(1)), item.addressType);
        bool fits = true;
        const FieldId order[] = {FieldService, FieldUser, FieldAddress, FieldPassword, FieldDescription};
        for (std::size_t f = 2; ok && fits && f < kExportFields; ++f) {
            ok = UnescapeField(line + starts[f], fieldLength(f), text);
            fits = !ok || Put(item, order[f - 2], text.data(), text.size(), lineNumber);
        }
        if (!ok || !fits) {
            SecureWipe(&item, sizeof item);
            if (!ok) Refuse(lineNumber, "not an exported item (7 tab-separated fields)");
            return ExitUsage;
        }
        if (int status = Add(item, lineNumber)) return status;
    }
    return ExitDone;
}

int ItemImport::FromCsv(const SecretString& content) {
    CsvReader reader(content.data(), content.size());
    SecretStrings fields;
    int line = 0;
    CsvResult result = reader.Next(fields, line, kMaxCsvColumns);
    if (result == CsvTooManyFields) {
        Refuse(line, "the header row has more than " + std::to_string(kMaxCsvColumns) + " fields");
        return ExitUsage;
    }
    if (result != CsvRecord) {
        m_sink.ShowMessage(result == CsvEnd ? "the CSV file is empty" : "line 1: a quoted field does not end");
        return ExitUsage;
    }
    // The column names that the common exports use, each for one field.
    static const struct {
        const char* name;
        FieldId id;
    } kColumns[] = {
        {"title", FieldService},           {"name", FieldService},        {"username", FieldUser},
        {"login_username", FieldUser},     {"login", FieldUser},          {"password", FieldPassword},
        {"login_password", FieldPassword}, {"url", FieldAddress},         {"uri", FieldAddress},
        {"login_uri", FieldAddress},       {"notes", FieldDescription},   {"note", FieldDescription},
        {"extra", FieldDescription},       {"comment", FieldDescription},
    };
    const std::size_t columnCount = fields.size();
    std::size_t column[FieldCount] = {};
    bool mapped[FieldCount] = {};
    for (std::size_t c = 0; c < columnCount; ++c) {
        std::string name(fields[c].data(), fields[c].size());
        const std::size_t first = name.find_first_not_of(' ');
        name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(' ') - first + 1);
        for (const auto& known : kColumns) {
            if (name.size() != std::strlen(known.name) ||
                !SameIgnoringAsciiCase(name.c_str(), known.name, name.size()) || mapped[known.id]) {
                continue;
            }
            mapped[known.id] = true;
            column[known.id] = c;
        }
    }
    if (!(mapped[FieldService] || mapped[FieldUser] || mapped[FieldPassword] || mapped[FieldAddress])) {
        Refuse(line, "the header row names none of the columns title, name, username, login, password, url");
        return ExitUsage;
    }
    const SecretString empty;
    while ((result = reader.Next(fields, line, columnCount)) == CsvRecord) {
        if (fields.size() == 1 && fields[0].empty()) continue;
        if (fields.size() != columnCount) {
            Refuse(line,
                   std::to_string(fields.size()) + " fields where the header row has " + std::to_string(columnCount));
            return ExitUsage;
        }
        LoginItem item;
        item.Clear();
        // The address as given, scheme and all: cleaning may still make it fit.
        char address[2 * sizeof item.serviceAddress];
        bool ok = Utf8(mapped[FieldAddress] ? fields[column[FieldAddress]] : empty, FieldAddress, address,
                       sizeof address - 1, line);
        for (FieldId id : {FieldService, FieldUser, FieldPassword, FieldDescription}) {
            ok =
                ok && Utf8(mapped[id] ? fields[column[id]] : empty, id, FieldOf(item, id), kFields[id].width - 1, line);
        }
        if (ok) {
            // Cleaned as the item form cleans it; its scheme gives the type.
            if (!AddressTypeFromScheme(address, item.addressType)) item.addressType = ADDRESS_HTTP;
            const std::string cleaned = NormalizeAddress(address);
            ok = Put(item, FieldAddress, cleaned.data(), cleaned.size(), line);
            if (ok && item.serviceName[0] == '\0') {
                const std::string host = HostOf(item.serviceAddress);
                ok = Put(item, FieldService, host.data(), host.size(), line);
            }
        }
        if (!ok) {
            SecureWipe(&item, sizeof item);
            return ExitUsage;
        }
        if (int status = Add(item, line)) return status;
    }
    if (result == CsvTooManyFields) {
        Refuse(line, "more fields than the header row has (" + std::to_string(columnCount) + ")");
        return ExitUsage;
    }
    if (result == CsvBadQuote) {
        Refuse(line, "a quoted field does not end, or text follows its closing quote");
        return ExitUsage;
    }
    return ExitDone;
}

#include "cli/item_fields.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/codepage.h"

const char kExportHeader[] = "index\ttype\tservice\tuser\taddress\tpassword\tdescription";

const TextField kFields[FieldCount] = {
    {"--service", "service name", offsetof(LoginItem, serviceName), sizeof(LoginItem::serviceName)},
    {"--user", "user name", offsetof(LoginItem, userName), sizeof(LoginItem::userName)},
    {nullptr, "password", offsetof(LoginItem, password), sizeof(LoginItem::password)},
    {"--address", "address", offsetof(LoginItem, serviceAddress), sizeof(LoginItem::serviceAddress)},
    {"--description", "description", offsetof(LoginItem, description), sizeof(LoginItem::description)},
};

char* FieldOf(LoginItem& item, FieldId id) { return reinterpret_cast<char*>(&item) + kFields[id].offset; }

const char* FieldOf(const LoginItem& item, FieldId id) {
    return reinterpret_cast<const char*>(&item) + kFields[id].offset;
}

std::size_t FieldLength(const LoginItem& item, FieldId id) {
    const char* field = FieldOf(item, id);
    const void* end = std::memchr(field, '\0', kFields[id].width);
    return end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : kFields[id].width;
}

bool FitText(LoginItem& item, FieldId id, const char* data, std::size_t length, std::string& problem) {
    const TextField& field = kFields[id];
    if (std::memchr(data, '\0', length) != nullptr) {
        problem = std::string("the ") + field.name + " holds a NUL byte";
        return false;
    }
    if (length > field.width - 1) {
        problem = std::string("the ") + field.name + " is longer than " + std::to_string(field.width - 1) + " bytes";
        return false;
    }
    char* to = FieldOf(item, id);
    std::memset(to, 0, field.width);
    std::memcpy(to, data, length);
    return true;
}

bool FitUtf8(const SecretString& text, FieldId id, char* to, std::size_t capacity, std::string& problem) {
    problem = std::string("the ") + kFields[id].name;
    // A search for a NUL byte, not a copy: no terminator is wanted here.
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
    if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
        problem += " holds a NUL byte";
        return false;
    }
    std::memset(to, 0, capacity + 1);
    std::size_t written = 0;
    const AnsiResult result = Utf8ToAnsi(text.data(), text.size(), to, capacity, written);
    if (result == AnsiOk) {
        problem.clear();
        return true;
    }
    problem += result == AnsiTooLong ? " is longer than " + std::to_string(capacity) + " bytes" : Utf8Problem(result);
    return false;
}

const char* Utf8Problem(AnsiResult result) {
    switch (result) {
    case AnsiOk: break;
    case AnsiBadUtf8: return " is not UTF-8 text";
    case AnsiUnrepresentable: return " holds a character that the ANSI code page cannot hold";
    case AnsiTooLong: return " is too long";
    }
    return "";
}

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameIgnoringAsciiCase(const char* a, const char* b, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool ParseType(const std::string& text, std::int32_t& type) {
    static const char* const kNames[] = {"http", "https", "ftp", "telnet", "local"};
    for (std::int32_t code = 0; code < 5; ++code) {
        if (text == std::string(1, static_cast<char>('0' + code)) ||
            (text.size() == std::strlen(kNames[code]) &&
             SameIgnoringAsciiCase(text.c_str(), kNames[code], text.size()))) {
            type = code;
            return true;
        }
    }
    return false;
}

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

bool ContainsIgnoringCase(const char* text, std::size_t length, const std::string& wanted) {
    if (wanted.size() > length) return false;
    for (std::size_t start = 0; start + wanted.size() <= length; ++start) {
        if (SameIgnoringAsciiCase(text + start, wanted.data(), wanted.size())) return true;
        if (IsAnsiLeadByte(static_cast<unsigned char>(text[start]))) ++start;
    }
    return false;
}

#pragma once
// The tool's view of an item: its text fields by name and width, the values
// that fit them, address type names, and the export's header line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/codepage.h"
#include "base/secret_string.h"
#include "core/vault/login_item.h"

extern const char kExportHeader[];

// The text fields of an item, for options, messages and width checks.
enum FieldId { FieldService, FieldUser, FieldPassword, FieldAddress, FieldDescription, FieldCount };

struct TextField {
    const char* option;  // nullptr: never given on the command line
    const char* name;
    std::size_t offset;
    std::size_t width;  // with the terminating zero
};

extern const TextField kFields[FieldCount];

char* FieldOf(LoginItem& item, FieldId id);
const char* FieldOf(const LoginItem& item, FieldId id);
// Stored records are taken byte for byte: a field may lack its terminator.
std::size_t FieldLength(const LoginItem& item, FieldId id);

// Puts a value in its field, or refuses it (with `problem` saying why, naming
// the field) when it is too wide or holds a NUL byte: a value is never cut,
// for a cut password is a lost password.
bool FitText(LoginItem& item, FieldId id, const char* data, std::size_t length, std::string& problem);
// The same for UTF-8 text, converted to the ANSI code page into `to`
// (`capacity` bytes and a terminator); refused also when it is not UTF-8 or
// holds a character the code page cannot hold.
bool FitUtf8(const SecretString& text, FieldId id, char* to, std::size_t capacity, std::string& problem);
// Why a conversion from UTF-8 failed, to follow "the " and the text's name.
const char* Utf8Problem(AnsiResult result);

bool SameIgnoringAsciiCase(const char* a, const char* b, std::size_t length);
// ASCII case ignored; a match never starts inside a double-byte character.
bool ContainsIgnoringCase(const char* text, std::size_t length, const std::string& wanted);

// 0 to 4, or a type name in any case.
bool ParseType(const std::string& text, std::int32_t& type);
// The type as export writes it: the name for the offered types, the code
// itself otherwise, so that an import gives back exactly the stored value.
std::string ExportType(std::int32_t type);
bool ParseExportType(const std::string& text, std::int32_t& type);

#pragma once
// Records of a CSV file as RFC 4180 writes them, in the shapes that password
// managers and browsers export: fields in double quotes may hold commas,
// line breaks and doubled quotes; lines end in CRLF or LF; a UTF-8
// byte-order mark at the start is skipped. Fields are kept in wiped strings:
// they hold passwords.
#include <cstddef>

#include "base/secret_string.h"

enum CsvResult {
    CsvRecord,
    CsvEnd,
    CsvBadQuote,       // a quoted field that never ends, or text after its closing quote
    CsvTooManyFields,  // more than the caller takes: the record is not read on
};

class CsvReader {
public:
    CsvReader(const char* data, std::size_t size);

    // Reads the next record into `fields`; `line` gets the line it starts on
    // (counting from 1), also when the record is refused. An empty line is a
    // record of one empty field. A record stops at `maxFields`, so a line of
    // nothing but commas costs no more than a record that fits.
    CsvResult Next(SecretStrings& fields, int& line, std::size_t maxFields);

private:
    bool ReadQuoted(SecretString& field);
    void ReadPlain(SecretString& field);

    const char* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    int m_line = 1;
};

#include "cli/csv_reader.h"

#include <cstring>

CsvReader::CsvReader(const char* data, std::size_t size) : m_data(data), m_size(size) {
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) m_at = 3;
}

bool CsvReader::ReadQuoted(SecretString& field) {
    ++m_at;
    while (m_at < m_size) {
        const char c = m_data[m_at++];
        if (c == '"') {
            if (m_at < m_size && m_data[m_at] == '"') {
                field += '"';
                ++m_at;
                continue;
            }
            return true;
        }
        if (c == '\n') ++m_line;
        field += c;
    }
    return false;
}

void CsvReader::ReadPlain(SecretString& field) {
    while (m_at < m_size && m_data[m_at] != ',' && m_data[m_at] != '\n') field += m_data[m_at++];
    const bool lineEnds = m_at == m_size || m_data[m_at] == '\n';
    if (lineEnds && !field.empty() && field.back() == '\r') field.pop_back();
}

CsvResult CsvReader::Next(SecretStrings& fields, int& line, std::size_t maxFields) {
    fields.clear();
    line = m_line;
    if (m_at >= m_size) return CsvEnd;
    for (;;) {
        if (fields.size() == maxFields) return CsvTooManyFields;
        fields.emplace_back();
        SecretString& field = fields.back();
        // At the end of the data after a comma, the record ends with an empty field.
        if (m_at < m_size && m_data[m_at] == '"') {
            if (!ReadQuoted(field)) return CsvBadQuote;
            if (m_at < m_size && m_data[m_at] == '\r' && (m_at + 1 == m_size || m_data[m_at + 1] == '\n')) ++m_at;
        } else {
            ReadPlain(field);
        }
        if (m_at == m_size) return CsvRecord;
        const char separator = m_data[m_at++];
        if (separator == '\n') {
            ++m_line;
            return CsvRecord;
        }
        if (separator != ',') return CsvBadQuote;
    }
}

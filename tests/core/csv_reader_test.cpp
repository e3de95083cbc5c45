#include "cli/csv_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
    int line;
    std::vector<std::string> fields;
    bool operator==(const Row& other) const { return line == other.line && fields == other.fields; }
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    out << row.line << ":";
    for (const std::string& f : row.fields) out << " [" << f << "]";
    return out;
}

std::vector<Row> ReadAll(const std::string& text, CsvResult& last) {
    CsvReader reader(text.data(), text.size());
    SecretStrings fields;
    std::vector<Row> rows;
    int line = 0;
    while ((last = reader.Next(fields, line)) == CsvRecord) {
        Row row{line, {}};
        for (const SecretString& f : fields) row.fields.emplace_back(f.data(), f.size());
        rows.push_back(row);
    }
    if (last != CsvEnd) rows.push_back(Row{line, {"<refused>"}});
    return rows;
}

}  // namespace

TEST(CsvReader, QuotesLineBreaksAndLineEndsAsExportersWriteThem) {
    CsvResult last;
    const std::string text =
        "\xEF\xBB\xBFname,url,note\r\n"
        "plain,\"a, b\",\"say \"\"hi\"\"\"\r\n"
        "\"two\r\nlines\",,\"\"\n"
        "\n"
        "x\r,y,last without line end";
    EXPECT_EQ(ReadAll(text, last), (std::vector<Row>{
                                       {1, {"name", "url", "note"}},
                                       {2, {"plain", "a, b", "say \"hi\""}},
                                       {3, {"two\r\nlines", "", ""}},
                                       {5, {""}},
                                       {6, {"x\r", "y", "last without line end"}},
                                   }));
    EXPECT_EQ(last, CsvEnd);

    EXPECT_EQ(ReadAll("a,b,\n", last), (std::vector<Row>{{1, {"a", "b", ""}}})) << "a trailing comma";
    EXPECT_EQ(ReadAll("a\n\"open\nfield", last), (std::vector<Row>{{1, {"a"}}, {2, {"<refused>"}}}));
    EXPECT_EQ(ReadAll("\"closed\"junk,b\n", last), (std::vector<Row>{{1, {"<refused>"}}}));
}

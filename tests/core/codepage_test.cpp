// UTF-8 into the code page vault texts are kept in (Windows-1252 here).
#include "base/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

AnsiResult Convert(const std::string& utf8, std::string& out, std::size_t room = 64) {
    out.assign(room, '\0');
    std::size_t written = 0;
    const AnsiResult result = Utf8ToAnsi(utf8.data(), utf8.size(), &out[0], room, written);
    out.resize(written);
    return result;
}

}  // namespace

TEST(Codepage, Utf8BecomesWindows1252AndWhatItCannotHoldIsRefused) {
    std::string out;
    // ASCII, Latin-1, and the characters 1252 keeps at 0x80 to 0x9F.
    EXPECT_EQ(Convert("Caf\xC3\xA9 \xC3\xBF\xC2\xA0 \xE2\x82\xAC \xE2\x80\x9C\xC5\xA0\xE2\x84\xA2\xC5\xB8", out),
              AnsiOk);
    EXPECT_EQ(out, "Caf\xE9 \xFF\xA0 \x80 \x93\x8A\x99\x9F");

    EXPECT_EQ(Convert("\xD0\x96", out), AnsiUnrepresentable) << "Cyrillic";
    EXPECT_EQ(Convert("\xF0\x9F\x94\x91", out), AnsiUnrepresentable) << "beyond the basic plane";
    EXPECT_EQ(Convert("\xC2\x80", out), AnsiUnrepresentable) << "a control 1252 puts no character at";
    for (const char* bad : {"\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xA9", "a\xFFz"}) {
        EXPECT_EQ(Convert(bad, out), AnsiBadUtf8) << bad;
    }
    EXPECT_EQ(Convert("\xC3\xA9\xC3\xA9\xC3\xA9", out, 2), AnsiTooLong);
    EXPECT_EQ(Convert("\xC3\xA9\xC3\xA9\xD0\x96", out, 2), AnsiUnrepresentable) << "the worse fault is named";
}

// The Auto-Type line of a description read into steps, and the lines refused.
#include "core/autotype/sequence.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "base/codepage.h"

namespace {

// The steps in short: U, P, T, E, D<ms>, and text in brackets.
std::string Steps(const std::string& description) {
    std::string out;
    for (const AutoTypeStep& step : ParseAutoTypeSequence(description.data(), description.size()).steps) {
        const char* kinds[] = {"[", "U", "P", "T", "E", "D"};
        out += kinds[static_cast<int>(step.kind)];
        if (step.kind == AutoTypeStepKind::Text) out += std::string(step.text.c_str()) + "]";
        if (step.kind == AutoTypeStepKind::Delay) out += std::to_string(step.delayMs);
    }
    return out;
}

struct ShiftJisLeads : LeadBytes {
    bool IsLead(unsigned char byte) const override { return (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0; }
};

}  // namespace

TEST(AutoTypeSequence, TheLineIsFoundAndReadIntoSteps) {
    const ShiftJisLeads leads;
    SetLeadBytes(&leads);
    const std::pair<std::string, const char*> cases[] = {
        {"", "UTPE"},
        {"shared with the team\r\nx Auto-Type: {TAB}\r\nAuto-Typo: {TAB}", "UTPE"},
        {"Auto-Type: {USERNAME}{ENTER}{DELAY 1500}{PASSWORD}{ENTER}", "UED1500PE"},
        // Label in any case after blanks, on any line, CR LF or LF or CR; the
        // first one counts and the blanks around the sequence go.
        {"first\r\n  \tauto-TYPE:\t {password}{Tab}x \r\nAuto-Type: {ENTER}", "PT[x]"},
        {"a\nAUTO-TYPE:{UserName}\nb", "U"},
        {"a\rAuto-Type:{TAB}\rb", "T"},
        {"Auto-Type:   ", "UTPE"},
        // Text around placeholders; braces written in braces; a lone "}".
        {"Auto-Type: id {USERNAME} pin 12}{{}{}}!{ENTER}", "[id ]U[ pin 12}{}!]E"},
        {"Auto-Type: {DELAY 1}{DELAY 10000}", "D1D10000"},
        {std::string("Auto-Type: {TAB}\0{ENTER}", 24), "T"},
        // 0x83 0x7B is one katakana in Shift JIS: its trail byte is not a "{".
        {"Auto-Type: \x83\x7B{TAB}\x83\x7D", "[\x83\x7B]T[\x83\x7D]"},
    };
    for (const auto& c : cases) EXPECT_EQ(Steps(c.first), c.second) << c.first;
    SetLeadBytes(nullptr);
}

TEST(AutoTypeSequence, AMistypedPlaceholderIsNamedAndNothingIsKept) {
    const std::tuple<const char*, SequenceError, const char*> cases[] = {
        {"Auto-Type: {USERNAME}{PASWORD}{ENTER}", SequenceError::UnknownPlaceholder, "{PASWORD}"},
        {"Auto-Type: {}", SequenceError::UnknownPlaceholder, "{}"},
        {"Auto-Type: {DELAY}", SequenceError::BadDelay, "{DELAY}"},
        {"Auto-Type: {DELAY 0}", SequenceError::BadDelay, "{DELAY 0}"},
        {"Auto-Type: {DELAY 10001}", SequenceError::BadDelay, "{DELAY 10001}"},
        {"Auto-Type: {DELAY 99999999999}", SequenceError::BadDelay, "{DELAY 99999999999}"},
        {"Auto-Type: {DELAYS}", SequenceError::BadDelay, "{DELAYS}"},
        // The closing brace is looked for on the line only.
        {"Auto-Type: {TAB}{ENTER\r\n}", SequenceError::Unclosed, "{ENTER"},
    };
    for (const auto& [description, error, offending] : cases) {
        const AutoTypeSequence sequence = ParseAutoTypeSequence(description, std::strlen(description));
        EXPECT_EQ(sequence.error, error) << description;
        EXPECT_EQ(sequence.offending, offending) << description;
        EXPECT_TRUE(sequence.steps.empty()) << description;
    }
}

// The Auto-Type line of a description read into steps, and the lines refused.
#include "core/autotype/sequence.h"

#include <gtest/gtest.h>

#include <string>

#include "base/codepage.h"

namespace {

// The steps in a short notation: U, P, T, E, D<ms>, and text in brackets.
std::string Render(const AutoTypeSequence& sequence) {
    std::string out;
    for (const AutoTypeStep& step : sequence.steps) {
        switch (step.kind) {
        case AutoTypeStepKind::Text: out += "[" + std::string(step.text.c_str()) + "]"; break;
        case AutoTypeStepKind::UserName: out += "U"; break;
        case AutoTypeStepKind::Password: out += "P"; break;
        case AutoTypeStepKind::Tab: out += "T"; break;
        case AutoTypeStepKind::Enter: out += "E"; break;
        case AutoTypeStepKind::Delay: out += "D" + std::to_string(step.delayMs); break;
        }
    }
    return out;
}

AutoTypeSequence Parse(const std::string& description) {
    return ParseAutoTypeSequence(description.data(), description.size());
}

}  // namespace

TEST(AutoTypeSequence, TheLineIsFoundAndReadIntoSteps) {
    struct Case {
        const char* description;
        const char* steps;
    } const cases[] = {
        {"", "UTPE"},
        {"shared with the team\r\nrenew in May", "UTPE"},
        {"Auto-Type: {USERNAME}{ENTER}{DELAY 1500}{PASSWORD}{ENTER}", "UED1500PE"},
        // Label in any case after blanks, on any line, CR LF or LF alone;
        // the first one counts and the blanks around the sequence go.
        {"first line\r\n  \tauto-TYPE:\t {password}{Tab}x \r\nAuto-Type: {ENTER}", "PT[x]"},
        {"a\nAUTO-TYPE:{UserName}\nb", "U"},
        {"a\rAuto-Type:{TAB}\rb", "T"},
        {"Auto-Type:   ", "UTPE"},
        {"x Auto-Type: {TAB}", "UTPE"},
        {"Auto-Typo: {TAB}", "UTPE"},
        // Text around placeholders; braces written in braces; a lone "}".
        {"Auto-Type: id {USERNAME} pin 12}{{}{}}!{ENTER}", "[id ]U[ pin 12}{}!]E"},
        {"Auto-Type: {DELAY 1}{DELAY 10000}", "D1D10000"},
    };
    for (const Case& c : cases) {
        const AutoTypeSequence sequence = Parse(c.description);
        EXPECT_EQ(sequence.error, SequenceError::None) << c.description;
        EXPECT_EQ(Render(sequence), c.steps) << c.description;
    }
    const char kCut[] = "Auto-Type: {TAB}\0{ENTER}";
    const std::string cut(kCut, sizeof kCut - 1);
    EXPECT_EQ(Render(Parse(cut)), "T") << "a zero ends the description";
}

TEST(AutoTypeSequence, AMistypedPlaceholderIsNamedAndNothingIsKept) {
    struct Case {
        const char* description;
        SequenceError error;
        const char* offending;
    } const cases[] = {
        {"Auto-Type: {USERNAME}{PASWORD}{ENTER}", SequenceError::UnknownPlaceholder, "{PASWORD}"},
        {"Auto-Type: {}", SequenceError::UnknownPlaceholder, "{}"},
        {"Auto-Type: {USER NAME}", SequenceError::UnknownPlaceholder, "{USER NAME}"},
        {"Auto-Type: {DELAY}", SequenceError::BadDelay, "{DELAY}"},
        {"Auto-Type: {DELAY 0}", SequenceError::BadDelay, "{DELAY 0}"},
        {"Auto-Type: {DELAY 10001}", SequenceError::BadDelay, "{DELAY 10001}"},
        {"Auto-Type: {DELAY 99999999999}", SequenceError::BadDelay, "{DELAY 99999999999}"},
        {"Auto-Type: {DELAY -5}", SequenceError::BadDelay, "{DELAY -5}"},
        {"Auto-Type: {DELAY  5}", SequenceError::BadDelay, "{DELAY  5}"},
        {"Auto-Type: {DELAYS}", SequenceError::BadDelay, "{DELAYS}"},
        // The closing brace is looked for on the line only.
        {"Auto-Type: {TAB}{ENTER\r\n}", SequenceError::Unclosed, "{ENTER"},
        {"Auto-Type: {", SequenceError::Unclosed, "{"},
    };
    for (const Case& c : cases) {
        const AutoTypeSequence sequence = Parse(c.description);
        EXPECT_EQ(sequence.error, c.error) << c.description;
        EXPECT_EQ(sequence.offending, c.offending) << c.description;
        EXPECT_TRUE(sequence.steps.empty()) << c.description;
    }
}

namespace {

class ShiftJisLeads : public LeadBytes {
public:
    bool IsLead(unsigned char byte) const override {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }
};

}  // namespace

TEST(AutoTypeSequence, ABraceByteInsideADoubleByteCharacterIsText) {
    const ShiftJisLeads leads;
    SetLeadBytes(&leads);
    // 0x83 0x7B is one katakana; its trail byte is the byte of "{".
    const AutoTypeSequence sequence = Parse("Auto-Type: \x83\x7B{TAB}\x83\x7D");
    SetLeadBytes(nullptr);
    EXPECT_EQ(sequence.error, SequenceError::None);
    EXPECT_EQ(Render(sequence), "[\x83\x7B]T[\x83\x7D]");
}

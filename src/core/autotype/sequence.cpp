#include "core/autotype/sequence.h"

#include <cstring>

#include "base/codepage.h"

namespace {

constexpr char kLabel[] = "auto-type:";
constexpr std::size_t kLabelLength = sizeof kLabel - 1;
constexpr std::size_t kMaxOffendingChars = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const char* text, std::size_t length, const char* lowerWord) {
    if (std::strlen(lowerWord) != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (Lower(text[i]) != lowerWord[i]) return false;
    }
    return true;
}

// The sequence on the first Auto-Type line as [begin, end); false when the
// description has no such line.
bool FindLine(const char* text, std::size_t length, std::size_t& begin, std::size_t& end) {
    std::size_t line = 0;
    while (line < length) {
        std::size_t at = line;
        while (at < length && IsBlank(text[at])) ++at;
        std::size_t lineEnd = at;
        while (lineEnd < length && !IsLineEnd(text[lineEnd])) ++lineEnd;
        if (lineEnd - at >= kLabelLength && EqualsIgnoringCase(text + at, kLabelLength, kLabel)) {
            begin = at + kLabelLength;
            end = lineEnd;
            while (begin < end && IsBlank(text[begin])) ++begin;
            while (end > begin && IsBlank(text[end - 1])) --end;
            return true;
        }
        line = lineEnd + 1;
    }
    return false;
}

void AddKind(AutoTypeSteps& steps, AutoTypeStepKind kind, unsigned delayMs = 0) {
    steps.push_back(AutoTypeStep{kind, SecretString(), delayMs});
}

void AddText(AutoTypeSteps& steps, const char* text, std::size_t count) {
    if (steps.empty() || steps.back().kind != AutoTypeStepKind::Text) AddKind(steps, AutoTypeStepKind::Text);
    steps.back().text.append(text, count);
}

// "DELAY n" with n from 1 to the bound; false for anything else that starts
// with the word.
bool ParseDelay(const char* name, std::size_t length, unsigned& delayMs) {
    constexpr std::size_t kWord = 6;  // "DELAY "
    if (length <= kWord || name[kWord - 1] != ' ' || length - kWord > 5) return false;
    unsigned value = 0;
    for (std::size_t i = kWord; i < length; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(name[i] - '0');
    }
    if (value == 0 || value > kMaxAutoTypeDelayMs) return false;
    delayMs = value;
    return true;
}

AutoTypeSequence Fail(SequenceError error, const char* text, std::size_t length) {
    AutoTypeSequence failed;
    failed.error = error;
    failed.offending.assign(text, length < kMaxOffendingChars ? length : kMaxOffendingChars);
    return failed;
}

}  // namespace

AutoTypeSequence ParseAutoTypeSequence(const char* description, std::size_t length) {
    const void* zero = std::memchr(description, 0, length);
    if (zero != nullptr) length = static_cast<std::size_t>(static_cast<const char*>(zero) - description);

    AutoTypeSequence sequence;
    std::size_t at = 0;
    std::size_t end = 0;
    if (!FindLine(description, length, at, end) || at == end) {
        AddKind(sequence.steps, AutoTypeStepKind::UserName);
        AddKind(sequence.steps, AutoTypeStepKind::Tab);
        AddKind(sequence.steps, AutoTypeStepKind::Password);
        AddKind(sequence.steps, AutoTypeStepKind::Enter);
        return sequence;
    }
    struct Named {
        const char* name;
        AutoTypeStepKind kind;
    };
    static const Named kNames[] = {
        {"username", AutoTypeStepKind::UserName},
        {"password", AutoTypeStepKind::Password},
        {"tab", AutoTypeStepKind::Tab},
        {"enter", AutoTypeStepKind::Enter},
    };
    while (at < end) {
        const char c = description[at];
        if (c != '{') {
            // A double-byte character goes whole: its trail byte may be a
            // brace's byte without being one.
            const std::size_t count = IsAnsiLeadByte(static_cast<unsigned char>(c)) && at + 1 < end ? 2 : 1;
            AddText(sequence.steps, description + at, count);
            at += count;
            continue;
        }
        // "{{}" and "{}}" are the braces themselves; otherwise the first "}"
        // closes the placeholder.
        if (at + 2 < end && (description[at + 1] == '{' || description[at + 1] == '}') && description[at + 2] == '}') {
            AddText(sequence.steps, description + at + 1, 1);
            at += 3;
            continue;
        }
        const char* name = description + at + 1;
        const char* close = static_cast<const char*>(std::memchr(name, '}', end - at - 1));
        if (close == nullptr) return Fail(SequenceError::Unclosed, description + at, end - at);
        const std::size_t nameLength = static_cast<std::size_t>(close - name);
        const std::size_t whole = nameLength + 2;
        bool known = false;
        for (const Named& named : kNames) {
            if (EqualsIgnoringCase(name, nameLength, named.name)) {
                AddKind(sequence.steps, named.kind);
                known = true;
                break;
            }
        }
        if (!known && nameLength >= 5 && EqualsIgnoringCase(name, 5, "delay")) {
            unsigned delayMs = 0;
            if (!ParseDelay(name, nameLength, delayMs)) {
                return Fail(SequenceError::BadDelay, description + at, whole);
            }
            AddKind(sequence.steps, AutoTypeStepKind::Delay, delayMs);
            known = true;
        }
        if (!known) return Fail(SequenceError::UnknownPlaceholder, description + at, whole);
        at += whole;
    }
    return sequence;
}

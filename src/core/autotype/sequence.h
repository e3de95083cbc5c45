#pragma once
// What auto-type types for a login: by default the user name, Tab, the
// password and Enter; a description line "Auto-Type: ..." gives another
// order, with placeholders among text typed as it stands.
//
// The line: the first line of the description whose label, after any blanks,
// is "Auto-Type:" in any case. Lines end at CR LF (as the item form stores
// them), LF or CR. The sequence is the rest of the line without the blanks
// around it; an empty one means the default.
//
// Placeholders, in any case: {USERNAME}, {PASSWORD}, {TAB}, {ENTER} and
// {DELAY n}, a pause of n milliseconds (1 to kMaxAutoTypeDelayMs, n in
// decimal digits after one blank). A brace typed as a character is written
// in braces, "{{}" and "{}}"; a "}" on its own is typed as it is. Anything
// else in braces, and a "{" never closed, is an error that names it, so that
// nothing is typed from a line the user mistyped.
#include <cstddef>
#include <string>
#include <vector>

#include "base/secret_string.h"

constexpr unsigned kMaxAutoTypeDelayMs = 10000;

enum class AutoTypeStepKind { Text, UserName, Password, Tab, Enter, Delay };

struct AutoTypeStep {
    AutoTypeStepKind kind;
    // The characters of a Text step, in the ANSI code page.
    SecretString text;
    // A Delay step's milliseconds.
    unsigned delayMs;
};

using AutoTypeSteps = std::vector<AutoTypeStep, WipingAllocator<AutoTypeStep>>;

enum class SequenceError {
    None,
    UnknownPlaceholder,  // {X}: no such placeholder
    BadDelay,            // {DELAY ...} without a number from 1 to the bound
    Unclosed,            // a "{" with no "}" after it on the line
};

struct AutoTypeSequence {
    AutoTypeSteps steps;
    SequenceError error = SequenceError::None;
    // The placeholder at fault as written (at most 40 characters of it).
    std::string offending;
};

// Reads the description (at most `length` bytes, up to its first zero) into
// steps. With an error, `steps` is empty.
AutoTypeSequence ParseAutoTypeSequence(const char* description, std::size_t length);

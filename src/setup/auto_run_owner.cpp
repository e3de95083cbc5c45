#include "setup/auto_run_owner.h"

#include <cstddef>

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// One spelling per file name: ASCII letters in lower case, one kind of
// separator. Letters outside ASCII are compared as they are, so a name that
// differs only there counts as another program and its value stays.
char Folded(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    if (c == '/') return '\\';
    return c;
}

}  // namespace

std::string CommandProgram(const std::string& command) {
    std::string text = Trimmed(command);  // not const: returned by moving
    if (text.empty() || text[0] != '"') return text;
    const std::size_t close = text.find('"', 1);
    // An unclosed quote names nothing that can be started for certain.
    if (close == std::string::npos) return std::string();
    return text.substr(1, close - 1);
}

bool CommandStartsProgram(const std::string& command, const std::string& programPath) {
    const std::string program = CommandProgram(command);
    if (program.empty() || program.size() != programPath.size()) return false;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (Folded(program[i]) != Folded(programPath[i])) return false;
    }
    return true;
}

#include "setup/auto_run_owner.h"

#include <cstddef>

#include "base/windows_path.h"

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::string WithoutVerbatimPrefix(const std::string& path) {
    if (StartsWith(path, "\\\\?\\UNC\\")) return "\\\\" + path.substr(8);
    if (StartsWith(path, "\\\\?\\")) return path.substr(4);
    return path;
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

std::string FinalPath(const std::string& path, const LongPathLookup* longPath) {
    std::string plain = WithoutVerbatimPrefix(path);  // not const: returned by moving
    if (longPath == nullptr || plain.empty()) return plain;
    std::string whole = longPath->LongPath(plain);
    if (!whole.empty()) return whole;
    const std::size_t slash = plain.find_last_of("\\/");
    if (slash == std::string::npos || slash == 0) return plain;
    std::string folder = longPath->LongPath(plain.substr(0, slash));
    if (folder.empty()) return plain;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder + plain.substr(slash + 1);
}

bool CommandStartsProgram(const std::string& command, const std::string& programPath, const LongPathLookup* longPath) {
    const std::string program = CommandProgram(command);
    if (program.empty() || programPath.empty()) return false;
    return SameWindowsPath(FinalPath(program, longPath), FinalPath(programPath, longPath));
}

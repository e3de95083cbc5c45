#pragma once
// Whose auto-run value it is. The installer takes the value away, or puts it
// back, only when its command starts the installed program: a copy of the
// program kept elsewhere (an unpacked zip) keeps its own, and an empty value
// (auto-run switched off) is the user's choice, not a stale entry.
#include <string>

// The program a command line starts: what the first pair of double quotes
// encloses when it begins with one, else the whole text; surrounding blanks
// do not count.
std::string CommandProgram(const std::string& command);

// The system's long names, which the installer's actions ask and tests
// answer for it.
class LongPathLookup {
public:
    virtual ~LongPathLookup() = default;
    // The long form of a path that exists, as the system gives it (short 8.3
    // names spelt out); empty for a path that does not exist.
    virtual std::string LongPath(const std::string& path) const = 0;
};

// The file `path` names, spelt one way: without the "\\?\" prefix, which only
// turns off parsing ("\\?\UNC\host\share" is "\\host\share"), and in its long
// form: the whole path's when it exists, else its folder's with the name kept
// as written (an uninstall may have removed the file already). Without a
// lookup, as written.
std::string FinalPath(const std::string& path, const LongPathLookup* longPath);

// True when the command starts exactly `programPath`, the two compared in
// their final form. File names on Windows do not differ by case, and '/'
// separates folders as '\' does.
bool CommandStartsProgram(const std::string& command, const std::string& programPath,
                          const LongPathLookup* longPath = nullptr);

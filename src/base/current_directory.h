#pragma once
// The process's current working directory, which the settings use for the
// default program path and backup folder. Tests give a directory of their own.
#include <string>

class CurrentDirectoryProvider {
public:
    virtual ~CurrentDirectoryProvider() = default;
    // Empty when the system cannot give it. On Windows it is asked for with a
    // 256-byte buffer, so a directory of more than 255 characters counts as
    // unknown rather than arriving cut.
    virtual std::string Read() const = 0;
};

// The process's own.
const CurrentDirectoryProvider& ProcessCurrentDirectory();

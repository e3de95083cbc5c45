#pragma once
// A current directory of the test's choosing, for the settings' defaults.
#include <string>
#include <utility>

#include "base/current_directory.h"

struct FixedDirectory : CurrentDirectoryProvider {
    explicit FixedDirectory(std::string text) : path(std::move(text)) {}
    std::string Read() const override { return path; }

    std::string path;  // read afresh at every call: a test may change it
};

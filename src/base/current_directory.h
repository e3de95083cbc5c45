#pragma once
// The process's current working directory, which the settings use for the
// default program path and backup folder.
#include <string>

// Empty when the system cannot give it. On Windows it is asked for with a
// 256-byte buffer, so a directory of more than 255 characters counts as
// unknown rather than arriving cut.
std::string ReadCurrentDirectory();

// A stand-in for the programs the launcher starts: it records the command
// line it received in the file that the environment variable
// PELLUCORDA_PROBE_OUT names, then ends. The record is written under
// a temporary name and renamed, so a reader never sees half of it.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char out[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("PELLUCORDA_PROBE_OUT", out, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    const std::string part = std::string(out) + ".part";
    FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", GetCommandLineA());
    if (std::fclose(file) != 0) return 1;
    return MoveFileExA(part.c_str(), out, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "cli/secret_input.h"

bool ReadSecretFromTerminal(const char* prompt, char* buffer, std::size_t size) {
    std::FILE* tty = std::fopen("/dev/tty", "r+");
    if (tty == nullptr) return false;
    const int fd = fileno(tty);
    termios saved{};
    const bool haveTermios = tcgetattr(fd, &saved) == 0;
    if (haveTermios) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    const bool ok = ReadSecretLine(tty, buffer, size);
    if (haveTermios) tcsetattr(fd, TCSAFLUSH, &saved);
    std::fclose(tty);
    return ok;
}

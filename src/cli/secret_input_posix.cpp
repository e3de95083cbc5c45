#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "base/secure_wipe.h"
#include "cli/secret_input.h"

namespace {

// The terminal being read with echo off, for the signal handler: it may only
// touch these.
int g_tty = -1;
termios g_saved;
termios g_quiet;
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
struct sigaction g_previous[kSignalCount];

void OnSignal(int signal);

void Catch(int signal) {
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

void Uncatch(int signal) {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// Puts the terminal back as it was, then lets the signal do what it does by
// default. A stop (Ctrl-Z) leaves the shell a terminal that echoes; once the
// tool is continued, echo goes off again and the read goes on.
void OnSignal(int signal) {
    const int savedErrno = errno;
    tcsetattr(g_tty, TCSANOW, &g_saved);
    Uncatch(signal);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    if (signal == SIGTSTP) {
        sigprocmask(SIG_UNBLOCK, &only, nullptr);
        raise(signal);
        // Continued.
        Catch(signal);
        tcsetattr(g_tty, TCSANOW, &g_quiet);
    } else {
        // Blocked while this runs: delivered, and fatal, when it returns.
        raise(signal);
    }
    errno = savedErrno;
}

bool ReadTerminalLine(int fd, char* buffer, std::size_t size, std::size_t& length) {
    length = 0;
    for (;;) {
        char c = 0;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (c == '\n') {
            buffer[length] = '\0';
            return true;
        }
        if (length + 1 >= size) break;
        buffer[length++] = c;
    }
    SecureWipe(buffer, size);
    length = 0;
    return false;
}

}  // namespace

void PrepareStandardStreams() { signal(SIGPIPE, SIG_IGN); }

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

bool ReadSecretFromTerminal(const char* prompt, char* buffer, std::size_t size, std::size_t& length) {
    length = 0;
    // Read without stdio, so no buffer of the C library ever holds the secret.
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool haveTermios = tcgetattr(fd, &g_saved) == 0;
    if (haveTermios) {
        g_tty = fd;
        g_quiet = g_saved;
        g_quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        g_quiet.c_lflag |= ECHONL;
        for (int i = 0; i < kSignalCount; ++i) {
            sigaction(kSignals[i], nullptr, &g_previous[i]);
            // A signal the caller ignores (nohup, a background job) stays ignored.
            if (g_previous[i].sa_handler != SIG_IGN) Catch(kSignals[i]);
        }
        tcsetattr(fd, TCSAFLUSH, &g_quiet);
    }
    std::fputs(prompt, stderr);
    (void)std::fflush(stderr);  // a prompt that does not show still lets the user type
    const bool ok = ReadTerminalLine(fd, buffer, size, length);
    if (haveTermios) {
        tcsetattr(fd, TCSAFLUSH, &g_saved);
        for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
        g_tty = -1;
    }
    close(fd);
    return ok;
}

#include "support/pty_session.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <stdexcept>

PtySession::PtySession(const std::vector<std::string>& argv) {
    int report[2];
    if (pipe(report) != 0) throw std::runtime_error("pipe");
    m_shell = forkpty(&m_master, nullptr, nullptr, nullptr);
    if (m_shell < 0) throw std::runtime_error("forkpty");
    if (m_shell == 0) {
        close(report[0]);
        const pid_t program = fork();
        if (program == 0) {
            close(report[1]);
            setpgid(0, 0);
            signal(SIGTTOU, SIG_IGN);
            tcsetpgrp(STDIN_FILENO, getpid());
            signal(SIGTTOU, SIG_DFL);
            std::vector<char*> args;
            args.reserve(argv.size() + 1);
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        setpgid(program, program);
        if (write(report[1], &program, sizeof program) != sizeof program) _exit(126);
        close(report[1]);
        int status = 0;
        while (waitpid(program, &status, 0) < 0 && errno == EINTR) {
        }
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    close(report[1]);
    if (read(report[0], &m_program, sizeof m_program) != sizeof m_program) m_program = -1;
    close(report[0]);
}

PtySession::~PtySession() {
    if (m_shell > 0) {
        if (m_program > 0) kill(m_program, SIGKILL);
        Finish();
    }
    if (m_master >= 0) close(m_master);
}

bool PtySession::WaitFor(const std::string& text) {
    for (int rounds = 0; rounds < 100; ++rounds) {
        const std::size_t at = m_seen.find(text, m_checked);
        if (at != std::string::npos) {
            m_checked = at + text.size();
            return true;
        }
        pollfd p{m_master, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buffer[256];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) return false;
        m_seen.append(buffer, static_cast<std::size_t>(n));
    }
    return false;
}

bool PtySession::WaitUntilStopped() {
    for (int rounds = 0; rounds < 1000; ++rounds) {
        std::ifstream stat("/proc/" + std::to_string(m_program) + "/stat");
        std::string pid, name, state;
        // The name is in parentheses and has no blank here.
        if (stat >> pid >> name >> state && state == "T") return true;
        usleep(10000);
    }
    return false;
}

void PtySession::Type(const std::string& text) {
    if (write(m_master, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("write to the terminal");
    }
}

bool PtySession::Echoes() const {
    termios mode{};
    return tcgetattr(m_master, &mode) == 0 && (mode.c_lflag & ECHO) != 0;
}

int PtySession::Finish() {
    if (m_shell <= 0) return -1;
    for (;;) {
        pollfd p{m_master, POLLIN, 0};
        if (poll(&p, 1, 30000) <= 0) break;
        char buffer[256];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) break;  // EIO once every end of the terminal is closed
        m_seen.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    waitpid(m_shell, &status, 0);
    m_shell = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

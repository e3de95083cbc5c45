#include "support/process_runner.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
    signal(SIGPIPE, SIG_IGN);
    m_pid = fork();
    if (m_pid < 0) throw std::runtime_error("fork");
    if (m_pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        // No terminal for secrets: the tool must fall back to its own rules.
        setsid();
        // As a shell starts it, not with the test's own choice.
        signal(SIGPIPE, SIG_DFL);
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    m_in = in[1];
    m_out = out[0];
    m_err = err[0];
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        Finish();
    }
}

void ChildProcess::Write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(m_in, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;  // the child stopped reading; its status tells why
        }
        done += static_cast<std::size_t>(n);
    }
}

void ChildProcess::CloseOutput() {
    if (m_out >= 0) close(m_out);
    m_out = -1;
}

void ChildProcess::CloseInput() {
    if (m_in >= 0) close(m_in);
    m_in = -1;
}

ProcessResult ChildProcess::Finish() {
    ProcessResult result;
    CloseInput();
    pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = (m_out >= 0) + (m_err >= 0);
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    m_out = m_err = -1;
    int status = 0;
    if (m_pid > 0 && waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    m_pid = -1;
    return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input) {
    ChildProcess child(argv);
    child.Write(input);
    return child.Finish();
}

#pragma once
// Runs a program as a child process with its standard streams on pipes, for
// tests that drive a built tool exactly as a user or script would.
#include <sys/types.h>

#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }
    void Write(const std::string& text);
    void CloseInput();
    // Closes the test's end of standard output: the child's writes then fail.
    void CloseOutput();
    // Closes the input if still open, reads both outputs to their end and waits.
    ProcessResult Finish();

private:
    pid_t m_pid = -1;
    int m_in = -1, m_out = -1, m_err = -1;
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = std::string());

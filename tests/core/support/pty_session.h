#pragma once
// A program run on a pseudo-terminal of its own, as a shell with job control
// runs it: in a process group of its own that owns the terminal, under a
// parent in the same session, so that Ctrl-Z stops it as at a real terminal.
#include <sys/types.h>

#include <string>
#include <vector>

class PtySession {
public:
    explicit PtySession(const std::vector<std::string>& argv);
    ~PtySession();
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;

    // The program's process id (its parent stands in for the shell).
    pid_t Pid() const { return m_program; }
    // Reads the terminal until `text` has shown up since the last call
    // (generous bound); what was read stays in Seen().
    bool WaitFor(const std::string& text);
    bool WaitUntilStopped();
    void Type(const std::string& text);
    // Whether the terminal echoes typed keys now.
    bool Echoes() const;
    // Reads to the end; the program's exit status, or 128 + the signal that ended it.
    int Finish();
    const std::string& Seen() const { return m_seen; }

private:
    int m_master = -1;
    pid_t m_shell = -1;
    pid_t m_program = -1;
    std::string m_seen;
    std::size_t m_checked = 0;
};

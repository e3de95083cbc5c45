#pragma once
// Where the portable core sends the messages a user must see. The Windows
// program shows a message box captioned "Pellucorda"; the command-line tool
// writes to standard error; tests record them.

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const char* text) = 0;
};

// Each message as one line on standard error, after a prefix (a program's
// name and ": ", say). The default sink of POSIX builds, and the tool's on
// every platform.
class StandardErrorSink : public MessageSink {
public:
    explicit StandardErrorSink(const char* prefix = "") : m_prefix(prefix) {}
    void ShowMessage(const char* text) override;

private:
    const char* m_prefix;
};

// The sink used when none was set: the platform's default for this build.
MessageSink& DefaultMessageSink();

#pragma once
// Where the command-line tool's messages go: standard error; tests record
// them.

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const char* text) = 0;
};

// Each message as one line on standard error, after a prefix (a program's
// name and ": ", say). The tool's on every platform.
class StandardErrorSink : public MessageSink {
public:
    explicit StandardErrorSink(const char* prefix = "") : m_prefix(prefix) {}
    void ShowMessage(const char* text) override;

private:
    const char* m_prefix;
};

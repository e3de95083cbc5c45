#pragma once
// Where the portable core sends the messages a user must see. The Windows
// program shows a message box captioned "Pellucorda"; the command-line tool
// writes to standard error; tests record them.

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const char* text) = 0;
};

// The sink used when none was set: the platform's default for this build.
MessageSink& DefaultMessageSink();

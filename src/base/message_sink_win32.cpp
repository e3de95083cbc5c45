#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "base/message_sink.h"

namespace {
class MessageBoxSink : public MessageSink {
public:
    void ShowMessage(const char* text) override {
        MessageBoxA(GetActiveWindow(), text != nullptr ? text : "", "Pellucorda", MB_OK | MB_ICONEXCLAMATION);
    }
};
}  // namespace

MessageSink& DefaultMessageSink() {
    static MessageBoxSink sink;
    return sink;
}

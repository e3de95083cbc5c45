#include <cstdio>

#include "platform/message_sink.h"

namespace {
class StandardErrorSink : public MessageSink {
public:
    void ShowMessage(const char* text) override { std::fprintf(stderr, "%s\n", text != nullptr ? text : ""); }
};
}  // namespace

MessageSink& DefaultMessageSink() {
    static StandardErrorSink sink;
    return sink;
}

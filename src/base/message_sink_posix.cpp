#include "base/message_sink.h"

MessageSink& DefaultMessageSink() {
    static StandardErrorSink sink;
    return sink;
}

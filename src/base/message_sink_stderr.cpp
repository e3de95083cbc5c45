#include <cstdio>

#include "base/message_sink.h"

void StandardErrorSink::ShowMessage(const char* text) {
    std::fprintf(stderr, "%s%s\n", m_prefix, text != nullptr ? text : "");
}

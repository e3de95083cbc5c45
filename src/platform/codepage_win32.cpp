#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/codepage.h"

namespace {
LeadByteTest g_leadByteTest = nullptr;
}  // namespace

bool IsAnsiLeadByte(unsigned char byte) {
    if (g_leadByteTest != nullptr) return g_leadByteTest(byte);
    return IsDBCSLeadByte(byte) != FALSE;
}

void SetLeadByteTest(LeadByteTest test) { g_leadByteTest = test; }

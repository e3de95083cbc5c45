#include "platform/codepage.h"

namespace {
LeadByteTest g_leadByteTest = nullptr;
}  // namespace

bool IsAnsiLeadByte(unsigned char byte) { return g_leadByteTest != nullptr && g_leadByteTest(byte); }

void SetLeadByteTest(LeadByteTest test) { g_leadByteTest = test; }

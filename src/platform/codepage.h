#pragma once
// Lead-byte test of the ANSI code page, so that text searches never start a
// match on the trail byte of a double-byte character.

using LeadByteTest = bool (*)(unsigned char byte);

// The Windows build asks the system; elsewhere the default is a single-byte
// code page (no lead bytes).
bool IsAnsiLeadByte(unsigned char byte);

// Replaces the test (nullptr restores the platform's); for tests.
void SetLeadByteTest(LeadByteTest test);

#pragma once
// Constant tables of the Rijndael cipher, built into the program.
// Words hold a state column with row 0 in the most significant byte; table k
// of a set is table 0 rotated right by 8*k bits.
#include <cstdint>

extern const std::uint8_t kSBox[256];
extern const std::uint8_t kInvSBox[256];
// SubBytes + ShiftRows + MixColumns of one byte at row position k.
extern const std::uint32_t kFwdTable[4][256];
// InvSubBytes + InvShiftRows + InvMixColumns of one byte at row position k.
extern const std::uint32_t kInvTable[4][256];
// InvMixColumns of one round-key byte at row position k.
extern const std::uint32_t kKeyInvMix[4][256];
// Successive powers of x (0x02) in GF(2^8), starting at 0x01.
extern const std::uint8_t kRoundConstants[30];

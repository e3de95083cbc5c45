#pragma once
#include <cstdint>

// Rijndael with 128-bit blocks (AES), table-driven on 32-bit words.
// Result codes: 0 set up / nothing to do, positive bits processed,
// negative the error codes below.
class CRijndael {
public:
    enum Mode { ECB = 0, CBC = 1, CFB1 = 2 };
    enum Direction { Encrypt = 0, Decrypt = 1 };
    enum KeyLength { Key16Bytes = 0, Key24Bytes = 1, Key32Bytes = 2 };
    enum Result {
        RE_UNSUPPORTED_MODE = -1,
        RE_UNSUPPORTED_DIRECTION = -2,
        RE_UNSUPPORTED_KEY_LENGTH = -3,
        RE_NO_KEY = -4,
        RE_NOT_SET_UP = -5,
        RE_WRONG_DIRECTION = -6,
    };

    CRijndael();
    ~CRijndael();
    CRijndael(const CRijndael&) = delete;
    CRijndael& operator=(const CRijndael&) = delete;

    int Setup(int mode, int direction, const std::uint8_t* key, int keyLengthCode,
              const std::uint8_t* initVector = nullptr);
    int EncryptBlocks(const std::uint8_t* input, int lengthInBits, std::uint8_t* output);
    int DecryptBlocks(const std::uint8_t* input, int lengthInBits, std::uint8_t* output);

private:
    void EncryptBlock(const std::uint8_t in[16], std::uint8_t out[16]) const;
    void DecryptBlock(const std::uint8_t in[16], std::uint8_t out[16]) const;

    bool m_valid;
    int m_mode;
    int m_direction;
    std::uint8_t m_initVector[16];
    int m_rounds;
    std::uint32_t m_expandedKey[15][4];
};

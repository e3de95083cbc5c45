#pragma once
#include <cstdint>

// Rijndael with 128-bit blocks (AES), table-driven on 32-bit words.
// Result codes: 0 set up / nothing to do, positive bits processed,
// negative the error codes below.
//
// Every EncryptBlocks / DecryptBlocks call starts its chain from the initial
// vector given to Setup. Input and output may be the same buffer (but must not
// otherwise overlap). No allocation anywhere.
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
    ~CRijndael();  // wipes the key schedule
    CRijndael(const CRijndael&) = delete;
    CRijndael& operator=(const CRijndael&) = delete;

    // keyLengthCode: 0 = 16 bytes, 1 = 24, 2 = 32. No initial vector means 16 zero bytes.
    // CFB1 runs on the encryption schedule in both directions.
    int Setup(int mode, int direction, const std::uint8_t* key, int keyLengthCode,
              const std::uint8_t* initVector = nullptr);
    // Process lengthInBits / 128 whole blocks; trailing bytes are left untouched.
    // Returns the bits processed, 0 for no input, no output or length <= 0.
    int EncryptBlocks(const std::uint8_t* input, int lengthInBits, std::uint8_t* output);
    int DecryptBlocks(const std::uint8_t* input, int lengthInBits, std::uint8_t* output);

private:
    void ExpandKey(const std::uint8_t* key, int keyWords);
    void ConvertScheduleForDecryption();
    void CfbOneBit(const std::uint8_t* input, int blocks, std::uint8_t* output, bool decrypting) const;

    bool m_valid;
    int m_mode;
    int m_direction;
    std::uint8_t m_initVector[16];
    int m_rounds;
    std::uint32_t m_expandedKey[15][4];
};

#include <gtest/gtest.h>

#include <cstring>

#include "crypto/secure_wipe.h"

TEST(SecureWipe, ZeroesEveryByteAndToleratesEmptyInput) {
    unsigned char secret[37];
    std::memset(secret, 0xA5, sizeof secret);
    SecureWipe(secret + 1, sizeof secret - 2);
    EXPECT_EQ(secret[0], 0xA5);
    for (std::size_t i = 1; i + 1 < sizeof secret; ++i) EXPECT_EQ(secret[i], 0) << i;
    EXPECT_EQ(secret[sizeof secret - 1], 0xA5);
    SecureWipe(nullptr, 10);
    SecureWipe(secret, 0);
    EXPECT_EQ(secret[0], 0xA5);
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/secure_wipe.h"

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

TEST(SecureWipe, WipeStringReachesBytesAShorterTextLeftBehind) {
    std::string text(40, 'S');
    const char* buffer = text.data();
    text.assign("short");  // fits the same allocation, leaving 'S' after it
    ASSERT_EQ(text.data(), buffer);
    const std::size_t capacity = text.capacity();
    WipeString(text);
    EXPECT_TRUE(text.empty());
    ASSERT_EQ(text.data(), buffer);
    for (std::size_t i = 0; i < capacity; ++i) EXPECT_EQ(buffer[i], 0) << i;
}

#include <gtest/gtest.h>

#include <cstring>

#include "core/vault/login_item.h"

TEST(LoginItem, CodesOutsideTheNameTableShowAsUnknown) {
    EXPECT_STREQ(AddressTypeName(4), "LOCAL");
    EXPECT_STREQ(AddressTypeName(7), "RESERVED");
    EXPECT_STREQ(AddressTypeName(-1), "UNKNOWN");
    EXPECT_STREQ(AddressTypeName(8), "UNKNOWN");
    EXPECT_STREQ(AddressTypeName(INT32_MIN), "UNKNOWN");
}

TEST(LoginItem, CopyFromCutsFullFieldsAndZeroFillsBehindShortOnes) {
    LoginItem source;
    std::memset(&source, 'x', sizeof source);  // every field full, none terminated
    source.addressType = 3;
    LoginItem target;
    target.CopyFrom(source);
    EXPECT_EQ(target.addressType, 3);
    EXPECT_EQ(std::strlen(target.serviceName), 63u);
    EXPECT_EQ(std::strlen(target.userName), 31u);
    EXPECT_EQ(std::strlen(target.password), 31u);
    EXPECT_EQ(std::strlen(target.serviceAddress), 511u);
    EXPECT_EQ(std::strlen(target.description), 1023u);

    // Copying a short text over the long one leaves nothing of it behind.
    LoginItem shorter;
    shorter.Clear();
    std::strcpy(shorter.serviceName, "mail");
    target.CopyFrom(shorter);
    for (std::size_t i = 4; i < sizeof target.serviceName; ++i) ASSERT_EQ(target.serviceName[i], 0) << i;
    LoginItem cleared;
    cleared.Clear();
    EXPECT_EQ(std::memcmp(target.description, cleared.description, sizeof cleared.description), 0);
    EXPECT_EQ(target.addressType, 0);
}

TEST(LoginItem, CopyOntoItselfChangesNothing) {
    LoginItem item;
    std::memset(&item, 'y', sizeof item);
    item.CopyFrom(item);
    // A real copy would have cut every field to width minus one.
    EXPECT_EQ(item.serviceName[63], 'y');
    EXPECT_EQ(item.description[1023], 'y');
}

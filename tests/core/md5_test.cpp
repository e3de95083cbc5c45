#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/crypto/md5.h"

namespace {

std::string Hex(const unsigned char* bytes, std::size_t n) {
    std::string s;
    char two[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        s += two;
    }
    return s;
}

std::string DigestOf(CMD5& md5) {
    unsigned char digest[16];
    md5.Final(digest);
    return Hex(digest, sizeof digest);
}

std::string Md5Hex(const std::string& message) {
    CMD5 md5;
    md5.Update(reinterpret_cast<const unsigned char*>(message.data()), static_cast<std::uint32_t>(message.size()));
    return DigestOf(md5);
}

TEST(Md5, Rfc1321TestSuite) {
    const struct {
        const char* message;
        const char* digest;
    } suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
         "7890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : suite) {
        EXPECT_EQ(Md5Hex(c.message), c.digest) << '"' << c.message << '"';
    }
}

TEST(Md5, OneMillionA) {
    const std::vector<unsigned char> as(1000000, 'a');
    CMD5 md5;
    md5.Update(as.data(), static_cast<std::uint32_t>(as.size()));
    EXPECT_EQ(DigestOf(md5), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, UpdateInOddPiecesGivesTheOneShotDigest) {
    std::vector<unsigned char> message(1500);
    for (std::size_t i = 0; i < message.size(); ++i) {
        message[i] = static_cast<unsigned char>(i * 131 + 7);
    }
    CMD5 whole;
    whole.Update(message.data(), static_cast<std::uint32_t>(message.size()));
    const std::string expected = DigestOf(whole);

    // Pieces that land on, just before and just after block boundaries, and
    // empty updates in between, which must change nothing.
    const std::uint32_t pieces[] = {1, 0, 3, 60, 63, 64, 65, 127, 128, 129, 7, 0, 500};
    CMD5 md5;
    std::size_t offset = 0;
    for (std::uint32_t piece : pieces) {
        md5.Update(message.data() + offset, piece);
        offset += piece;
    }
    md5.Update(nullptr, 0);
    md5.Update(message.data() + offset, static_cast<std::uint32_t>(message.size() - offset));
    EXPECT_EQ(DigestOf(md5), expected);
}

TEST(Md5, FinalStartsTheNextMessage) {
    CMD5 md5;
    md5.Update(reinterpret_cast<const unsigned char*>("abc"), 3);
    EXPECT_EQ(DigestOf(md5), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(DigestOf(md5), "d41d8cd98f00b204e9800998ecf8427e");
    md5.Update(reinterpret_cast<const unsigned char*>("message digest"), 14);
    EXPECT_EQ(DigestOf(md5), "f96b697d7cb7938d525a2f31aaf161d0");

    // Init in the middle of a message throws the message away.
    md5.Update(reinterpret_cast<const unsigned char*>("xyz"), 3);
    md5.Init();
    md5.Update(reinterpret_cast<const unsigned char*>("a"), 1);
    EXPECT_EQ(DigestOf(md5), "0cc175b9c0f1b6a831c399e269772661");
}

// The count's low word overflows after half a gigabyte of message.
TEST(Md5, BitCountCarriesIntoTheHighWord) {
    CMD5 md5;
    const std::vector<unsigned char> zeros(std::size_t{1} << 20);
    const auto chunk = static_cast<std::uint32_t>(zeros.size());
    for (int i = 0; i < 511; ++i) md5.Update(zeros.data(), chunk);
    md5.Update(zeros.data(), chunk - 1);
    EXPECT_EQ(md5.BitCount(), 0xFFFFFFF8u) << "one byte short of 2^32 bits";
    md5.Update(zeros.data(), 1);
    EXPECT_EQ(md5.BitCount(), std::uint64_t{1} << 32);
    md5.Update(zeros.data(), 3);
    EXPECT_EQ(md5.BitCount(), (std::uint64_t{1} << 32) + 24);

    // Final appends both words: 2^29 + 3 zero bytes.
    EXPECT_EQ(DigestOf(md5), "f477dd2300ffb741b990c4eac208d915");
}

}  // namespace

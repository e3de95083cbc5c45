#include <argon2.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "core/crypto/argon2.h"
#include "support/hex.h"

namespace {

// RFC 9106 section 5: m = 32 KiB, t = 3, p = 4, with a secret and associated data.
TEST(Argon2, Rfc9106Vectors) {
    const struct {
        Argon2Type type;
        const char* tag;
    } cases[] = {
        {Argon2Type::D, "512b391b6f1162975371d30919734294f868e3be3984f3c1a13a4db9fabe4acb"},
        {Argon2Type::I, "c814d9d1dc7f37aa13f0d77f2494bda1c8de6b016dd388d29952a4c4672b6ce8"},
        {Argon2Type::Id, "0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659"},
    };
    const Bytes password(32, 1), salt(16, 2), secret(8, 3), associated(12, 4);
    const Argon2Input input{password.data(), 32, salt.data(), 16, secret.data(), 8, associated.data(), 12};
    for (const auto& c : cases) {
        Bytes tag(32);
        ASSERT_EQ(Argon2Hash(c.type, {32, 3, 4}, input, tag.data(), tag.size()), Argon2Result::Ok);
        EXPECT_EQ(ToHex(tag), c.tag) << "type " << static_cast<int>(c.type);
    }
}

TEST(Argon2, BadParametersAreRefusedWithoutWritingTheTag) {
    struct Call {
        Argon2Type type;
        Argon2Parameters p;
        Argon2Input in;
        std::size_t tagLength;
    };
    const std::function<void(Call&)> faults[] = {
        [](Call& c) { c.p.memoryKiB = 8 * c.p.lanes - 1; },
        [](Call& c) { c.p.passes = 0; },
        [](Call& c) { c.p.lanes = 0; },
        [](Call& c) { c.p.lanes = 0x1000000, c.p.memoryKiB = 0xFFFFFFFF; },
        [](Call& c) { c.p.version = 0x10; },
        [](Call& c) { c.type = static_cast<Argon2Type>(3); },
        [](Call& c) { c.in.saltLength = 7; },
        [](Call& c) { c.in.salt = nullptr; },
        [](Call& c) { c.in.password = nullptr; },
        [](Call& c) { c.tagLength = 3; },
    };
    const Bytes password(8, 1), salt(16, 2);
    int row = 0;
    for (const auto& fault : faults) {
        Call call{Argon2Type::Id, {64, 1, 2}, {password.data(), password.size(), salt.data(), salt.size()}, 16};
        fault(call);
        Bytes tag(16, 0xAA);
        EXPECT_EQ(Argon2Hash(call.type, call.p, call.in, tag.data(), call.tagLength), Argon2Result::BadParameters)
            << "row " << row;
        EXPECT_EQ(tag, Bytes(16, 0xAA)) << "row " << row++;
    }
    EXPECT_EQ(Argon2Hash(Argon2Type::Id, {64, 1, 2}, {password.data(), 8, salt.data(), 16}, nullptr, 16),
              Argon2Result::BadParameters);
}

// Against Debian's libargon2 with small random memory, passes, lanes, tag
// lengths (across the 64-byte step of H') and inputs.
TEST(Argon2, AgreesWithLibargon2) {
    const unsigned seed = 9106;
    std::mt19937 random(seed);
    const auto draw = [&random](std::size_t low, std::size_t high) { return low + random() % (high - low + 1); };
    const auto bytes = [&random](std::size_t n) {
        Bytes b(n);
        for (auto& x : b) x = static_cast<std::uint8_t>(random());
        return b;
    };
    for (int i = 0; i < 120; ++i) {
        const auto type = static_cast<Argon2Type>(i % 3);
        const auto lanes = static_cast<std::uint32_t>(draw(1, 4));
        const auto memory = static_cast<std::uint32_t>(draw(std::size_t{8} * lanes, 256));
        const auto passes = static_cast<std::uint32_t>(draw(1, 3));
        const std::size_t tagLength = draw(4, 130);
        Bytes password = bytes(draw(0, 40)), salt = bytes(draw(8, 32)), secret = bytes(draw(0, 16) * (i % 2)),
              associated = bytes(draw(0, 16));
        const Argon2Input in{password.data(), password.size(), salt.data(),       salt.size(),
                             secret.data(),   secret.size(),   associated.data(), associated.size()};
        Bytes ours(tagLength), reference(tagLength);
        ASSERT_EQ(Argon2Hash(type, {memory, passes, lanes}, in, ours.data(), tagLength), Argon2Result::Ok);

        argon2_context context{};
        context.out = reference.data(), context.outlen = static_cast<std::uint32_t>(tagLength);
        context.pwd = password.data(), context.pwdlen = static_cast<std::uint32_t>(password.size());
        context.salt = salt.data(), context.saltlen = static_cast<std::uint32_t>(salt.size());
        context.secret = secret.data(), context.secretlen = static_cast<std::uint32_t>(secret.size());
        context.ad = associated.data(), context.adlen = static_cast<std::uint32_t>(associated.size());
        context.t_cost = passes, context.m_cost = memory, context.lanes = lanes, context.threads = 1;
        context.version = ARGON2_VERSION_13;
        ASSERT_EQ(argon2_ctx(&context, static_cast<argon2_type>(type)), ARGON2_OK);
        EXPECT_EQ(ToHex(ours), ToHex(reference))
            << "seed " << seed << ", case " << i << ": type " << i % 3 << ", m " << memory << ", t " << passes << ", p "
            << lanes << ", tag " << tagLength << ", password " << ToHex(password) << ", salt " << ToHex(salt)
            << ", secret " << ToHex(secret) << ", associated " << ToHex(associated);
    }
}

}  // namespace

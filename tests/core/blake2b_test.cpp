#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/crypto/blake2b.h"
#include "support/hex.h"
#include "support/process_runner.h"

namespace {

Bytes Counting(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i);
    return b;
}

std::string Digest(std::size_t outLength, const Bytes& message, const Bytes& key = {}) {
    std::uint8_t out[kBlake2bMaxOutput];
    Blake2bHash(out, outLength, message.data(), message.size(), key.data(), key.size());
    return ToHex(out, outLength);
}

// RFC 7693 appendix A, then the keyed known answers (key 00..3f, message
// 00..n-1) around the block boundary, and a short key with a short digest.
TEST(Blake2b, KnownAnswers) {
    const struct {
        std::size_t outLength, keyLength, messageLength;
        const char* digest;
    } cases[] = {
        {64, 0, 0,
         "786a02f742015903c6c6fd852552d272912f4740e15847618a86e217f71f5419d25e1031afee585313896444934eb04b903a685b1448b"
         "75"
         "5d56f701afe9be2ce"},
        {64, 64, 0,
         "10ebb67700b1868efb4417987acf4690ae9d972fb7a590c2f02871799aaa4786b5e996e8f0f4eb981fc214b005f42d2ff423349939165"
         "3d"
         "f7aefcbc13fc51568"},
        {64, 64, 1,
         "961f6dd1e4dd30f63901690c512e78e4b45e4742ed197c3c5e45c549fd25f2e4187b0bc9fe30492b16b0d0bc4ef9b0f34c7003fac09a5"
         "ef"
         "1532e69430234cebd"},
        {64, 64, 127,
         "76d2d819c92bce55fa8e092ab1bf9b9eab237a25267986cacf2b8ee14d214d730dc9a5aa2d7b596e86a1fd8fa0804c77402d2fcd45083"
         "68"
         "8b218b1cdfa0dcbcb"},
        {64, 64, 128,
         "72065ee4dd91c2d8509fa1fc28a37c7fc9fa7d5b3f8ad3d0d7a25626b57b1b44788d4caf806290425f9890a3a2a35a905ab4b37acfd0d"
         "a6"
         "e4517b2525c9651e4"},
        {64, 64, 129,
         "64475dfe7600d7171bea0b394e27c9b00d8e74dd1e416a79473682ad3dfdbb706631558055cfc8a40e07bd015a4540dcdea15883cbbf3"
         "14"
         "12df1de1cd4152b91"},
        {64, 64, 255,
         "142709d62e28fcccd0af97fad0f8465b971e82201dc51070faa0372aa43e92484be1c1e73ba10906d5d1853db6a4106e0a7bf9800d373"
         "d6"
         "dee2d46d62ef2a461"},
        {32, 16, 0, "037c7d740ea795902b5aebe210fafffff1f627f74010f8dc79c0d5b8a9fb5847"},
    };
    EXPECT_EQ(
        Digest(64, {'a', 'b', 'c'}),
        "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d17d87c5392aab792dc252d5de4533cc9518d38aa8db"
        "f1925ab92386edd4009923");
    for (const auto& c : cases) {
        EXPECT_EQ(Digest(c.outLength, Counting(c.messageLength), Counting(c.keyLength)), c.digest)
            << "key " << c.keyLength << " message " << c.messageLength;
    }
}

TEST(Blake2b, UpdateInOddPiecesGivesTheOneShotDigest) {
    const Bytes message = Counting(1500);
    for (const Bytes& key : {Bytes{}, Counting(37)}) {
        const std::size_t pieces[] = {1, 0, 3, 124, 127, 128, 129, 0, 255, 256, 257, 7, 213};
        Blake2b hash(48, key.data(), key.size());
        std::size_t offset = 0;
        for (std::size_t piece : pieces) {
            hash.Update(message.data() + offset, piece);
            offset += piece;
        }
        ASSERT_EQ(offset, message.size());
        std::uint8_t out[48];
        hash.Final(out);
        EXPECT_EQ(ToHex(out, sizeof out), Digest(48, message, key)) << "key " << key.size();
    }
}

TEST(Blake2b, OutOfRangeLengthsAreClampedAndWriteNoFurther) {
    Bytes out(80, 0xAA);
    Blake2bHash(out.data(), 100, "abc", 3, Counting(100).data(), 100);
    EXPECT_EQ(ToHex(out.data(), 64), Digest(64, {'a', 'b', 'c'}, Counting(64)));
    EXPECT_EQ(Bytes(out.begin() + 64, out.end()), Bytes(16, 0xAA));
    const Bytes before = out;
    Blake2bHash(out.data(), 0, "abc", 3);
    EXPECT_EQ(ToHex(out.data(), 1), Digest(1, {'a', 'b', 'c'}));
    EXPECT_EQ(Bytes(out.begin() + 1, out.end()), Bytes(before.begin() + 1, before.end()));
}

// Against Python's hashlib on random keys, messages and digest lengths.
TEST(Blake2b, AgreesWithPythonHashlib) {
    const unsigned seed = 20261208;
    std::mt19937 random(seed);
    const std::size_t edges[] = {0, 1, 63, 64, 65, 127, 128, 129, 255, 256, 257};
    std::vector<std::string> argv = {PELLUCORDA_PYTHON, "-c",
                                     "import hashlib, sys\n"
                                     "for a in sys.argv[1:]:\n"
                                     "    n, k, m = a.split(':')\n"
                                     "    print(hashlib.blake2b(bytes.fromhex(m), digest_size=int(n),\n"
                                     "                          key=bytes.fromhex(k)).hexdigest())\n"};
    std::vector<std::string> ours;
    for (int i = 0; i < 300; ++i) {
        const std::size_t length = i < 66 ? edges[i % 11] : random() % 1100;
        const std::size_t keyLength = i % 3 == 0 ? 0 : random() % 65;
        const std::size_t outLength = i < 64 ? i + 1 : 1 + random() % 64;
        Bytes message(length), key(keyLength);
        for (auto& b : message) b = static_cast<std::uint8_t>(random());
        for (auto& b : key) b = static_cast<std::uint8_t>(random());
        argv.push_back(std::to_string(outLength) + ":" + ToHex(key) + ":" + ToHex(message));
        ours.push_back(Digest(outLength, message, key));
    }
    const ProcessResult python = RunProcess(argv);
    ASSERT_EQ(python.status, 0) << python.err;
    std::size_t line = 0, begin = 0;
    for (std::size_t end; (end = python.out.find('\n', begin)) != std::string::npos; begin = end + 1, ++line) {
        ASSERT_LT(line, ours.size());
        EXPECT_EQ(ours[line], python.out.substr(begin, end - begin))
            << "seed " << seed << ", case " << line << ": " << argv[line + 3];
    }
    EXPECT_EQ(line, ours.size());
}

}  // namespace

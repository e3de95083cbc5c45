// Throughput of the digest and of the vault cipher over the largest vault
// image (100 items: 166,864 bytes).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/crypto/md5.h"
#include "core/crypto/password_crypto.h"

namespace {

constexpr std::uint32_t kImageBytes = 166864;
static_assert(kImageBytes % 16 == 0, "the vault image is whole cipher blocks");

std::vector<std::uint8_t> Image() {
    std::vector<std::uint8_t> image(kImageBytes);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    }
    return image;
}

void BM_Md5(benchmark::State& state) {
    const std::vector<std::uint8_t> image = Image();
    unsigned char digest[16];
    CMD5 md5;
    for (auto _ : state) {
        md5.Update(image.data(), kImageBytes);
        md5.Final(digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
    state.SetLabel("md5 MB/s");
}
BENCHMARK(BM_Md5);

void BM_Aes128CbcEncrypt(benchmark::State& state) {
    std::vector<std::uint8_t> image = Image();
    std::uint8_t key[kDigestSize];
    DigestPassword("benchmark", key);
    for (auto _ : state) {
        EncryptBuffer(image.data(), kImageBytes / 16, key);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
    state.SetLabel("aes128cbc_encrypt MB/s");
}
BENCHMARK(BM_Aes128CbcEncrypt);

void BM_Aes128CbcDecrypt(benchmark::State& state) {
    std::vector<std::uint8_t> image = Image();
    std::uint8_t key[kDigestSize];
    DigestPassword("benchmark", key);
    for (auto _ : state) {
        DecryptBuffer(image.data(), kImageBytes / 16, key);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
    state.SetLabel("aes128cbc_decrypt MB/s");
}
BENCHMARK(BM_Aes128CbcDecrypt);

}  // namespace

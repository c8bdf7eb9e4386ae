// CRC-32 over an 8 MiB firmware image: the library's sliced code against
// zlib's crc32 on the same bytes in the same run. The two differ only in the
// final inversion, which each run checks before it measures.
#include "flashlib.h"
#include "../test/testdata.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

namespace {

constexpr size_t kImage = 8 << 20;

const testdata::Bytes &image()
{
    static const testdata::Bytes bytes = testdata::random_bytes(kImage, 42);
    return bytes;
}

bool same_checksum()
{
    const testdata::Bytes &b = image();
    uint32_t ours = crc32buf(b.data(), b.size());
    uint32_t theirs = uint32_t(crc32(0L, b.data(), uInt(b.size())));
    return ours == (theirs ^ 0xFFFFFFFFu);
}

// Byte at a time with the one 256-entry table: what slicing replaces.
uint32_t bytewise(const uint8_t *p, size_t n)
{
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            table[i] = c;
        }
    uint32_t crc = 0xFFFFFFFFu;
    while (n--)
        crc = (crc >> 8) ^ table[(crc ^ *p++) & 0xFF];
    return crc;
}

void BM_Crc32Library(benchmark::State &state)
{
    if (!same_checksum()) {
        state.SkipWithError("library and zlib disagree beyond the final inversion");
        return;
    }
    const testdata::Bytes &b = image();
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32buf(b.data(), b.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(b.size()));
}

void BM_Crc32Zlib(benchmark::State &state)
{
    const testdata::Bytes &b = image();
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0L, b.data(), uInt(b.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(b.size()));
}

void BM_Crc32Bytewise(benchmark::State &state)
{
    const testdata::Bytes &b = image();
    if (bytewise(b.data(), b.size()) != crc32buf(b.data(), b.size())) {
        state.SkipWithError("byte-at-a-time baseline disagrees");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(bytewise(b.data(), b.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(b.size()));
}

} // namespace

BENCHMARK(BM_Crc32Zlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32Bytewise)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

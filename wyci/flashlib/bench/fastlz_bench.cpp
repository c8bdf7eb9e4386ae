// Level-1 codec speed on 64 KiB of configuration text and of random bytes:
// both encoder tiers and the decoder, against LZ4 (the baseline, benchmark
// only) and a plain copy of the same 64 KiB, measured in the same run.
#include "flashlib.h"
#include "../test/testdata.h"

#include <benchmark/benchmark.h>
#include <lz4.h>

#include <cstring>
#include <vector>

namespace {

enum Codec { kFast, kOptimal, kLz4 };

std::vector<char> input(int kind)
{
    testdata::Bytes bytes = kind == 0 ? testdata::read_file(testdata::vectors_dir() / "romfile_65536.in")
                                      : testdata::random_bytes(65536, 1);
    return std::vector<char>(bytes.begin(), bytes.end());
}

const char *label(int kind, int codec)
{
    static const char *const names[2][3] = {{"config text, fast", "config text, optimal", "config text, lz4"},
                                            {"random, fast", "random, optimal", "random, lz4"}};
    return names[kind][codec];
}

int compress(int codec, const std::vector<char> &in, std::vector<char> &out)
{
    switch (codec) {
    case kFast:
        return fastlz_compress(in.data(), int(in.size()), out.data());
    case kOptimal:
        return fastlz_compress_optimal(in.data(), int(in.size()), out.data());
    default:
        return LZ4_compress_default(in.data(), out.data(), int(in.size()), int(out.size()));
    }
}

int decompress(int codec, const std::vector<char> &packed, int n, std::vector<char> &out)
{
    if (codec == kLz4)
        return LZ4_decompress_safe(packed.data(), out.data(), n, int(out.size()));
    return fastlz_decompress(packed.data(), n, out.data(), int(out.size()));
}

bool load(benchmark::State &state, std::vector<char> &in)
{
    in = input(int(state.range(0)));
    if (in.size() != 65536) {
        state.SkipWithError("reference vectors missing");
        return false;
    }
    return true;
}

std::vector<char> out_area(size_t n)
{
    return std::vector<char>(size_t(LZ4_compressBound(int(n))) + n / 32 + 1);
}

void BM_Copy(benchmark::State &state)
{
    std::vector<char> in = input(int(state.range(0)));
    std::vector<char> out(in.size());
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
    state.SetLabel(state.range(0) == 0 ? "config text" : "random");
}

void BM_Compress(benchmark::State &state)
{
    std::vector<char> in;
    if (!load(state, in))
        return;
    const int codec = int(state.range(1));
    std::vector<char> out = out_area(in.size());
    int n = 0;
    for (auto _ : state) {
        n = compress(codec, in, out);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
    state.counters["ratio"] = double(n) / double(in.size());
    state.SetLabel(label(int(state.range(0)), codec));
}

void BM_Decompress(benchmark::State &state)
{
    std::vector<char> in;
    if (!load(state, in))
        return;
    const int codec = int(state.range(1));
    std::vector<char> packed = out_area(in.size());
    const int n = compress(codec, in, packed);
    std::vector<char> out(in.size());
    int r = 0;
    for (auto _ : state) {
        r = decompress(codec, packed, n, out);
        benchmark::DoNotOptimize(r);
    }
    if (r != int(in.size()) || std::memcmp(out.data(), in.data(), in.size()) != 0)
        state.SkipWithError("decoding failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
    state.counters["ratio"] = double(n) / double(in.size());
    state.SetLabel(label(int(state.range(0)), codec));
}

} // namespace

BENCHMARK(BM_Copy)->Arg(0)->Arg(1);
BENCHMARK(BM_Compress)->ArgsProduct({{0, 1}, {kLz4, kFast, kOptimal}});
BENCHMARK(BM_Decompress)->ArgsProduct({{0, 1}, {kLz4, kFast, kOptimal}});
BENCHMARK_MAIN();

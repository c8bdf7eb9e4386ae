// Level-1 codec speed on 64 KiB of configuration text and of random bytes,
// against a plain copy of the same 64 KiB measured in the same run.
#include "flashlib.h"
#include "../test/testdata.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<char> input(int kind)
{
    testdata::Bytes bytes = kind == 0 ? testdata::read_file(testdata::vectors_dir() / "romfile_65536.in")
                                      : testdata::random_bytes(65536, 1);
    return std::vector<char>(bytes.begin(), bytes.end());
}

const char *label(int kind)
{
    return kind == 0 ? "config text" : "random";
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
    state.SetLabel(label(int(state.range(0))));
}

void BM_Compress(benchmark::State &state)
{
    std::vector<char> in = input(int(state.range(0)));
    if (in.size() != 65536) {
        state.SkipWithError("reference vectors missing (set WY_FASTLZ_VECTORS)");
        return;
    }
    std::vector<char> out(in.size() + in.size() / 32 + 1);
    int n = 0;
    for (auto _ : state) {
        n = fastlz_compress(in.data(), int(in.size()), out.data());
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
    state.counters["ratio"] = double(n) / double(in.size());
    state.SetLabel(label(int(state.range(0))));
}

void BM_Decompress(benchmark::State &state)
{
    std::vector<char> in = input(int(state.range(0)));
    if (in.size() != 65536) {
        state.SkipWithError("reference vectors missing (set WY_FASTLZ_VECTORS)");
        return;
    }
    std::vector<char> packed(in.size() + in.size() / 32 + 1);
    int n = fastlz_compress(in.data(), int(in.size()), packed.data());
    std::vector<char> out(in.size());
    for (auto _ : state) {
        int r = fastlz_decompress(packed.data(), n, out.data(), int(out.size()));
        benchmark::DoNotOptimize(r);
        if (r != int(in.size()))
            state.SkipWithError("decoding failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
    state.counters["ratio"] = double(n) / double(in.size());
    state.SetLabel(label(int(state.range(0))));
}

} // namespace

BENCHMARK(BM_Copy)->Arg(0)->Arg(1);
BENCHMARK(BM_Compress)->Arg(0)->Arg(1);
BENCHMARK(BM_Decompress)->Arg(0)->Arg(1);
BENCHMARK_MAIN();

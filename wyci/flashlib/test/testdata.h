// Data the codec's tests and benchmark share: the reference vectors and
// reproducible random bytes. Test code only.
#ifndef WY_FLASHLIB_TESTDATA_H
#define WY_FLASHLIB_TESTDATA_H

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace testdata {

using Bytes = std::vector<uint8_t>;

// WY_FASTLZ_VECTORS, or ../shared/vectors/fastlz beside the checkout.
inline std::filesystem::path vectors_dir()
{
    if (const char *env = std::getenv("WY_FASTLZ_VECTORS"); env && *env)
        return env;
    // Normalised: the benchmark reaches this header as bench/../test/testdata.h.
    std::filesystem::path repo = std::filesystem::absolute(__FILE__)
                                     .lexically_normal()
                                     .parent_path()
                                     .parent_path()
                                     .parent_path()
                                     .parent_path();
    return repo.parent_path() / "shared" / "vectors" / "fastlz";
}

// The whole file; empty when it cannot be read.
inline Bytes read_file(const std::filesystem::path &p)
{
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline Bytes random_bytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto &b : out)
        b = uint8_t(rng());
    return out;
}

} // namespace testdata

#endif

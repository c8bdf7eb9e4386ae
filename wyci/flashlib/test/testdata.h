// Data the codec's tests and benchmark share: the reference vectors and
// reproducible random bytes. Test code only.
#ifndef WY_FLASHLIB_TESTDATA_H
#define WY_FLASHLIB_TESTDATA_H

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace testdata {

using Bytes = std::vector<uint8_t>;

// The reference vectors kept beside these tests; the build passes their folder.
inline std::filesystem::path vectors_dir()
{
    return FASTLZ_VECTORS;
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

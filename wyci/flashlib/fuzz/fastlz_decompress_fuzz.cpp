// fastlz_decompress on hostile streams with any capacity, and the streams of
// both encoder tiers decoding back to their input.
#include "flashlib.h"
#include "wytest/fuzz.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

using wyfuzz::check;

namespace {

std::unique_ptr<uint8_t[]> copy_of(const uint8_t *data, size_t n)
{
    std::unique_ptr<uint8_t[]> p(new uint8_t[n ? n : 1]);
    if (n)
        memcpy(p.get(), data, n);
    return p;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > 200000)
        return 0;
    // Two bytes of capacity, the rest is the stream; both areas exact-sized.
    size_t cap = data[0] | (size_t(data[1]) << 8);
    size_t n = size - 2;
    auto in = copy_of(data + 2, n);
    std::unique_ptr<uint8_t[]> out(new uint8_t[cap ? cap : 1]);
    int r = fastlz_decompress(in.get(), int(n), out.get(), int(cap));
    check(r >= 0 && size_t(r) <= cap);

    // Round trip of the same bytes as plain input, through both encoders.
    size_t bound = n + n / 32 + 1;
    for (auto encode : {fastlz_compress, fastlz_compress_optimal}) {
        std::unique_ptr<uint8_t[]> packed(new uint8_t[bound]);
        int c = encode(in.get(), int(n), packed.get());
        check(c >= 0 && size_t(c) <= bound);
        if (n == 0)
            return 0;
        check((packed[0] >> 5) == 0);
        auto stream = copy_of(packed.get(), size_t(c));
        std::unique_ptr<uint8_t[]> back(new uint8_t[n]);
        check(fastlz_decompress(stream.get(), c, back.get(), int(n)) == int(n));
        check(memcmp(back.get(), in.get(), n) == 0);
        check(fastlz_decompress(stream.get(), c, back.get(), int(n - 1)) == 0);
    }
    return 0;
}

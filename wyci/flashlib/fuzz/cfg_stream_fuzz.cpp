// decompressCfgBufToBuf on hostile block streams, and compressCfgBufToBuf's
// streams decoding back to their input.
#include "flashlib.h"
#include "wytest/fuzz.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <memory>

using wyfuzz::check;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The decoder reports every damaged block on standard output.
    wyfuzz::quiet_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3 || size > 300000)
        return 0;
    // First byte 0: capacity five times the stream, as the readers size it;
    // otherwise two bytes of capacity follow.
    uint32_t cap;
    const uint8_t *s = data + 1;
    size_t n = size - 1;
    if (data[0] == 0) {
        cap = uint32_t(5 * n);
    } else {
        cap = data[1] | (uint32_t(data[2]) << 8);
        s += 2;
        n -= 2;
    }
    std::unique_ptr<char[]> stream(new char[n ? n : 1]);
    if (n)
        memcpy(stream.get(), s, n);
    std::unique_ptr<char[]> out(new char[cap ? cap : 1]());
    uint32_t len = uint32_t(n);
    check(decompressCfgBufToBuf(stream.get(), &len, out.get(), cap) == 0);
    check(len <= cap);

    if (data[0] == 1 && n > 0) {
        uint32_t area = uint32_t(n + n / 32 + 17 * (n / 65536 + 1));
        std::unique_ptr<char[]> packed(new char[area]);
        uint32_t plen = uint32_t(n);
        check(compressCfgBufToBuf(stream.get(), packed.get(), &plen, area) == 0);
        std::unique_ptr<char[]> exact(new char[plen]);
        memcpy(exact.get(), packed.get(), plen);
        std::unique_ptr<char[]> back(new char[n]());
        uint32_t blen = plen;
        check(decompressCfgBufToBuf(exact.get(), &blen, back.get(), uint32_t(n)) == 0);
        check(blen == n && memcmp(back.get(), stream.get(), n) == 0);
    }
    return 0;
}

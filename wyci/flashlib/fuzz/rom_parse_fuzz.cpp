// vr_parseRomFromBuffer over an exact-sized buffer of hostile text.
#include "flashlib.h"
#include "wytest/fuzz.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <memory>

using wyfuzz::check;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    wyfuzz::quiet_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    std::unique_ptr<char[]> buf(new char[size ? size : 1]);
    if (size)
        memcpy(buf.get(), data, size);
    uint32_t n = vr_getRealRom(buf.get(), uint32_t(size));
    if (n > 0) {
        check(n <= size && n >= 19);
        check(memcmp(buf.get(), "<ROMFILE>", 9) == 0);
        check(memcmp(buf.get() + n - 10, "</ROMFILE>", 10) == 0);
        check(memchr(buf.get(), 0, n) == nullptr);
    }
    return 0;
}

// vr_getCompressedConfigFileLength and isCompressedConfigFile over an
// exact-sized 40-byte header of hostile bytes.
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
    std::unique_ptr<char[]> head(new char[CFG_COMPRESSED_HEADER_SIZE]());
    memcpy(head.get(), data, size < CFG_COMPRESSED_HEADER_SIZE ? size : CFG_COMPRESSED_HEADER_SIZE);
    uint32_t len = vr_getCompressedConfigFileLength(head.get());
    check(len <= CFG_MAX_STREAM_LEN);
    if (len > 0)
        check(memchr(head.get(), '>', CFG_COMPRESSED_HEADER_SIZE) != nullptr);
    int tagged = isCompressedConfigFile(head.get());
    check(tagged == (memcmp(head.get(), CFG_COMPRESSED_TAG, 16) == 0));
    return 0;
}

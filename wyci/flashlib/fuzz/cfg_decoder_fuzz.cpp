// vr_configFileLzDecoder on a 64 KiB reader buffer that holds the
// "<compressed len=" tag followed by hostile bytes.
#include "flashlib.h"
#include "wytest/fuzz.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

using wyfuzz::check;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    wyfuzz::quiet_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t kBuf = 65536;
    const size_t kTag = sizeof CFG_COMPRESSED_TAG - 1;
    if (size > kBuf - kTag)
        return 0;
    char *buf = static_cast<char *>(calloc(kBuf, 1));
    if (!buf)
        return 0;
    memcpy(buf, CFG_COMPRESSED_TAG, kTag);
    if (size)
        memcpy(buf + kTag, data, size);
    uint32_t len = 0;
    if (vr_configFileLzDecoder(&buf, &len) == 0)
        check(len <= 16 * CFG_BLOCK_SIZE); // the output's bound, whatever the headers declare
    free(buf);
    return 0;
}

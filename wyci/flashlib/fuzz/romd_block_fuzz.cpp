// ROM-D block parsing over hostile last erase blocks: the first four bytes
// give the erase size, the rest is the block (cut or padded to that size).
// The announced data must lie inside the block, and a reader copying them
// (as vr_getRomdBuf does) stays inside both buffers.
#include "flashlib.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    uint32_t erase = (uint32_t(data[0]) << 16 | uint32_t(data[1]) << 8 | data[2]) % (0x20000 + 1);
    data += 4;
    size -= 4;
    unsigned char *block = static_cast<unsigned char *>(malloc(erase ? erase : 1));
    if (!block)
        return 0;
    memset(block, 0xFF, erase);
    memcpy(block, data, size < erase ? size : erase);
    // The trailer alone, straight from the input, as the first 20 bytes say.
    if (size >= ROMD_TRAILER_SIZE) {
        int n = vr_romd_length(reinterpret_cast<const char *>(data));
        check(n >= 0 && n <= ROMD_MAX_LEN);
    }
    int n = vr_romdBlockLength(block, erase);
    check(n >= 0 && n <= ROMD_MAX_LEN);
    if (n > 0) {
        check(erase >= ROMD_TRAILER_SIZE && uint32_t(n) <= erase - ROMD_TRAILER_SIZE);
        unsigned char *dest = static_cast<unsigned char *>(malloc(ROMD_MAX_LEN));
        if (dest) {
            memcpy(dest, block + erase - ROMD_TRAILER_SIZE - n, size_t(n));
            free(dest);
        }
    }
    free(block);
    return 0;
}

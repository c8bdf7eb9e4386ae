// Firmware validation on a hostile image: tag, sections and a compressed
// default configuration all come from the fuzzer. The first byte puts the tag
// behind a header of up to 63 bytes; the image is the rest.
#include "flashlib.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

int g_fd = -1;
unsigned char g_mrd[MRD_SIZE];

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (!freopen("/dev/null", "w", stdout))
        return 0;
    g_fd = memfd_create("image", 0);
    // The record of a unit the default image builder targets.
    g_mrd[MRD_MODEL_ID + 3] = 1;
    g_mrd[MRD_MODEL_ID + 1] = 1;
    memcpy(g_mrd + MRD_CHIP_ID, "WYSOC1", 6);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (g_fd < 0 || size < 1 || size > (1 << 20))
        return 0;
    const uint32_t offset = data[0] & 63;
    if (ftruncate(g_fd, 0) != 0 || pwrite(g_fd, data + 1, size - 1, 0) != ssize_t(size - 1))
        return 0;
    const uint32_t file_len = uint32_t(size - 1);
    const uint32_t len = file_len > offset ? file_len - offset : 0;
    // Partition sizes around the image length: too small, exact, large.
    const uint32_t parts[] = {len ? len - 1 : 0, len, 0x7C0000u};
    for (uint32_t part : parts) {
        int rc = vr_fwValidateImage("wylinux", part, g_fd, offset, len, g_mrd);
        check(rc == 0 || rc == 1);
        check(part >= len || rc == 0);
    }
    return 0;
}

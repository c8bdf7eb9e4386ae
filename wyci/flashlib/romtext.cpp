// The ROM text: "<ROMFILE>" through the first "</ROMFILE>", measured within
// what was read.
#include "flashlib.h"

#include <stdio.h>
#include <string.h>

namespace {

constexpr char kRomStart[] = "<ROMFILE>";
constexpr uint32_t kRomStartLen = sizeof kRomStart - 1;
constexpr char kRomEnd[] = "</ROMFILE>";
constexpr uint32_t kRomEndLen = sizeof kRomEnd - 1;

// Offset of the first `needle` within hay[0..hay_len), or -1.
long find_text(const char *hay, uint32_t hay_len, const char *needle, uint32_t needle_len)
{
    if (hay_len < needle_len)
        return -1;
    for (uint32_t i = 0; i + needle_len <= hay_len; ++i)
        if (hay[i] == needle[0] && memcmp(hay + i, needle, needle_len) == 0)
            return long(i);
    return -1;
}

} // namespace

extern "C" uint32_t vr_parseRomFromBuffer(const char *buf, uint32_t size)
{
    if (!buf)
        return 0;
    // The text ends at the first NUL or at the end of what was read.
    const void *nul = memchr(buf, '\0', size);
    uint32_t text_len = nul ? uint32_t(static_cast<const char *>(nul) - buf) : size;
    long end = find_text(buf, text_len, kRomEnd, kRomEndLen);
    if (end >= 0 && text_len >= kRomStartLen && memcmp(buf, kRomStart, kRomStartLen) == 0)
        return uint32_t(end) + kRomEndLen;
    if (find_text(buf, text_len, kRomStart, kRomStartLen) >= 0)
        printf("Current ROM file is not valid!\n");
    return 0;
}

extern "C" uint32_t vr_getRealRom(const char *buf, uint32_t size)
{
    if (!buf) {
        printf("Input ROM file buffer is NULL!\n");
        return 0;
    }
    return vr_parseRomFromBuffer(buf, size);
}

// The firmware tag of "wylinux", the boot information of the bootloader and
// the confidential-firmware marker.
#include "flashlib.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>

#include "flashio.h"

namespace {

// Kept for the rest of the process once read; the partition is not rewritten
// while a program that reads it runs.
unsigned char g_tag[FW_TAG_SIZE];
bool g_tag_valid = false;

// The decimal number spelt by the leading decimal digits of `text`, at most
// `digits` of them.
int leading_decimal(const char *text, int digits)
{
    int v = 0;
    for (; digits > 0 && *text >= '0' && *text <= '9'; ++text, --digits)
        v = v * 10 + (*text - '0');
    return v;
}

// A BCD byte as the decimal number its hexadecimal digits spell (0x1A: 1).
int bcd_value(unsigned char b)
{
    char text[4];
    snprintf(text, sizeof text, "%x", b);
    return leading_decimal(text, 2);
}

} // namespace

extern "C" uint32_t vr_getBe32(const unsigned char *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

extern "C" size_t vr_getFieldText(const unsigned char *field, size_t size, char *out, size_t outSize)
{
    const void *nul = memchr(field, '\0', size);
    size_t len = nul ? size_t(static_cast<const unsigned char *>(nul) - field) : size;
    size_t copy = len < outSize - 1 ? len : outSize - 1;
    memcpy(out, field, copy);
    out[copy] = '\0';
    return len;
}

extern "C" int vr_getFWtag(unsigned char *tag)
{
    if (!tag)
        return 0;
    if (!g_tag_valid) {
        wy::Fd fd(vr_open_mtd("wylinux", O_RDONLY));
        if (!fd.ok()) {
            printf("Could not open mtd device: %s\n", "wylinux");
            return 0;
        }
        if (flashio::pread_full(fd.get(), g_tag, FW_TAG_SIZE, 0) != FW_TAG_SIZE) {
            printf("read mtd device (VrFW tag) error!!\n");
            return 0;
        }
        g_tag_valid = true;
    }
    memcpy(tag, g_tag, FW_TAG_SIZE);
    return 1;
}

extern "C" int vr_getBootInfo(char *version, char *date)
{
    if (!version || !date)
        return 0;
    wy::Fd fd(vr_open_mtd("bootloader", O_RDONLY));
    if (!fd.ok()) {
        printf("Could not open mtd device: %s\n", "bootloader");
        return 0;
    }
    unsigned char info[BOOT_INFO_SIZE];
    if (flashio::pread_full(fd.get(), info, BOOT_INFO_SIZE, BOOT_INFO_OFFSET) != BOOT_INFO_SIZE) {
        printf("read mtd device (MRD) error!!\n");
        return 0;
    }
    // Both digits of the second year byte: 0x20 0x05 is 2005, not 205.
    char year[8];
    snprintf(year, sizeof year, "%x%02x", info[5], info[6]);
    snprintf(version, 16, "V%d.%02d", bcd_value(info[0]), bcd_value(info[1]));
    snprintf(date, 24, "%d/%d/%d", bcd_value(info[3]), bcd_value(info[4]), leading_decimal(year, 4));
    return 1;
}

extern "C" int isConfidentialFw(const unsigned char *header)
{
    if (!header || vr_getBe32(header) != FW_CONFIDENTIAL_MAGIC)
        return 0;
    printf("\n***** Vorna Confidential Firmware *****\n");
    return 1;
}

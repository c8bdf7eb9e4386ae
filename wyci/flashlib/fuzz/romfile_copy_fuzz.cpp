// A configuration copy from hostile flash: the 64 KiB block comes from the
// fuzzer (short inputs are padded with erased bytes). Measures it as every
// reader does, makes both choices over it, and stamps it as an image file.
#include "flashlib.h"
#include "romblock.h"

#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

char g_root[] = "/tmp/romcopy-fuzz.XXXXXX";
char g_image[PATH_MAX];

bool put(const char *rel, const void *data, size_t n)
{
    char path[PATH_MAX];
    snprintf(path, sizeof path, "%s%s", g_root, rel);
    FILE *f = fopen(path, "wb");
    if (!f)
        return false;
    bool ok = n == 0 || fwrite(data, 1, n, f) == n;
    return fclose(f) == 0 && ok;
}

void remove_root()
{
    for (const char *rel : {"/tmp/image.bin", "/dev/mtd4", "/proc/mtd", "/tmp", "/dev", "/proc", ""}) {
        char path[PATH_MAX];
        snprintf(path, sizeof path, "%s%s", g_root, rel);
        remove(path);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (!freopen("/dev/null", "w", stdout))
        return 0;
    if (!mkdtemp(g_root))
        abort();
    atexit(remove_root);
    for (const char *d : {"/proc", "/dev", "/tmp"}) {
        char path[PATH_MAX];
        snprintf(path, sizeof path, "%s%s", g_root, d);
        mkdir(path, 0755);
    }
    static const char kMtd[] = "dev:    size   erasesize  name\nmtd1: 00010000 00010000 \"romfile\"\n"
                               "mtd4: 00010000 00010000 \"second_romfile\"\n";
    static unsigned char erased[ROMFILE_BLOCK_SIZE];
    memset(erased, 0xFF, sizeof erased);
    if (!put("/proc/mtd", kMtd, sizeof kMtd - 1) || !put("/dev/mtd4", erased, sizeof erased))
        abort();
    setenv("WY_SYSROOT", g_root, 1);
    snprintf(g_image, sizeof g_image, "%s/tmp/image.bin", g_root);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > ROMFILE_BLOCK_SIZE + 16)
        return 0;
    romblock::Block block = romblock::alloc_block();
    if (!block)
        return 0;
    memset(block.get(), 0xFF, romblock::kSize);
    memcpy(block.get(), data, size < romblock::kSize ? size : romblock::kSize);
    romblock::Measure m;
    if (romblock::measure(block, romblock::kTrailerAt, "fuzz", m)) {
        // The trailer is the raw block's, whatever the text decoded to.
        unsigned char raw[8];
        memset(raw, 0xFF, sizeof raw);
        if (size > romblock::kTrailerAt)
            memcpy(raw, data + romblock::kTrailerAt, size - romblock::kTrailerAt < 8 ? size - romblock::kTrailerAt : 8);
        check(m.stored == vr_getBe32(raw) && m.version == vr_getBe32(raw + 4));
        check(m.calc == crc32buf(block.get(), m.text_len));
        const romfile_state a{m.calc, m.stored, m.version};
        const romfile_state b{m.stored, m.calc, m.version + 1};
        const romfile_state *order[2][2] = {{&a, &b}, {&b, &a}};
        for (const auto &pair : order) {
            int r = vr_chooseReadRomfile(pair[0], pair[1]);
            int w = vr_chooseWriteRomfile(pair[0], pair[1]);
            check(r >= 0 && r <= 2 && (w == 1 || w == 2));
        }
    }
    // The same bytes as an image file to stamp: refused unchanged, or stamped.
    if (!put("/tmp/image.bin", data, size))
        return 0;
    int rc = updateRomfileChecksumAndVersion(g_image, 1);
    struct stat st;
    check(stat(g_image, &st) == 0);
    check(rc == 1 ? st.st_size == ROMFILE_BLOCK_SIZE : size_t(st.st_size) == size);
    return 0;
}

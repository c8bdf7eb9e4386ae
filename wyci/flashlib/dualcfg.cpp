// The two configuration copies, "romfile" (1) and "second_romfile" (2): what
// each holds, which one to read and which to overwrite, and the stamp a
// configuration image gets before it is written into one of them.
#include "flashlib.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "flashio.h"
#include "romblock.h"

namespace {

constexpr char kFirst[] = "romfile";
constexpr char kSecond[] = "second_romfile";

bool intact(const romfile_state &s) { return s.calc == s.stored; }
bool empty(const romfile_state &s) { return s.calc == ROMFILE_EMPTY_CRC; }

int open_copy(const char *name)
{
    int fd = vr_open_mtd(name, O_RDONLY);
    if (fd < 0)
        printf("Could not open mtd device: %s\n", name);
    return fd;
}

bool read_copy(int fd, romfile_state &s)
{
    romblock::Measure m;
    if (!romblock::read_fd(fd, "getRomfileChecksumAndVersion", m))
        return false;
    s = {m.calc, m.stored, m.version};
    return true;
}

// Both copies, read once each; the failure lines are the caller's. Names that
// open one device would make a single partition pass for both copies.
bool read_both(romfile_state &first, romfile_state &second, const char *fail1, const char *fail2)
{
    wy::Fd fd1(open_copy(kFirst));
    if (!fd1.ok()) {
        printf("%s", fail1);
        return false;
    }
    wy::Fd fd2(open_copy(kSecond));
    if (!fd2.ok()) {
        printf("%s", fail2);
        return false;
    }
    if (flashio::same_file(fd1.get(), fd2.get())) {
        printf("Error: %s and %s are the same device.\n", kFirst, kSecond);
        return false;
    }
    if (!read_copy(fd1.get(), first)) {
        printf("%s", fail1);
        return false;
    }
    if (!read_copy(fd2.get(), second)) {
        printf("%s", fail2);
        return false;
    }
    return true;
}

} // namespace

extern "C" int vr_chooseReadRomfile(const romfile_state *first, const romfile_state *second)
{
    const romfile_state &a = *first, &b = *second;
    if (empty(a))
        return 2;
    if (empty(b))
        return 1;
    if (a.version < b.version)
        return intact(b) ? 2 : intact(a) ? 1 : 0;
    return intact(a) ? 1 : intact(b) ? 2 : 0;
}

extern "C" int vr_chooseWriteRomfile(const romfile_state *first, const romfile_state *second)
{
    const romfile_state &a = *first, &b = *second;
    if (empty(a))
        return 1;
    if (empty(b))
        return 2;
    if (a.version > b.version)
        return !intact(b) ? 2 : !intact(a) ? 1 : 2;
    return !intact(a) ? 1 : !intact(b) ? 2 : 1;
}

extern "C" int getRomfileChecksumAndVersion(const char *partition, uint32_t *calc, uint32_t *stored, uint32_t *ver)
{
    romblock::Measure m;
    if (!romblock::read_partition(partition, "getRomfileChecksumAndVersion", m))
        return 0;
    *calc = m.calc;
    *stored = m.stored;
    *ver = m.version;
    return 1;
}

extern "C" int vr_readRomfileCopy(const char *partition, char **text, uint32_t *textLen, struct romfile_state *state)
{
    romblock::Measure m;
    romblock::Block block;
    if (!romblock::read_partition(partition, "vr_readRomfileCopy", m, &block))
        return 0;
    *text = block.release();
    *textLen = m.text_len;
    *state = {m.calc, m.stored, m.version};
    return 1;
}

extern "C" int get_read_romfile_index(void)
{
    romfile_state a, b;
    if (!read_both(a, b, "get first romfile checksum and version error \n",
                   "get second romfile checksum and version error \n"))
        return 0;
    return vr_chooseReadRomfile(&a, &b);
}

extern "C" int get_write_romfile_index(void)
{
    romfile_state a, b;
    if (!read_both(a, b, "get first romfile error \n", "get second romfile error \n"))
        return 0;
    return vr_chooseWriteRomfile(&a, &b);
}

extern "C" int vr_checkRomfilePair(void)
{
    wy::Fd fd1(open_copy(kFirst));
    if (!fd1.ok())
        return 0;
    wy::Fd fd2(open_copy(kSecond));
    if (!fd2.ok())
        return 0;
    if (flashio::same_file(fd1.get(), fd2.get())) {
        printf("Error: %s and %s are the same device.\n", kFirst, kSecond);
        return 0;
    }
    return 1;
}

extern "C" uint32_t vr_getRomChksum(void)
{
    const char *name = get_read_romfile_index() == 2 ? kSecond : kFirst;
    romblock::Measure m;
    if (!romblock::read_partition(name, "vr_getRomChksum", m))
        return 0;
    return m.calc;
}

namespace {

void put_be32(unsigned char *p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

bool pwrite_all(int fd, const void *data, size_t n, off_t at)
{
    const char *p = static_cast<const char *>(data);
    while (n > 0) {
        ssize_t w = pwrite(fd, p, n, at);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= size_t(w);
        at += w;
    }
    return true;
}

} // namespace

extern "C" int updateRomfileChecksumAndVersion(const char *path, int target)
{
    static const char kName[] = "updateRomfileChecksumAndVersion";
    romblock::Block block = romblock::alloc_block();
    if (!block)
        return 0;
    char host[PATH_MAX];
    wy::Fd fd(path && flashio::host_path(host, sizeof host, path) ? open(host, O_RDWR) : -1);
    if (!fd.ok()) {
        printf("Error: can't open romfile\n");
        return 0;
    }
    // One byte more than a block tells a file that is too long.
    char extra;
    ssize_t got = flashio::pread_full(fd.get(), block.get(), romblock::kSize, 0);
    if (got < 0) {
        printf("Error: can't read romfile\n");
        return 0;
    }
    if (got == ssize_t(romblock::kSize) && flashio::pread_full(fd.get(), &extra, 1, romblock::kSize) != 0) {
        printf("Error: romfile is longer than %u bytes.\n", unsigned(romblock::kSize));
        return 0;
    }
    unsigned char old_trailer[8];
    memcpy(old_trailer, block.get() + romblock::kTrailerAt, sizeof old_trailer);
    // Where the data end: header and stream of a compressed file, else the text.
    bool compressed = isCompressedConfigFile(block.get());
    uint32_t stream_len = compressed ? vr_getCompressedConfigFileLength(block.get()) : 0;
    romblock::Measure m;
    // Measured over the whole block, so a text running into the trailer's
    // place is refused for that and not taken for a file without text.
    if (!romblock::measure(block, romblock::kSize, kName, m))
        return 0;
    uint32_t end = compressed ? CFG_COMPRESSED_HEADER_SIZE + stream_len : m.text_len;
    if (m.text_len == 0) {
        printf("Error: romfile holds no valid ROM text.\n");
        return 0;
    }
    if (end > romblock::kTrailerAt) {
        printf("Error: romfile data reach past offset %u.\n", unsigned(romblock::kTrailerAt));
        return 0;
    }
    if (target != 1 && target != 2) {
        printf("Error: the romfile index is error.\n");
        return 0;
    }
    if (!vr_checkRomfilePair())
        return 0;
    uint32_t calc, stored, ver;
    if (!getRomfileChecksumAndVersion(target == 1 ? kSecond : kFirst, &calc, &stored, &ver)) {
        printf("get romfile checksum and version error \n");
        return 0;
    }
    unsigned char trailer[8];
    put_be32(trailer, m.calc);
    put_be32(trailer + 4, ver + 1);
    if (!pwrite_all(fd.get(), trailer, sizeof trailer, romblock::kTrailerAt) || fsync(fd.get()) != 0) {
        int err = errno;
        // Put back what the file held: its length and its old trailer bytes.
        size_t kept = got > ssize_t(romblock::kTrailerAt) ? size_t(got) - romblock::kTrailerAt : 0;
        if (ftruncate(fd.get(), got) != 0 || !pwrite_all(fd.get(), old_trailer, kept, romblock::kTrailerAt))
            printf("Error: romfile could not be restored\n");
        printf("Error: can't write romfile trailer (%s)\n", strerror(err));
        return 0;
    }
    return 1;
}

// ROM-D: the default configuration kept in the last erase block of
// "wylinux", announced by a 20-byte trailer at the partition's end.
#include "flashlib.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <mtd/mtd-user.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "flashio.h"
#include "romblock.h"
#include "sysroot.h"

namespace {

constexpr size_t kTagLen = sizeof ROMD_TRAILER_TAG - 1;

struct LastBlock {
    wy::Heap<unsigned char> bytes;
    uint32_t part_size = 0;
    uint32_t erase_size = 0;
};

bool geometry_ok(const char *who, uint32_t part_size, uint32_t erase_size)
{
    // A trailer must fit in the block and the block in the partition.
    if (erase_size >= ROMD_TRAILER_SIZE && erase_size <= part_size && part_size <= INT_MAX)
        return true;
    printf("%s: erase size %u of %s (%u bytes) refused\n", who, erase_size, ROMD_PARTITION, part_size);
    return false;
}

// Steps shared by every reader: open the partition, ask its geometry, read
// its last erase block. `line` tells the allocation failures apart.
bool read_last_block(const char *who, int line, LastBlock &b)
{
    wy::Fd fd(vr_open_mtd(ROMD_PARTITION, O_RDONLY));
    if (!fd.ok()) {
        printf("%s: Could not open mtd device: %s\n", who, ROMD_PARTITION);
        return false;
    }
    struct mtd_info_user info;
    memset(&info, 0, sizeof info);
    if (ioctl(fd.get(), MEMGETINFO, &info) != 0) {
        printf("Could not get MTD device info from %s\n", ROMD_PARTITION);
        return false;
    }
    if (!geometry_ok(who, info.size, info.erasesize))
        return false;
    b.bytes.reset(static_cast<unsigned char *>(malloc(info.erasesize)));
    if (!b.bytes) {
        printf("Could not allocate buffer. %d\n", line);
        return false;
    }
    off_t at = static_cast<off_t>(info.size - info.erasesize);
    if (flashio::pread_full(fd.get(), b.bytes.get(), info.erasesize, at) != static_cast<ssize_t>(info.erasesize)) {
        printf("Error read last block info.\n");
        b.bytes.reset();
        return false;
    }
    b.part_size = info.size;
    b.erase_size = info.erasesize;
    return true;
}

// Loads ROM-D into a zeroed 64 KiB block, decodes it when compressed and
// measures its text. The last block is read once; what is printed is what the
// presence test and the copy would print.
bool load_text(const char *who, romblock::Block &block, romblock::Measure &m)
{
    block = romblock::alloc_block();
    if (!block) {
        printf("%s: allocate buffer fail!\n", who);
        return false;
    }
    LastBlock b;
    if (!read_last_block("isRomdExist", 1058, b))
        return false;
    int n = vr_romdBlockLength(b.bytes.get(), b.erase_size);
    if (n == 0)
        return false;
    printf("ROM-D exist! len = %d\n", n);
    memcpy(block.get(), b.bytes.get() + b.erase_size - ROMD_TRAILER_SIZE - n, static_cast<size_t>(n));
    // Only the announced bytes are ROM-D; a plain text is looked for there.
    if (!romblock::measure(block, static_cast<uint32_t>(n), who, m))
        return false;
    if (m.text_len == 0) {
        printf("Read default configuration error!!\n");
        return false;
    }
    return true;
}

bool write_all(int fd, const void *data, size_t len)
{
    const auto *p = static_cast<const unsigned char *>(data);
    while (len > 0) {
        ssize_t w = write(fd, p, len);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        len -= static_cast<size_t>(w);
    }
    return true;
}

// `count` bytes of 0xFF at the file's position, without a buffer of that size.
bool write_fill(int fd, uint64_t count)
{
    unsigned char ff[4096];
    memset(ff, 0xFF, sizeof ff);
    while (count > 0) {
        size_t piece = count < sizeof ff ? static_cast<size_t>(count) : sizeof ff;
        if (!write_all(fd, ff, piece))
            return false;
        count -= piece;
    }
    return true;
}

} // namespace

extern "C" int vr_romd_length(const char *text)
{
    const void *found = memmem(text, ROMD_TRAILER_SIZE, ROMD_TRAILER_TAG, kTagLen);
    if (!found)
        return 0;
    const char *marker = static_cast<const char *>(found);
    const char *end = text + ROMD_TRAILER_SIZE;
    const char *digits = marker + kTagLen;
    const char *close = static_cast<const char *>(memchr(digits, '>', static_cast<size_t>(end - digits)));
    if (!close)
        return 0;
    // atoi over at most 9 characters: blanks, a sign, digits; no overflow possible.
    const char *c = digits;
    while (c < close && (*c == ' ' || (*c >= '\t' && *c <= '\r')))
        ++c;
    bool negative = false;
    if (c < close && (*c == '+' || *c == '-'))
        negative = *c++ == '-';
    long value = 0;
    for (; c < close && *c >= '0' && *c <= '9'; ++c)
        value = value * 10 + (*c - '0');
    if (negative || value <= 0 || value > ROMD_MAX_LEN)
        return 0;
    return static_cast<int>(value);
}

extern "C" int vr_romdBlockLength(const unsigned char *block, uint32_t eraseSize)
{
    if (eraseSize < ROMD_TRAILER_SIZE)
        return 0;
    const unsigned char *trailer = block + eraseSize - ROMD_TRAILER_SIZE;
    int n = vr_romd_length(reinterpret_cast<const char *>(trailer));
    if (n <= 0 || static_cast<uint32_t>(n) > eraseSize - ROMD_TRAILER_SIZE)
        return 0;
    return n;
}

extern "C" int isRomdExist(void)
{
    LastBlock b;
    if (!read_last_block("isRomdExist", 1058, b))
        return 0;
    int n = vr_romdBlockLength(b.bytes.get(), b.erase_size);
    if (n == 0)
        return 0;
    printf("ROM-D exist! len = %d\n", n);
    return 1;
}

extern "C" int vr_getRomdBuf(unsigned char *destination)
{
    LastBlock b;
    if (!read_last_block("vr_getRomdBuf", 1111, b))
        return 0;
    int n = vr_romdBlockLength(b.bytes.get(), b.erase_size);
    if (n == 0)
        return 0;
    memcpy(destination, b.bytes.get() + b.erase_size - ROMD_TRAILER_SIZE - n, static_cast<size_t>(n));
    return 1;
}

extern "C" uint32_t vr_getRomdChksum(void)
{
    romblock::Block block;
    romblock::Measure m;
    if (!load_text("vr_getRomdChksum", block, m))
        return 0;
    return m.calc;
}

extern "C" int vr_dumpRomdContent(void)
{
    romblock::Block block;
    romblock::Measure m;
    if (!load_text("vr_dumpRomdContent", block, m))
        return 0;
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, ROMD_DUMP_PATH)) {
        printf("Write romd conten fail!\n");
        return 0;
    }
    // A fresh file: whatever lay at the path (a link included) is replaced, not followed.
    if (unlink(path) != 0 && errno != ENOENT) {
        printf("Write romd conten fail!\n");
        return 0;
    }
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (fd < 0) {
        printf("Write romd conten fail!\n");
        return 0;
    }
    bool ok = write_all(fd, block.get(), m.text_len);
    if (close(fd) != 0)
        ok = false;
    if (!ok) {
        unlink(path);
        printf("Write romd conten fail!\n");
        return 0;
    }
    printf("Please see %s for ROM-D content.\n", ROMD_DUMP_PATH);
    return 1;
}

extern "C" int vr_fitImageWithRomd(const char *path, uint32_t *len, uint32_t offset, uint32_t partSize,
                                   const unsigned char *block, uint32_t eraseSize)
{
    if (!geometry_ok("isFwFitInWithRomd", partSize, eraseSize))
        return 0;
    const uint64_t n = static_cast<uint32_t>(vr_romdBlockLength(block, eraseSize));
    const uint64_t image = *len;
    const uint64_t part = partSize;
    if (n == 0)
        return 1;
    if (part < image + n + ROMD_TRAILER_SIZE)
        return 0;
    if (part - image >= eraseSize)
        return 1;

    char host[PATH_MAX];
    int fd = path && flashio::host_path(host, sizeof host, path) ? open(host, O_RDWR) : -1;
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        if (fd >= 0)
            close(fd);
        printf("Error: fopen error.\n");
        return 0;
    }
    const uint64_t fill = part - image - n - ROMD_TRAILER_SIZE;
    const unsigned char *romd = block + eraseSize - n - ROMD_TRAILER_SIZE;
    bool ok = lseek(fd, static_cast<off_t>(uint64_t(offset) + image), SEEK_SET) >= 0 && write_fill(fd, fill) &&
              write_all(fd, romd, static_cast<size_t>(n + ROMD_TRAILER_SIZE)) && fsync(fd) == 0;
    if (close(fd) != 0)
        ok = false;
    if (!ok) {
        // An image cut short of its ROM-D would erase ROM-D for good when written.
        printf("Error: writing ROM-D into %s failed\n", path);
        if (truncate(host, st.st_size) != 0)
            printf("Error: %s not cut back to %lld bytes\n", path, static_cast<long long>(st.st_size));
        return 0;
    }
    *len = partSize;
    return 1;
}

extern "C" int isFwFitInWithRomd(const char *path, uint32_t *len, uint32_t offset)
{
    // A block that cannot be read tells nothing about ROM-D: no licence to write.
    LastBlock b;
    if (!read_last_block("isFwFitInWithRomd", 1288, b))
        return 0;
    int n = vr_romdBlockLength(b.bytes.get(), b.erase_size);
    if (n == 0)
        return 1;
    printf("ROM-D exist! len = %d\n", n);
    return vr_fitImageWithRomd(path, len, offset, b.part_size, b.bytes.get(), b.erase_size);
}

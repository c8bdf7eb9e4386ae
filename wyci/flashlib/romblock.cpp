#include "romblock.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>

#include <utility>

namespace romblock {

Block alloc_block()
{
    Block b(static_cast<char *>(calloc(kSize, 1)));
    if (!b)
        printf("buffer allocation failed.\n");
    return b;
}

bool measure(Block &block, uint32_t plain_limit, const char *who, Measure &m)
{
    const unsigned char *raw = reinterpret_cast<const unsigned char *>(block.get());
    m.stored = vr_getBe32(raw + kTrailerAt);
    m.version = vr_getBe32(raw + kTrailerAt + 4);
    uint32_t limit = plain_limit < kSize ? plain_limit : kSize;
    if (isCompressedConfigFile(block.get())) {
        char *p = block.release();
        uint32_t decoded = 0;
        int rc = vr_configFileLzDecoder(&p, &decoded);
        block.reset(p);
        if (rc != 0) {
            printf("%s: vr_configFileLzwDecoder fail!\n", who);
            return false;
        }
        limit = decoded;
    }
    m.text_len = vr_getRealRom(block.get(), limit);
    m.calc = crc32buf(block.get(), m.text_len);
    return true;
}

bool load(int fd, Block &block)
{
    block = alloc_block();
    if (!block)
        return false;
    if (flashio::pread_full(fd, block.get(), kSize, 0) != static_cast<ssize_t>(kSize)) {
        printf("read mtd device (MRD) error!!\n");
        return false;
    }
    return true;
}

bool read_fd(int fd, const char *who, Measure &m, Block *keep)
{
    Block block;
    if (!load(fd, block) || !measure(block, kTrailerAt, who, m))
        return false;
    if (keep)
        *keep = std::move(block);
    return true;
}

bool read_partition(const char *partition, const char *who, Measure &m, Block *keep)
{
    wy::Fd fd(vr_open_mtd(partition, O_RDONLY));
    if (!fd.ok()) {
        printf("Could not open mtd device: %s\n", partition);
        return false;
    }
    return read_fd(fd.get(), who, m, keep);
}

} // namespace romblock

// The one reader of configuration blocks: load at most 64 KiB into a zeroed
// buffer, decode in place when compressed, measure the ROM text, take its
// CRC-32. The configuration checksum, both copies and ROM-D read through it.
#ifndef WY_FLASHLIB_ROMBLOCK_H
#define WY_FLASHLIB_ROMBLOCK_H

#include <stdint.h>

#include <memory>

#include "flashio.h"
#include "flashlib.h"

namespace romblock {

inline constexpr uint32_t kSize = ROMFILE_BLOCK_SIZE;
inline constexpr uint32_t kTrailerAt = ROMFILE_TRAILER_OFFSET;

// A heap block the decoder may replace (realloc), so it is held as char.
using Block = std::unique_ptr<char, wy::FreeDeleter>;

struct Measure {
    uint32_t text_len; // bytes of ROM text at the block's start (0: none)
    uint32_t calc;     // crc32buf over them
    uint32_t stored;   // the trailer's two words, as loaded
    uint32_t version;
};

// A zeroed kSize-byte block; empty after printing "buffer allocation failed.".
Block alloc_block();

// Measures the kSize bytes loaded into `block`. The trailer is taken before
// anything is decoded, so decoded text can never pass for it. A plain text is
// looked for within the first `plain_limit` bytes; a compressed file is
// decoded in place (`block` may be replaced) and its text looked for within
// what it decoded to. False after printing "%s: vr_configFileLzwDecoder fail!"
// with `who`.
bool measure(Block &block, uint32_t plain_limit, const char *who, Measure &m);

// Loads kSize bytes from offset 0 of `fd` into a new block. False after
// printing the reason ("read mtd device (MRD) error!!" for a short read).
bool load(int fd, Block &block);

// load and measure on an open partition, plain text within kTrailerAt. The
// measured block is handed to `keep` when given.
bool read_fd(int fd, const char *who, Measure &m, Block *keep = nullptr);

// Opens `partition` read-only and runs read_fd. False after printing the
// reason ("Could not open mtd device: %s" when it cannot be opened).
bool read_partition(const char *partition, const char *who, Measure &m, Block *keep = nullptr);

} // namespace romblock

#endif

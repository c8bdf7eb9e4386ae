// Private helpers of the configuration-file code: zeroed heap bytes and the
// little-endian fields of the block headers.
#ifndef WY_FLASHLIB_CFGBYTES_H
#define WY_FLASHLIB_CFGBYTES_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "owners.h"

namespace cfgbytes {

using HeapBytes = wy::Heap<uint8_t[]>;
using wy::File;

inline HeapBytes zalloc(size_t n)
{
    return HeapBytes(static_cast<uint8_t *>(calloc(n ? n : 1, 1)));
}

inline uint32_t get_le16(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8);
}

inline uint32_t get_le32(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void put_le16(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void put_le32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

} // namespace cfgbytes

#endif

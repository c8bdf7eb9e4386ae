// CRC-32 of IEEE 802.3, not inverted at the end. Slicing by eight: eight
// table lookups per eight bytes instead of one per byte. Words are assembled
// byte by byte, so the same code is right on the big-endian target, which has
// no CRC instructions.
#include "flashlib.h"

#include <array>

namespace {

constexpr uint32_t kPoly = 0xEDB88320u;
using Table = std::array<std::array<uint32_t, 256>, 8>;

constexpr Table make_table()
{
    Table t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ kPoly : c >> 1;
        t[0][i] = c;
    }
    // t[k][i]: the CRC of byte i followed by k zero bytes.
    for (uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr Table kTable = make_table();

inline uint32_t load_le32(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace

extern "C" uint32_t getCrc32Iterative(const void *data, size_t len, uint32_t crc)
{
    const uint8_t *p = static_cast<const uint8_t *>(data);
    for (; len >= 8; len -= 8, p += 8) {
        uint32_t lo = crc ^ load_le32(p);
        uint32_t hi = load_le32(p + 4);
        crc = kTable[7][lo & 0xFF] ^ kTable[6][(lo >> 8) & 0xFF] ^ kTable[5][(lo >> 16) & 0xFF] ^
              kTable[4][lo >> 24] ^ kTable[3][hi & 0xFF] ^ kTable[2][(hi >> 8) & 0xFF] ^
              kTable[1][(hi >> 16) & 0xFF] ^ kTable[0][hi >> 24];
    }
    for (; len > 0; --len, ++p)
        crc = (crc >> 8) ^ kTable[0][(crc ^ *p) & 0xFF];
    return crc;
}

extern "C" uint32_t crc32buf(const void *data, size_t len)
{
    return getCrc32Iterative(data, len, 0xFFFFFFFFu);
}

// Sizes shared by the codec and the configuration-file container.
#ifndef WY_FLASHLIB_FASTLZ_PRIVATE_H
#define WY_FLASHLIB_FASTLZ_PRIVATE_H

#include <stdint.h>

// Largest level-1 stream fastlz_compress writes for `n` input bytes: every
// literal run of up to 32 bytes costs one control byte, and every match is
// shorter than the bytes it stands for.
constexpr uint64_t fastlz_bound(uint64_t n)
{
    return n + n / 32 + 1;
}

// Largest block stream compressCfgBufToBuf writes for `n` input bytes: a
// 16-byte header per 64 KiB block plus the block's worst-case payload.
constexpr uint64_t cfg_stream_bound(uint64_t n)
{
    return n + n / 32 + 17 * (n / 65536 + 1);
}

#endif

// Sizes and stream writers shared by the codec's two encoders and the
// configuration-file container.
#ifndef WY_FLASHLIB_FASTLZ_PRIVATE_H
#define WY_FLASHLIB_FASTLZ_PRIVATE_H

#include <stdint.h>
#include <string.h>

// Largest level-1 stream either encoder writes for `n` input bytes: every
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

namespace fastlz {

constexpr uint32_t kMaxDistance = 8192;
constexpr uint32_t kMaxLiteralRun = 32;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxShortMatch = 8;
constexpr uint32_t kMaxMatch = 264;

// Writes in[0..n) as literal runs of at most 32 bytes.
inline uint8_t *put_literals(uint8_t *op, const uint8_t *in, uint32_t n)
{
    while (n >= kMaxLiteralRun) {
        *op++ = uint8_t(kMaxLiteralRun - 1);
        memcpy(op, in, kMaxLiteralRun);
        op += kMaxLiteralRun;
        in += kMaxLiteralRun;
        n -= kMaxLiteralRun;
    }
    if (n > 0) {
        *op++ = uint8_t(n - 1);
        memcpy(op, in, n);
        op += n;
    }
    return op;
}

inline uint8_t *put_match_piece(uint8_t *op, uint32_t len, uint32_t dist_code)
{
    uint8_t hi = uint8_t(dist_code >> 8);
    if (len <= kMaxShortMatch) {
        *op++ = uint8_t(((len - 2) << 5) | hi);
    } else {
        *op++ = uint8_t((7u << 5) | hi);
        *op++ = uint8_t(len - 9);
    }
    *op++ = uint8_t(dist_code & 0xFF);
    return op;
}

// A match longer than one instruction carries becomes several with the same
// distance; no piece may fall below the 3-byte minimum.
inline uint8_t *put_match(uint8_t *op, uint32_t len, uint32_t dist)
{
    uint32_t code = dist - 1;
    while (len > kMaxMatch) {
        uint32_t piece = len - kMaxMatch < kMinMatch ? len - kMinMatch : kMaxMatch;
        op = put_match_piece(op, piece, code);
        len -= piece;
    }
    return put_match_piece(op, len, code);
}

} // namespace fastlz

// Output size for decoding a compressed configuration file whose header
// claims `stream_len` bytes, of which the `given` bytes at `stream` are at
// hand: five times the stream length, or the decoded sizes its blocks
// declare when that is more (at most 1 MiB).
uint32_t cfg_decode_capacity(const char *stream, uint32_t stream_len, uint32_t given);

#endif

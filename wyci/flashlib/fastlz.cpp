// FastLZ level-1 streams: the greedy encoder every writer starts with, and a
// decoder that checks every read and write against its bounds.
#include "flashlib.h"
#include "fastlz_private.h"

#include <string.h>

namespace {

using namespace fastlz;

constexpr int kHashLog = 13;
constexpr uint32_t kHashSize = 1u << kHashLog; // 8192 entries
constexpr uint32_t kWide = 16; // bytes the decoder copies at once

// Little-endian whatever the host, so both ends of the build write the same
// streams.
inline uint32_t load_le32(const uint8_t *p)
{
    uint32_t v;
    memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

inline uint32_t hash_seq(uint32_t three_bytes)
{
    return (three_bytes * 2654435761u) >> (32 - kHashLog);
}

// Bytes that a[0..) and b[0..) have in common, b never reaching `b_end`;
// compared a machine word at a time.
inline uint32_t common_length(const uint8_t *a, const uint8_t *b, const uint8_t *b_end)
{
    const uint8_t *start = b;
    while (b_end - b >= ptrdiff_t(sizeof(size_t))) {
        size_t x, y;
        memcpy(&x, a, sizeof x);
        memcpy(&y, b, sizeof y);
        if (size_t d = x ^ y) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            return uint32_t(b - start) + uint32_t(__builtin_clzl(d) / 8);
#else
            return uint32_t(b - start) + uint32_t(__builtin_ctzl(d) / 8);
#endif
        }
        a += sizeof x;
        b += sizeof y;
    }
    while (b < b_end && *a == *b) {
        ++a;
        ++b;
    }
    return uint32_t(b - start);
}

// Exactly n bytes, front to back, with fixed-size copies that overlap at the
// tail instead of running past it. The source lies apart from the destination
// or at least 8 bytes before it, so every byte is read after it was written.
inline void copy_forward(uint8_t *dst, const uint8_t *src, uint32_t n)
{
    if (n >= 8) {
        uint32_t i = 0;
        for (; i + 8 <= n; i += 8)
            memcpy(dst + i, src + i, 8);
        if (i < n)
            memcpy(dst + n - 8, src + n - 8, 8);
    } else if (n >= 4) {
        memcpy(dst, src, 4);
        memcpy(dst + n - 4, src + n - 4, 4);
    } else {
        for (uint32_t i = 0; i < n; ++i)
            dst[i] = src[i];
    }
}

} // namespace

extern "C" int fastlz_compress(const void *input, int length, void *output)
{
    if (!input || !output || length <= 0)
        return 0;
    const uint8_t *in = static_cast<const uint8_t *>(input);
    uint8_t *op = static_cast<uint8_t *>(output);
    const uint32_t n = uint32_t(length);

    uint32_t anchor = 0;
    // A match may not cover the last input byte, so that the stream ends
    // with a literal run as decoders of every release expect; the hash reads
    // four bytes.
    if (n >= 5) {
        const uint8_t *match_end = in + n - 1;
        const uint32_t last_start = n - 4;
        uint32_t table[kHashSize];
        memset(table, 0, sizeof table);
        uint32_t ip = 1; // position 0 has nothing behind it
        while (ip <= last_start) {
            const uint32_t seq = load_le32(in + ip) & 0xFFFFFFu;
            const uint32_t h = hash_seq(seq);
            const uint32_t ref = table[h];
            table[h] = ip;
            // Stale or zero entries are harmless: candidates are compared.
            if (ref >= ip || ip - ref > kMaxDistance || (load_le32(in + ref) & 0xFFFFFFu) != seq) {
                // Stretches without matches (compressed or random data) are
                // crossed faster the longer they get.
                ip += 1 + ((ip - anchor) >> 6);
                continue;
            }
            uint32_t len = kMinMatch + common_length(in + ref + kMinMatch, in + ip + kMinMatch, match_end);
            uint32_t dist = ip - ref;
            // One step of lazy evaluation: a longer match one byte on is
            // worth the literal it costs.
            if (ip + 1 <= last_start) {
                const uint32_t next_seq = load_le32(in + ip + 1) & 0xFFFFFFu;
                const uint32_t next_h = hash_seq(next_seq);
                const uint32_t next_ref = table[next_h];
                table[next_h] = ip + 1;
                if (next_ref < ip + 1 && ip + 1 - next_ref <= kMaxDistance &&
                    (load_le32(in + next_ref) & 0xFFFFFFu) == next_seq) {
                    const uint32_t next_len = kMinMatch + common_length(in + next_ref + kMinMatch,
                                                                        in + ip + 1 + kMinMatch, match_end);
                    if (next_len > len) {
                        ++ip;
                        len = next_len;
                        dist = ip - next_ref;
                    }
                }
            }
            op = put_literals(op, in + anchor, ip - anchor);
            op = put_match(op, len, dist);
            ip += len;
            anchor = ip;
            // The bytes just before the next position are the likeliest
            // source of its match.
            if (ip <= last_start + 1) {
                table[hash_seq(load_le32(in + ip - 2) & 0xFFFFFFu)] = ip - 2;
                table[hash_seq(load_le32(in + ip - 1) & 0xFFFFFFu)] = ip - 1;
            }
        }
    }
    op = put_literals(op, in + anchor, n - anchor);
    return int(op - static_cast<uint8_t *>(output));
}

extern "C" int fastlz_decompress(const void *input, int length, void *output, int maxout)
{
    if (!input || length <= 0 || maxout < 0 || (maxout > 0 && !output))
        return 0;
    const uint8_t *in = static_cast<const uint8_t *>(input);
    uint8_t *out = static_cast<uint8_t *>(output);
    const uint32_t in_len = uint32_t(length);
    const uint32_t cap = uint32_t(maxout);
    uint32_t ip = 0;
    uint32_t op = 0;

    // The top three bits of the first byte are the level marker: read every
    // stream as level 1, whose first instruction is always a literal run.
    uint32_t ctrl = in[ip++] & 31u;
    for (;;) {
        if (ctrl < 32) {
            uint32_t run = ctrl + 1;
            if (run > in_len - ip || run > cap - op)
                return 0;
            // With room on both sides, one fixed copy of the longest run.
            if (in_len - ip >= kMaxLiteralRun && cap - op >= kMaxLiteralRun)
                memcpy(out + op, in + ip, kMaxLiteralRun);
            else
                copy_forward(out + op, in + ip, run);
            ip += run;
            op += run;
        } else {
            uint32_t len = (ctrl >> 5) + 2;
            uint32_t dist = ((ctrl & 31u) << 8) + 1;
            if (len == 9) {
                if (ip >= in_len)
                    return 0;
                len += in[ip++];
            }
            if (ip >= in_len)
                return 0;
            dist += in[ip++];
            if (dist > op || len > cap - op)
                return 0;
            const uint8_t *ref = out + op - dist;
            uint8_t *dst = out + op;
            if (dist >= kWide && cap - op >= len + kWide) {
                // Whole chunks, the last one running past the match into
                // output that later instructions write.
                for (uint32_t i = 0; i < len; i += kWide)
                    memcpy(dst + i, ref + i, kWide);
            } else if (dist >= 8) {
                copy_forward(dst, ref, len);
            } else {
                // A short distance repeats what was just written: byte by
                // byte, front to back.
                for (uint32_t i = 0; i < len; ++i)
                    dst[i] = ref[i];
            }
            op += len;
        }
        if (ip >= in_len)
            break;
        ctrl = in[ip++];
    }
    return int(op);
}

extern "C" uint32_t vr_adler32(uint32_t adler, const void *data, size_t len)
{
    constexpr uint32_t kBase = 65521;
    constexpr size_t kRun = 5552; // largest run whose sums cannot overflow 32 bits
    const uint8_t *p = static_cast<const uint8_t *>(data);
    uint32_t s1 = adler & 0xFFFF;
    uint32_t s2 = adler >> 16;
    while (len > 0) {
        size_t run = len < kRun ? len : kRun;
        len -= run;
        while (run-- > 0) {
            s1 += *p++;
            s2 += s1;
        }
        s1 %= kBase;
        s2 %= kBase;
    }
    return (s2 << 16) | s1;
}

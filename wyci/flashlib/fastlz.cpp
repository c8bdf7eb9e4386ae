// FastLZ level-1 streams: a greedy LZ77 encoder over a hash of the next three
// bytes, and a decoder that checks every read and write against its bounds.
#include "flashlib.h"
#include "fastlz_private.h"

#include <string.h>

namespace {

constexpr int kHashLog = 13;
constexpr uint32_t kHashSize = 1u << kHashLog; // 8192 entries
constexpr uint32_t kMaxDistance = 8192;
constexpr uint32_t kMaxLiteralRun = 32;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxShortMatch = 8;
constexpr uint32_t kMaxMatch = 264;

uint32_t hash3(const uint8_t *p)
{
    uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    return (v * 2654435761u) >> (32 - kHashLog);
}

// Writes in[0..n) as literal runs of at most 32 bytes.
uint8_t *put_literals(uint8_t *op, const uint8_t *in, uint32_t n)
{
    while (n > 0) {
        uint32_t run = n < kMaxLiteralRun ? n : kMaxLiteralRun;
        *op++ = uint8_t(run - 1);
        memcpy(op, in, run);
        op += run;
        in += run;
        n -= run;
    }
    return op;
}

uint8_t *put_match_piece(uint8_t *op, uint32_t len, uint32_t dist_code)
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
uint8_t *put_match(uint8_t *op, uint32_t len, uint32_t dist)
{
    uint32_t code = dist - 1;
    while (len > kMaxMatch) {
        uint32_t piece = len - kMaxMatch < kMinMatch ? len - kMinMatch : kMaxMatch;
        op = put_match_piece(op, piece, code);
        len -= piece;
    }
    return put_match_piece(op, len, code);
}

// The encoder parses the input in segments: for each position it takes the
// one candidate the hash table offers, then picks the cheapest sequence of
// literal runs and matches over the segment (shortest path, cost in output
// bytes). Segments keep the work area small and on the stack.
struct Segment {
    static constexpr uint32_t kSize = 2048;
    uint32_t cand[kSize];     // match source for each position
    uint16_t longest[kSize];  // longest usable match there, 0 for none
    uint32_t cost[kSize + kMaxMatch + 1]; // cheapest encoding of the rest; 0 past the end
    uint16_t step[kSize];     // what that encoding starts with
};
constexpr uint16_t kStepMatch = 0x8000; // step: match of (step & 0x7FFF) bytes; else a literal run

uint32_t match_cost(uint32_t len)
{
    return len <= kMaxShortMatch ? 2 : 3;
}

// Matches may run past the segment's end; the next segment starts after them.
void find_candidates(const uint8_t *in, uint32_t n, uint32_t begin, uint32_t end, uint32_t *table, Segment &seg)
{
    // A match may not cover the last input byte, so that the stream ends
    // with a literal run as decoders of every release expect.
    const uint32_t match_end_limit = n - 1;
    for (uint32_t i = begin; i < end; ++i) {
        uint32_t k = i - begin;
        seg.longest[k] = 0;
        if (i + kMinMatch >= n)
            continue;
        uint32_t h = hash3(in + i);
        uint32_t c = table[h];
        table[h] = i;
        // Stale or zero entries are harmless: candidates are compared byte by byte.
        if (c >= i || i - c > kMaxDistance || in[c] != in[i] || in[c + 1] != in[i + 1] || in[c + 2] != in[i + 2])
            continue;
        uint32_t len = kMinMatch;
        while (len < kMaxMatch && i + len < match_end_limit && in[c + len] == in[i + len])
            ++len;
        seg.cand[k] = c;
        seg.longest[k] = uint16_t(len);
    }
}

// Shortest path from the segment's end back to its start. Literal runs: the
// cheapest run from k ends at the j in (k, k + 32] with the least j + cost[j],
// kept in a sliding-window minimum. Matches: all short lengths, and the 32
// longest of the long ones (one cost for 9 to 264 bytes, so a shorter long
// match pays only when it lands on a much cheaper position, which is rare).
void plan_segment(uint32_t size, Segment &seg)
{
    constexpr uint32_t kLongTries = 32;
    constexpr uint32_t kRing = 64; // holds the at most 32 window entries
    uint32_t window[kRing];
    uint32_t head = 0, tail = 0; // entries window[head..tail), j decreasing, j + cost[j] increasing
    for (uint32_t k = size; k <= size + kMaxMatch; ++k)
        seg.cost[k] = 0;
    for (uint32_t k = size; k-- > 0;) {
        const uint32_t j = k + 1;
        while (tail != head && window[(tail - 1) % kRing] + seg.cost[window[(tail - 1) % kRing]] >= j + seg.cost[j])
            --tail;
        window[tail++ % kRing] = j;
        if (window[head % kRing] > k + kMaxLiteralRun)
            ++head;
        const uint32_t run_end = window[head % kRing];
        uint32_t best = 1 + (run_end - k) + seg.cost[run_end];
        uint16_t step = uint16_t(run_end - k);

        const uint32_t longest = seg.longest[k];
        for (uint32_t len = longest; len >= kMinMatch;) {
            uint32_t c = match_cost(len) + seg.cost[k + len];
            if (c < best) {
                best = c;
                step = uint16_t(kStepMatch | len);
            }
            len = (len > kMaxShortMatch && len + kLongTries <= longest) ? kMaxShortMatch : len - 1;
        }
        seg.cost[k] = best;
        seg.step[k] = step;
    }
}

// Returns where the next segment begins: at or after this one's end.
uint32_t emit_segment(const uint8_t *in, uint32_t begin, uint32_t size, const Segment &seg, uint8_t *&op)
{
    uint32_t k = 0;
    while (k < size) {
        uint16_t step = seg.step[k];
        if (step & kStepMatch) {
            uint32_t len = step & 0x7FFFu;
            op = put_match(op, len, begin + k - seg.cand[k]);
            k += len;
        } else {
            op = put_literals(op, in + begin + k, step);
            k += step;
        }
    }
    return begin + k;
}

} // namespace

extern "C" int fastlz_compress(const void *input, int length, void *output)
{
    if (!input || !output || length <= 0)
        return 0;
    const uint8_t *in = static_cast<const uint8_t *>(input);
    uint8_t *op = static_cast<uint8_t *>(output);
    const uint32_t n = uint32_t(length);

    uint32_t table[kHashSize];
    memset(table, 0, sizeof table);
    Segment seg;
    for (uint32_t begin = 0; begin < n;) {
        uint32_t size = n - begin < Segment::kSize ? n - begin : Segment::kSize;
        find_candidates(in, n, begin, begin + size, table, seg);
        plan_segment(size, seg);
        begin = emit_segment(in, begin, size, seg, op);
    }
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
            memcpy(out + op, in + ip, run);
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
            // Byte by byte, front to back: a short distance repeats what was
            // just written.
            const uint8_t *ref = out + op - dist;
            uint8_t *dst = out + op;
            for (uint32_t i = 0; i < len; ++i)
                dst[i] = ref[i];
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

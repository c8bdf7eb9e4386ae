// The codec's second tier: level-1 streams from an optimal parse. Slower
// than the greedy encoder, but the smallest streams this project writes, for
// configurations that do not fit their partition otherwise.
#include "flashlib.h"
#include "fastlz_private.h"

#include <string.h>

namespace {

using namespace fastlz;

constexpr int kHashLog = 13;
constexpr uint32_t kHashSize = 1u << kHashLog; // 8192 entries

uint32_t hash3(const uint8_t *p)
{
    uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    return (v * 2654435761u) >> (32 - kHashLog);
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

extern "C" int fastlz_compress_optimal(const void *input, int length, void *output)
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

#include "utf8.h"

size_t utf8_seq_len(const unsigned char *s, size_t len)
{
    if (len == 0)
        return 0;
    unsigned char c = s[0];
    if (c < 0x80)
        return 1;
    size_t n;
    unsigned lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            lo = 0xA0; // overlong
        else if (c == 0xED)
            hi = 0x9F; // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            lo = 0x90; // overlong
        else if (c == 0xF4)
            hi = 0x8F; // past U+10FFFF
    } else {
        return 0;
    }
    if (len < n || s[1] < lo || s[1] > hi)
        return 0;
    for (size_t i = 2; i < n; ++i)
        if ((s[i] & 0xC0) != 0x80)
            return 0;
    return n;
}

size_t utf8_cut(const char *s, size_t len, size_t max)
{
    const unsigned char *u = reinterpret_cast<const unsigned char *>(s);
    size_t at = 0;
    while (at < len) {
        size_t n = utf8_seq_len(u + at, len - at);
        if (n == 0)
            n = 1;
        if (at + n > max)
            break;
        at += n;
    }
    return at;
}

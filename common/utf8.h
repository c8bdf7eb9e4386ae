// Cutting text to a byte limit without splitting a UTF-8 sequence, so a cut
// value never ends in part of a character.
#ifndef WY_COMMON_UTF8_H
#define WY_COMMON_UTF8_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Length in bytes of the longest prefix of s[0..len) that is at most `max`
// bytes and ends at a sequence boundary. A byte that does not begin a whole,
// well-formed sequence counts as a sequence of its own.
size_t utf8_cut(const char *s, size_t len, size_t max);

// Length of the well-formed sequence at s[0..len): 1 to 4, or 0 when s does
// not begin one (a stray continuation byte, an overlong form, a surrogate, a
// code point past U+10FFFF, a sequence cut short).
size_t utf8_seq_len(const unsigned char *s, size_t len);

#ifdef __cplusplus
}
#endif

#endif

// The gateway's flash and configuration library: the one public header.
// Operations have C linkage so that firmware components in C or C++ can call
// them. Results follow one rule: 1 (or a non-zero size or checksum) for done or
// found, 0 for failed or absent; codec operations 0 for success and -1 for
// failure. Every failure is printed where it happens.
#ifndef WY_FLASHLIB_H
#define WY_FLASHLIB_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Flash partitions and the manufacturing record ---- */

/* ---- FastLZ level-1 codec and the compressed configuration file ---- */

#ifdef __cplusplus
}
#endif

#endif

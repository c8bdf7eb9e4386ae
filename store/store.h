// The one way programs read the store: bounded by the caller's buffer.
#ifndef WY_STORE_STORE_H
#define WY_STORE_STORE_H

#include <stddef.h>

#include "wyapi.h"

#ifdef __cplusplus
extern "C" {
#endif

// Reads `attr` of `node` into `buf` of `size` bytes: at most size - 1 bytes of
// the value (an over-long value is cut) and a NUL. On failure buf holds as much
// of the store's failure text as fits. Returns wyapi_get's result; with size 0
// nothing is written and the result is WYAPI_ERR_STORE.
int store_get(const char *node, const char *attr, char *buf, size_t size);

#ifdef __cplusplus
}
#endif

#endif

// Reads where an empty value means "not set" as much as a failed read does.
#ifndef WY_CGI_STORE_READ_H
#define WY_CGI_STORE_READ_H

#include <stddef.h>

// Reads `attr` of `node` into `buf` (bounded by `size`); when the read fails
// or the value is empty, `fallback` is put there instead.
void store_get_set_or(const char *node, const char *attr, char *buf, size_t size,
                      const char *fallback);

#endif

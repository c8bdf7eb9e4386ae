#include "store_read.h"

#include <stdio.h>

#include "store.h"

void store_get_set_or(const char *node, const char *attr, char *buf, size_t size,
                      const char *fallback)
{
    if (size == 0)
        return;
    if (store_get(node, attr, buf, size) != WYAPI_OK || buf[0] == '\0')
        snprintf(buf, size, "%s", fallback);
}

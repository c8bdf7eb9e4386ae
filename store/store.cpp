#include "store.h"

#include <string.h>

extern "C" int store_get(const char *node, const char *attr, char *buf, size_t size)
{
    if (!buf || size == 0)
        return WYAPI_ERR_STORE;
    // wyapi_get takes no length; give it room for the longest value there is.
    char full[WYAPI_BUF_SIZE];
    full[0] = '\0';
    int rc = wyapi_get(node, attr, full);
    full[sizeof full - 1] = '\0';
    size_t len = strnlen(full, sizeof full);
    if (len > size - 1)
        len = size - 1;
    memcpy(buf, full, len);
    buf[len] = '\0';
    return rc;
}

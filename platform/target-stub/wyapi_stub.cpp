// The configuration store library as the target build links it. The gateway's
// platform supplies the real libwyapi.so.1 with the same four functions; this
// one holds no configuration: it answers as the real library does when its
// store file cannot be read or written, so a program linked against it behaves
// as on a unit whose store is unavailable. The debug print works, for the
// reports that use it.
#include "wyapi.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

extern "C" {

int wyapi_get(const char *node, const char *attr, char *buf) {
    if (node && attr && buf)
        memcpy(buf, WYAPI_NO_NODE, sizeof WYAPI_NO_NODE);
    return WYAPI_ERR_STORE;
}

int wyapi_set(const char *node, const char *attr, const char *value) {
    (void)node;
    (void)attr;
    (void)value;
    return WYAPI_ERR_STORE;
}

int wyapi_unset(const char *node) {
    (void)node;
    return WYAPI_ERR_STORE;
}

int wydbg_printf(const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    int n = vprintf(format, ap);
    va_end(ap);
    return n;
}

} // extern "C"

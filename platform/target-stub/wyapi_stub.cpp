// The configuration store library as the target build links it. The gateway's
// platform supplies the real libwyapi.so.1 with the same four functions; this
// one holds no configuration: every read reports a missing node and every
// change is refused, so a program linked against it behaves as on a unit whose
// store is empty and read-only. The debug print works, for the reports that
// use it.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

extern "C" {

int wyapi_get(const char *node, const char *attr, char *buf) {
    (void)node;
    (void)attr;
    // The text a caller of the real store finds after a failed read.
    if (buf)
        memcpy(buf, "no node information", sizeof "no node information");
    return -1;
}

int wyapi_set(const char *node, const char *attr, const char *value) {
    (void)node;
    (void)attr;
    (void)value;
    return -1;
}

int wyapi_unset(const char *node) {
    (void)node;
    return -1;
}

void wydbg_printf(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    vprintf(fmt, ap);
    va_end(ap);
}

} // extern "C"

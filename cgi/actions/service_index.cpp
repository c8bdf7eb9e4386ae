#include "service_index.h"

#include <stdlib.h>

long service_counter(const char *text)
{
    long v = strtol(text, nullptr, 10);
    return v < 0 ? 0 : v > kServiceCounterMax ? kServiceCounterMax : v;
}

bool service_index(const char *text, long count, long *index)
{
    if (!text[0])
        return false;
    long v = 0;
    for (const char *p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + (*p - '0');
        // Past the count already: more digits only make it larger.
        if (v >= count)
            return false;
    }
    *index = v;
    return true;
}

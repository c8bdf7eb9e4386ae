#include "row_count.h"

#include "store.h"

int row_count_parse(const char *text, int max)
{
    if (!text || !*text || max <= 0)
        return 0;
    int n = 0;
    for (const char *p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return 0;
        // Saturate at max; later digits may still make the text non-numeric.
        long long v = n * 10LL + (*p - '0');
        n = v > max ? max : static_cast<int>(v);
    }
    return n;
}

bool row_count_read(const char *node, const char *attr, int max, int *count)
{
    // Room for the longest stored value, so no digits are cut away.
    char value[WYAPI_BUF_SIZE];
    if (store_get(node, attr, value, sizeof value) != WYAPI_OK)
        return false;
    *count = row_count_parse(value, max);
    return true;
}

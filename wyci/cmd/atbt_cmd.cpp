#include <stdio.h>

#include "ci.h"
#include "flashlib.h"

int ATBT(int n, char **p)
{
    unsigned char value;
    if (n == 1) {
        value = 0;
    } else if (n == 2) {
        value = ci_atoi(p[1]) == 1 ? 1 : 0;
    } else {
        ERROROut();
        return -1;
    }
    if (!atbt_set(value))
        return -1;
    OKOut();
    return 0;
}

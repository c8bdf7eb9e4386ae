#include <stdio.h>

#include "ci.h"
#include "sysroot.h"

int ATButtonTest(int n, char **p)
{
    if (n != 2) {
        ERROROut();
        return 0;
    }
    unsigned char on = ci_atoi(p[1]) == 1 ? 1 : 0;
    if (!ci_write_flag("/tmp/hw_debug", on)) {
        ERROROut();
        return 0;
    }
    OKOut();
    return 0;
}

int ATLedTest(int, char **)
{
    if (!ci_write_flag("/tmp/led_debug", 1)) {
        ERROROut();
        return 0;
    }
    // The interface's answer is not the test's business.
    wy_system("ifconfig ra0 up");
    OKOut();
    return 0;
}

#include <stdio.h>
#include <string.h>

#include "ci.h"
#include "flashlib.h"

int ATShowWpaPsk(int, char **)
{
    unsigned char mrd[MRD_SIZE];
    if (!ci_read_mrd(mrd))
        return 0;
    char key[20] = {};
    memcpy(key, mrd + MRD_WPA_PSK, MRD_WPA_PSK_LEN);
    printf("WPA PSK Key: %s\n", key);
    return 0;
}

int ATWriteWpaPsk(int n, char **p)
{
    unsigned char mrd[MRD_SIZE];
    int allowed = ci_interlock(mrd);
    if (allowed != 1)
        return allowed;
    size_t len = n == 2 ? strlen(p[1]) : 0;
    if (n != 2 || len > MRD_WPA_PSK_LEN) {
        ERROROut();
        return -1;
    }
    memcpy(mrd + MRD_WPA_PSK, p[1], len);
    if (len < MRD_WPA_PSK_LEN)
        mrd[MRD_WPA_PSK + len] = 0;
    bool written = MRDwrite(mrd) == 1;
    // Shows what the flash holds, written or not.
    ATShowWpaPsk(n, p);
    if (!written)
        ERROROut();
    atbt_set(0);
    return 0;
}

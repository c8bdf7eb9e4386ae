#include <stdio.h>
#include <string.h>

#include "ci.h"
#include "flashlib.h"

int ATSeriesNumber(int n, char **p)
{
    unsigned char mrd[MRD_SIZE];
    int allowed = ci_interlock(mrd);
    if (allowed != 1)
        return allowed;
    if (n != 2 || strlen(p[1]) != MRD_SERIAL_LEN) {
        ERROROut();
        return -1;
    }
    printf("Serial Number : ");
    for (int i = 0; i < MRD_SERIAL_LEN; ++i)
        printf("%c", p[1][i]);
    printf("\n");
    memcpy(mrd + MRD_SERIAL_NUMBER, p[1], MRD_SERIAL_LEN);
    if (!MRDwrite(mrd))
        ERROROut();
    atbt_set(0);
    return 0;
}

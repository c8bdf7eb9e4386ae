#include <stdio.h>

#include "ci.h"
#include "flashlib.h"

namespace {

int forbidden()
{
    printf("Block0 is forbidden to write!");
    ERROROut();
    return -1;
}

} // namespace

bool ci_read_mrd(unsigned char *mrd)
{
    if (MRDread(mrd))
        return true;
    printf("Fail to get MRD information!\n");
    ERROROut();
    return false;
}

int ci_interlock(unsigned char *mrd)
{
    if (!ci_read_mrd(mrd))
        return 0;
    if (atbt_get() == 0)
        return forbidden();
    if (mrd[MRD_ENG_DEBUG_FLAG] != 1)
        return forbidden();
    return 1;
}

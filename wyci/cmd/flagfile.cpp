#include <limits.h>
#include <stdio.h>

#include "ci.h"
#include "sysroot.h"

bool ci_write_flag(const char *path, unsigned char value)
{
    char host[PATH_MAX];
    FILE *f = wy_path(host, sizeof host, path) ? fopen(host, "w") : nullptr;
    if (!f) {
        printf("Open file error!!\n");
        return false;
    }
    bool ok = fwrite(&value, 1, 1, f) == 1 && fflush(f) == 0;
    if (fclose(f) != 0)
        ok = false;
    if (!ok)
        printf("Write file error!!\n");
    return ok;
}

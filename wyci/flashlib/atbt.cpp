#include "flashlib.h"

#include <limits.h>
#include <stdio.h>

#include "flashio.h"
#include "sysroot.h"

namespace {

constexpr char kArmFile[] = "/tmp/vorna_atbt";

void open_error()
{
    printf("Open file error!!\n");
    printf("\nERROR\n");
}

} // namespace

extern "C" int atbt_get(void)
{
    char path[PATH_MAX];
    wy::File f(wy_path(path, sizeof path, kArmFile) ? fopen(path, "r") : nullptr);
    if (!f) {
        open_error();
        return 0;
    }
    int c = fgetc(f.get());
    return c == EOF ? 0 : c;
}

extern "C" int atbt_set(unsigned char value)
{
    char path[PATH_MAX];
    FILE *f = wy_path(path, sizeof path, kArmFile) ? fopen(path, "w") : nullptr;
    if (!f) {
        open_error();
        return 0;
    }
    // A flag that silently stayed armed would let the next write through.
    bool ok = fputc(value, f) != EOF && fflush(f) == 0;
    if (fclose(f) != 0)
        ok = false;
    if (!ok) {
        printf("Write file error!!\n");
        printf("\nERROR\n");
        return 0;
    }
    return 1;
}

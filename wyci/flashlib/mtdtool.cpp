#include "mtdtool.h"

#include <stdio.h>

#include "sysroot.h"

namespace mtdtool {
namespace {

int run(const char *line)
{
    // The tool may print; what this process printed so far must come first.
    fflush(stdout);
    return wy_system(line);
}

} // namespace

int write_boot() { return run(kWriteBoot); }
int write_boot_raw() { return run(kWriteBootRaw); }
int erase_romd() { return run(kEraseRomd); }

} // namespace mtdtool

#include "mtdtool.h"

#include "sysroot.h"

namespace mtdtool {

int write_boot() { return wy_system(kWriteBoot); }
int write_boot_raw() { return wy_system(kWriteBootRaw); }
int erase_romd() { return wy_system(kEraseRomd); }

} // namespace mtdtool

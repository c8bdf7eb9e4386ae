// /proc/mtd text as the flash tool reads it (a test may rewrite the file).
#include "layout.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);
    for (const char *name : {"bootloader", "romd", ""}) {
        const gwsim::Partition *p = gwsim::partition_by_name(text, name);
        if (p && (p < &gwsim::kPartitions.front() || p > &gwsim::kPartitions.back()))
            __builtin_trap();
    }
    return 0;
}

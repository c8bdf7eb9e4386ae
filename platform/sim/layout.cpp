#include "layout.h"

#include <cstdio>

namespace gwsim {

std::string proc_mtd_text()
{
    std::string text = "dev:    size   erasesize  name\n";
    for (size_t i = 0; i < kPartitions.size(); ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "mtd%zu: %08x %08x \"%s\"\n", i,
                      kPartitions[i].size, kEraseSize, kPartitions[i].name);
        text += line;
    }
    return text;
}

} // namespace gwsim

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

const Partition *partition_by_name(std::string_view proc_mtd, std::string_view name)
{
    while (!proc_mtd.empty()) {
        size_t nl = proc_mtd.find('\n');
        std::string_view line = proc_mtd.substr(0, nl);
        proc_mtd.remove_prefix(nl == std::string_view::npos ? proc_mtd.size() : nl + 1);
        // mtdN: SIZE ERASESIZE "NAME"
        if (line.substr(0, 3) != "mtd")
            continue;
        size_t n = 0, i = 3;
        while (i < line.size() && i < 6 && line[i] >= '0' && line[i] <= '9')
            n = n * 10 + static_cast<size_t>(line[i++] - '0');
        if (i == 3 || i >= line.size() || line[i] != ':')
            continue;
        size_t open = line.find('"', i);
        size_t close = open == std::string_view::npos ? open : line.find('"', open + 1);
        if (close == std::string_view::npos || line.substr(open + 1, close - open - 1) != name)
            continue;
        return n < kPartitions.size() ? &kPartitions[n] : nullptr;
    }
    return nullptr;
}

} // namespace gwsim

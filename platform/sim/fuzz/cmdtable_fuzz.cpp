// Command table file and command node lines: any bytes.
#include "cmdtable.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view in(reinterpret_cast<const char *>(data), size);
    size_t split = in.find('\0');
    std::string_view table_text = in.substr(0, split);
    std::string_view line = split == std::string_view::npos ? in : in.substr(split + 1);
    gwsim::CmdTable table;
    std::string error;
    if (!gwsim::parse_cmdtable(table_text, table, error))
        table = {{"ATBT", 5}};
    int slot = gwsim::slot_for_line(table, line);
    if (slot < 0 || slot > 99)
        __builtin_trap();
    return 0;
}

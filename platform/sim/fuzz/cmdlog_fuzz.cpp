// Command node record: any bytes parse or are refused, and every line comes
// back unchanged through its record.
#include "cmdlog.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view in(reinterpret_cast<const char *>(data), size);
    std::vector<std::string> lines;
    gwsim::cmdlog_parse(in, lines);
    gwsim::cmd_refusal(in);

    std::string rec = gwsim::cmdlog_escape(in);
    if (rec.find('\n') != std::string::npos)
        __builtin_trap();
    rec += '\n';
    if (!gwsim::cmdlog_parse(rec, lines) || lines.size() != 1 || lines[0] != in)
        __builtin_trap();
    return 0;
}

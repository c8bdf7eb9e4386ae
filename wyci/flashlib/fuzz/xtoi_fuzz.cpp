// lib_xtoi against a plain reference on arbitrary text.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "flashlib.h"

namespace {

uint32_t reference(const std::string &s)
{
    size_t i = s.size() >= 2 && s[0] == '0' && s[1] == 'x' ? 2 : 0;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0)
            break;
        v = ((v << 4) | static_cast<uint64_t>(d)) & 0xffffffffu;
    }
    return static_cast<uint32_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    text = text.substr(0, strnlen(text.c_str(), text.size()));
    if (lib_xtoi(text.c_str()) != reference(text))
        abort();
    return 0;
}

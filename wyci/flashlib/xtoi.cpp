#include "flashlib.h"

extern "C" uint32_t lib_xtoi(const char *text)
{
    const char *c = text;
    if (c[0] == '0' && c[1] == 'x')
        c += 2;
    uint32_t value = 0;
    for (;; ++c) {
        uint32_t digit;
        if (*c >= '0' && *c <= '9')
            digit = static_cast<uint32_t>(*c - '0');
        else if (*c >= 'A' && *c <= 'F')
            digit = static_cast<uint32_t>(*c - 'A' + 10);
        else if (*c >= 'a' && *c <= 'f')
            digit = static_cast<uint32_t>(*c - 'a' + 10);
        else
            break;
        value = value * 16u + digit;
    }
    return value;
}

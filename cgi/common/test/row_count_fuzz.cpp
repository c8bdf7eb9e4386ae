// Row counts from arbitrary stored text: the result stays within [0, max],
// and equals the decimal value (clamped) exactly when the text is all digits.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "row_count.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes choose the maximum, the rest is the stored value.
    int max = data[0] << 8 | data[1];
    std::string text(reinterpret_cast<const char *>(data + 2), size - 2);
    text = text.c_str();
    int got = row_count_parse(text.c_str(), max);
    if (got < 0 || got > max)
        abort();
    bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    long long want = 0;
    if (digits)
        for (char c : text)
            want = want * 10 + (c - '0') > max ? max : want * 10 + (c - '0');
    if (got != want)
        abort();
    return 0;
}

// The service index and counter readers on arbitrary text: an accepted index
// is all decimal digits and below the count, every decimal text below the
// count is accepted with its value, and a counter stays within its clamp.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "service_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // First byte picks the count, the rest is the text.
    long count = static_cast<long>(data[0]) * 400;
    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    text = text.c_str(); // as it arrives in argv: up to the first NUL

    long counter = service_counter(text.c_str());
    if (counter < 0 || counter > kServiceCounterMax)
        abort();

    long index = -1;
    bool ok = service_index(text.c_str(), count, &index);
    bool digits = !text.empty() && strspn(text.c_str(), "0123456789") == text.size();
    if (ok && (!digits || index < 0 || index >= count))
        abort();
    if (digits) {
        // Leading zeros aside, a short decimal text has a value strtol agrees on.
        size_t lead = text.find_first_not_of('0');
        bool small = lead == std::string::npos || text.size() - lead <= 9;
        if (small) {
            long v = strtol(text.c_str(), nullptr, 10);
            if (ok != (v < count) || (ok && index != v))
                abort();
        }
    }
    return 0;
}

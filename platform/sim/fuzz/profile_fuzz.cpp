// Manufacturing profile text: any bytes, then the record built from it.
#include "profile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    gwsim::Profile p;
    std::string error;
    if (gwsim::apply_profile(std::string_view(reinterpret_cast<const char *>(data), size), p, error)) {
        auto boot = gwsim::bootloader_image(p);
        if (boot.size() != 0x20000)
            __builtin_trap();
    }
    return 0;
}

// vr_open_mtd on a hostile /proc/mtd: the first input byte picks the name to
// look for, the second pads the first line, the rest is the file. Whatever
// opens must be one of the devices.
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "flashlib.h"
#include "wytest/fuzz.h"

namespace {

// Only the stand-in devices exist under the root; each holds "D".
bool setup()
{
    wyfuzz::temp_root({"/proc", "/dev"});
    for (int i = 0; i < 4; ++i)
        wyfuzz::put("/dev/mtd" + std::to_string(i), "D", 1);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const char *const names[] = {"bootloader", "romfile", "second_romfile", "romd", "wylinux",
                                        "", "mtd", ":", "/dev/mtd2", "/dev/mtd9", "x"};
    static const bool ready = setup();
    (void)ready;
    if (size < 2)
        return 0;
    const char *name = names[data[0] % (sizeof names / sizeof names[0])];
    // The second byte pads the first line, so that lines around and beyond
    // the line limit are reached with short inputs.
    std::string text = "mtd1: " + std::string(static_cast<size_t>(data[1]) * 24, 'a');
    text.append(reinterpret_cast<const char *>(data + 2), size - 2);
    wyfuzz::put("/proc/mtd", text.data(), text.size());
    int fd = vr_open_mtd(name, O_RDONLY);
    if (fd >= 0) {
        char c = 0;
        // Only the stand-in devices exist under the root.
        if (read(fd, &c, 1) != 1 || c != 'D')
            abort();
        close(fd);
    }
    return 0;
}

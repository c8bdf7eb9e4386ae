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

namespace {

std::string root;

void put(const std::string &path, const void *data, size_t size)
{
    FILE *f = fopen((root + path).c_str(), "wb");
    if (!f)
        abort();
    if (size && fwrite(data, 1, size, f) != size)
        abort();
    fclose(f);
}

void setup()
{
    char tmpl[] = "/tmp/wyci-mtdfuzz.XXXXXX";
    if (!mkdtemp(tmpl))
        abort();
    root = tmpl;
    mkdir((root + "/proc").c_str(), 0755);
    mkdir((root + "/dev").c_str(), 0755);
    for (int i = 0; i < 4; ++i) {
        std::string name = "/dev/mtd" + std::to_string(i);
        put(name, "D", 1);
    }
    setenv("WY_SYSROOT", root.c_str(), 1);
    atexit([] { std::filesystem::remove_all(root); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const char *const names[] = {"bootloader", "romfile", "second_romfile", "romd", "wylinux",
                                        "", "mtd", ":", "/dev/mtd2", "/dev/mtd9", "x"};
    if (root.empty())
        setup();
    if (size < 2)
        return 0;
    const char *name = names[data[0] % (sizeof names / sizeof names[0])];
    // The second byte pads the first line, so that lines around and beyond
    // the line limit are reached with short inputs.
    std::string text = "mtd1: " + std::string(static_cast<size_t>(data[1]) * 24, 'a');
    text.append(reinterpret_cast<const char *>(data + 2), size - 2);
    put("/proc/mtd", text.data(), text.size());
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

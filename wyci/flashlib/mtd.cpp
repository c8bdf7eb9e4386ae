#include "flashlib.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <mtd/mtd-user.h>
#include <string.h>
#include <sys/ioctl.h>

#include "flashio.h"
#include "sysroot.h"

namespace {

constexpr size_t kLineMax = 4096; // 4095 characters and the NUL

// Skips what is left of a line that did not fit, so that its tail is never
// taken for a line of its own.
void skip_rest_of_line(FILE *f)
{
    int c;
    while ((c = fgetc(f)) != EOF && c != '\n') {
    }
}

// The /dev/mtdN path (system root applied) of the first /proc/mtd line that
// names `name`; false when there is none.
bool find_mtd_device(const char *name, char *dev, size_t dev_size)
{
    char procpath[PATH_MAX];
    if (!wy_path(procpath, sizeof procpath, "/proc/mtd"))
        return false;
    wy::File f(fopen(procpath, "r"));
    if (!f)
        return false;
    char line[kLineMax];
    // The last byte tells a filled buffer from a short line, NUL bytes inside
    // the line notwithstanding.
    for (line[kLineMax - 1] = 1; fgets(line, sizeof line, f.get()); line[kLineMax - 1] = 1) {
        if (line[kLineMax - 1] == '\0' && line[kLineMax - 2] != '\n')
            skip_rest_of_line(f.get());
        int number;
        if (!flashio::mtd_line_number(line, &number) || !strstr(line, name))
            continue;
        char devname[32];
        snprintf(devname, sizeof devname, "/dev/mtd%d", number);
        return wy_path(dev, dev_size, devname) != nullptr;
    }
    return false;
}

} // namespace

extern "C" int vr_open_mtd(const char *name, int flags)
{
    char path[PATH_MAX];
    if (find_mtd_device(name, path, sizeof path))
        return open(path, flags);
    // A relative name is no device path; it must not reach the working directory.
    if (name[0] != '/' || !wy_path(path, sizeof path, name)) {
        errno = ENOENT;
        return -1;
    }
    return open(path, flags);
}

extern "C" int vr_mtd_size(const char *name)
{
    wy::Fd fd(vr_open_mtd(name, O_RDONLY));
    if (!fd.ok()) {
        printf("Could not open mtd device: %s\n", name);
        return 0;
    }
    struct mtd_info_user info;
    memset(&info, 0, sizeof info);
    if (ioctl(fd.get(), MEMGETINFO, &info) != 0 || info.size > static_cast<uint32_t>(INT_MAX)) {
        fd.reset();
        printf("Could not get MTD device info from %s\n", name);
        return 0;
    }
    return static_cast<int>(info.size);
}

extern "C" unsigned char *vr_readFdtoBuf(int fd, int size)
{
    wy::Heap<unsigned char> buf(size > 0 ? static_cast<unsigned char *>(calloc(static_cast<size_t>(size), 1)) : nullptr);
    if (!buf) {
        printf("buffer allocation failed.\n");
        return nullptr;
    }
    if (flashio::read_full(fd, buf.get(), static_cast<size_t>(size)) != size) {
        printf("Error: %s read function fail.\n", "vr_readFdtoBuf");
        return nullptr;
    }
    return buf.release();
}

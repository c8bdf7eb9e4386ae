#include "bootimg.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "flashio.h"
#include "flashlib.h"
#include "sysroot.h"

namespace bootimg {
namespace {

// The tool's exit status for messages; -1 when it did not run to an exit.
int exit_status(int status)
{
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// First offset at which the two images differ, or -1.
long first_difference(const unsigned char *a, const unsigned char *b)
{
    for (long i = 0; i < BOOT_IMAGE_SIZE; ++i)
        if (a[i] != b[i])
            return i;
    return -1;
}

wy::Heap<unsigned char> new_image()
{
    return wy::Heap<unsigned char>(static_cast<unsigned char *>(calloc(BOOT_IMAGE_SIZE, 1)));
}

// The reason /tmp/boot.bin does not hold `image`, or nullptr when it does.
const char *why_not_held(const char *path, const unsigned char *image, char *why, size_t size)
{
    wy::Fd fd(open(path, O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!fd.ok() || fstat(fd.get(), &st) != 0) {
        snprintf(why, size, "%s cannot be read back (%s)", kFile, strerror(errno));
        return why;
    }
    if (st.st_size != BOOT_IMAGE_SIZE) {
        snprintf(why, size, "%s holds %lld of %d bytes", kFile, static_cast<long long>(st.st_size),
                 BOOT_IMAGE_SIZE);
        return why;
    }
    wy::Heap<unsigned char> held = new_image();
    if (!held) {
        snprintf(why, size, "no memory to read %s back", kFile);
        return why;
    }
    if (flashio::read_full(fd.get(), held.get(), BOOT_IMAGE_SIZE) != BOOT_IMAGE_SIZE) {
        snprintf(why, size, "%s cannot be read back in full", kFile);
        return why;
    }
    long at = first_difference(held.get(), image);
    if (at >= 0) {
        snprintf(why, size, "%s differs from the image at 0x%05lx", kFile, at);
        return why;
    }
    return nullptr;
}

} // namespace

int open_device()
{
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, kDevice))
        return -1;
    return open(path, O_RDONLY | O_CLOEXEC);
}

Read read_partition(unsigned char *image)
{
    wy::Fd fd(open_device());
    if (!fd.ok())
        return Read::no_device;
    if (flashio::pread_full(fd.get(), image, BOOT_IMAGE_SIZE, 0) != BOOT_IMAGE_SIZE)
        return Read::short_read;
    return Read::ok;
}

bool file_holds(const char *who, const unsigned char *image)
{
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, kFile)) {
        printf("%s: no path for %s; bootloader not written\n", who, kFile);
        return false;
    }
    char why[128];
    if (!why_not_held(path, image, why, sizeof why))
        return true;
    printf("%s: %s; bootloader not written\n", who, why);
    if (unlink(path) != 0 && errno != ENOENT)
        printf("%s: cannot remove %s: %s\n", who, kFile, strerror(errno));
    return false;
}

bool flash(const char *who, const unsigned char *image, int (*tool)())
{
    if (!file_holds(who, image))
        return false;
    int status = exit_status(tool());

    // The tool's status proves nothing; only the flash itself does.
    wy::Heap<unsigned char> back = new_image();
    if (!back || read_partition(back.get()) != Read::ok) {
        printf("%s: bootloader could not be read back from %s (flash tool exit status %d)\n", who,
               kDevice, status);
        return false;
    }
    long at = first_difference(back.get(), image);
    if (at >= 0) {
        printf("%s: bootloader read back from %s differs from the image written at 0x%05lx "
               "(flash tool exit status %d)\n",
               who, kDevice, at, status);
        return false;
    }
    return true;
}

} // namespace bootimg

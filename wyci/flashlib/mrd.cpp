#include "flashlib.h"

#include <errno.h>
#include <limits.h>
#include <string.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "bootimg.h"
#include "flashio.h"
#include "mtdtool.h"
#include "sysroot.h"

namespace {

// Writes the whole image to /tmp/boot.bin; on failure the file is removed, as
// the flash tool would write whatever part of it is there.
bool save_boot_image(const unsigned char *image)
{
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, bootimg::kFile)) {
        printf("Open file error!!\n");
        return false;
    }
    FILE *f = fopen(path, "w");
    if (!f) {
        printf("Open file error!!\n");
        return false;
    }
    const char *failed = nullptr;
    if (fwrite(image, 1, BOOT_IMAGE_SIZE, f) != BOOT_IMAGE_SIZE)
        failed = "write";
    else if (fflush(f) != 0)
        failed = "flush";
    int err = errno;
    if (fclose(f) != 0 && !failed) {
        failed = "close";
        err = errno;
    }
    if (!failed)
        return true;
    printf("MRDwrite: %s of %s failed (%s); bootloader not written\n", failed, bootimg::kFile,
           strerror(err));
    if (unlink(path) != 0 && errno != ENOENT)
        printf("MRDwrite: cannot remove %s: %s\n", bootimg::kFile, strerror(errno));
    return false;
}

} // namespace

extern "C" int MRDread(unsigned char *buf)
{
    wy::Fd fd(bootimg::open_device());
    if (!fd.ok()) {
        printf("open mtd device (MRD) error!!\n");
        return 0;
    }
    if (flashio::pread_full(fd.get(), buf, MRD_SIZE, MRD_OFFSET) != MRD_SIZE) {
        printf("read mtd device (MRD) error!!\n");
        return 0;
    }
    return 1;
}

extern "C" int MRDwrite(const unsigned char *record)
{
    wy::Heap<unsigned char> image(static_cast<unsigned char *>(calloc(BOOT_IMAGE_SIZE, 1)));
    if (!image) {
        printf("buffer allocation failed.\n");
        return 0;
    }
    switch (bootimg::read_partition(image.get())) {
    case bootimg::Read::no_device:
        printf("open mtd device (MRD) error!!\n");
        return 0;
    case bootimg::Read::short_read:
        printf("read mtd device (Bootloader) error!!\n");
        return 0;
    case bootimg::Read::ok:
        break;
    }
    memcpy(image.get() + MRD_OFFSET, record, MRD_SIZE);
    if (!save_boot_image(image.get()))
        return 0;
    return bootimg::flash("MRDwrite", image.get(), mtdtool::write_boot) ? 1 : 0;
}

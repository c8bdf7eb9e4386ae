#include "flashlib.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "flashio.h"
#include "mtdtool.h"
#include "sysroot.h"

namespace {

constexpr char kBootDev[] = "/dev/mtd0";
constexpr char kBootFile[] = "/tmp/boot.bin";

int open_boot_dev()
{
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, kBootDev))
        return -1;
    return open(path, O_RDONLY);
}

void remove_boot_file(const char *path)
{
    if (unlink(path) != 0 && errno != ENOENT)
        printf("MRDwrite: cannot remove %s: %s\n", kBootFile, strerror(errno));
}

// Writes the whole image to /tmp/boot.bin and proves the file holds all of it.
// The flash tool writes whatever the file holds, so a short file would leave
// the bootloader cut off: on any failure the file is removed.
bool save_boot_image(const unsigned char *image)
{
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, kBootFile)) {
        printf("Open file error!!\n");
        return false;
    }
    FILE *f = fopen(path, "w");
    if (!f) {
        printf("Open file error!!\n");
        return false;
    }
    bool ok = true;
    const char *what = "";
    if (fwrite(image, 1, BOOT_IMAGE_SIZE, f) != BOOT_IMAGE_SIZE) {
        ok = false;
        what = "write";
    } else if (fflush(f) != 0) {
        ok = false;
        what = "flush";
    }
    int err = errno;
    if (fclose(f) != 0 && ok) {
        ok = false;
        what = "close";
        err = errno;
    }
    if (!ok) {
        printf("MRDwrite: %s of %s failed (%s); bootloader not written\n", what, kBootFile,
               strerror(err));
        remove_boot_file(path);
        return false;
    }
    struct stat st;
    if (stat(path, &st) != 0) {
        printf("MRDwrite: %s missing after writing (%s); bootloader not written\n", kBootFile,
               strerror(errno));
        return false;
    }
    if (st.st_size != BOOT_IMAGE_SIZE) {
        printf("MRDwrite: %s holds %lld of %d bytes; bootloader not written\n", kBootFile,
               static_cast<long long>(st.st_size), BOOT_IMAGE_SIZE);
        remove_boot_file(path);
        return false;
    }
    return true;
}

// The tool's exit status for messages; -1 when it did not run to an exit.
int exit_status(int status)
{
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

extern "C" int MRDread(unsigned char *buf)
{
    flashio::Fd fd(open_boot_dev());
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
    flashio::Buffer image(static_cast<unsigned char *>(calloc(BOOT_IMAGE_SIZE, 1)));
    if (!image) {
        printf("buffer allocation failed.\n");
        return 0;
    }
    {
        flashio::Fd fd(open_boot_dev());
        if (!fd.ok()) {
            printf("open mtd device (MRD) error!!\n");
            return 0;
        }
        if (flashio::pread_full(fd.get(), image.get(), BOOT_IMAGE_SIZE, 0) != BOOT_IMAGE_SIZE) {
            printf("read mtd device (Bootloader) error!!\n");
            return 0;
        }
    }
    memcpy(image.get() + MRD_OFFSET, record, MRD_SIZE);
    if (!save_boot_image(image.get()))
        return 0;

    int status = exit_status(mtdtool::write_boot());

    // The tool's status proves nothing; only the flash itself does.
    unsigned char back[MRD_SIZE];
    if (!MRDread(back)) {
        printf("MRDwrite: record could not be read back from %s (flash tool exit status %d)\n", kBootDev,
               status);
        return 0;
    }
    if (memcmp(back, record, MRD_SIZE) != 0) {
        printf("MRDwrite: record read back from %s differs from the one written (flash tool exit status %d)\n",
               kBootDev, status);
        return 0;
    }
    return 1;
}

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bootimg.h"
#include "ci.h"
#include "owners.h"
#include "flashlib.h"
#include "mac.h"
#include "mtdtool.h"
#include "sysroot.h"

namespace {

constexpr char kWho[] = "ATWriteBootMac";
constexpr long kMacAt = MRD_OFFSET + MRD_FIRST_MAC;

// Refuses the patch: the copy is removed so that nothing can flash it later.
int give_up(const char *path)
{
    ERROROut();
    unlink(path);
    return -1;
}

bool patch_copy(const char *path, const unsigned char mac[kMacBytes])
{
    FILE *f = fopen(path, "r+b");
    if (!f) {
        printf("open file error!!\n");
        return false;
    }
    bool ok = fseek(f, kMacAt, SEEK_SET) == 0 && fwrite(mac, 1, kMacBytes, f) == kMacBytes &&
              fflush(f) == 0;
    int err = errno;
    if (fclose(f) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok)
        printf("%s: patch of %s failed (%s); bootloader not written\n", kWho, bootimg::kFile,
               strerror(err));
    return ok;
}

} // namespace

int ATWriteBootMac(int n, char **p)
{
    unsigned char mrd[MRD_SIZE];
    if (!ci_read_mrd(mrd))
        return 0;
    if (mrd[MRD_ENG_DEBUG_FLAG] != 1) {
        printf("Block0 is forbidden to write!");
        ERROROut();
        return -1;
    }
    if (n < 2 || strlen(p[1]) != kMacDigits) {
        printf("mac address must be 12 digits\n");
        return -1;
    }
    if (!mac_all_hex(p[1], kMacDigits)) {
        printf("MAC address must be 12 hexadecimal digits\n");
        ERROROut();
        return -1;
    }
    unsigned char mac[kMacBytes];
    for (size_t i = 0; i < kMacBytes; ++i) {
        char pair[3] = {p[1][2 * i], p[1][2 * i + 1], '\0'};
        mac[i] = static_cast<unsigned char>(strtoul(pair, nullptr, 16));
    }
    if (!mac_device_address(mac)) {
        mac_print_not_device(mac);
        ERROROut();
        return -1;
    }

    // The image the partition must hold afterwards: as it is now, the
    // address patched in.
    wy::Heap<unsigned char> image(static_cast<unsigned char *>(calloc(BOOT_IMAGE_SIZE, 1)));
    if (!image || bootimg::read_partition(image.get()) != bootimg::Read::ok) {
        printf("%s: %s could not be read; bootloader not written\n", kWho, bootimg::kDevice);
        ERROROut();
        return -1;
    }
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, bootimg::kFile)) {
        printf("open file error!!\n");
        ERROROut();
        return -1;
    }
    // A copy left by an earlier write must never stand in for this one.
    unlink(path);
    int status = wy_system("cat /dev/mtd0 > /tmp/boot.bin");
    if (status != 0) {
        printf("%s: copy of %s to %s failed (status %d); bootloader not written\n", kWho,
               bootimg::kDevice, bootimg::kFile,
               status == -1 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        return give_up(path);
    }
    if (!bootimg::file_holds(kWho, image.get())) {
        ERROROut();
        return -1;
    }

    printf("new mac addr = ");
    for (size_t i = 0; i < kMacBytes; ++i)
        printf("%x:", mac[i]);
    printf("%c\n", 8);

    if (!patch_copy(path, mac))
        return give_up(path);
    memcpy(image.get() + kMacAt, mac, kMacBytes);
    if (!bootimg::flash(kWho, image.get(), mtdtool::write_boot_raw))
        ERROROut();
    return 0;
}

// ATRomd: erase, store, show and dump the ROM-D default configuration.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ci.h"
#include "flashio.h"
#include "flashlib.h"
#include "mtdtool.h"
#include "sysroot.h"

namespace {

constexpr char kRunning[] = "/tmp/var/romfile.cfg";
constexpr char kUpload[] = "/var/tmp/up_romfile.cfg";

// Word k of the command, or nullptr past the last one: a missing word never
// matches, and nothing beyond the word list is read.
bool word_is(int n, char **p, int k, const char *want)
{
    return k < n && p[k] && strcmp(p[k], want) == 0;
}

// 1 when the trailer is gone from the last erase block, 0 when it is still
// there, -1 when the block could not be read (reason printed).
int romd_gone()
{
    wy::Fd fd(vr_open_mtd(ROMD_PARTITION, O_RDONLY));
    if (!fd.ok()) {
        printf("%s: Could not open mtd device: %s\n", "ATRomd", ROMD_PARTITION);
        return -1;
    }
    off_t end = lseek(fd.get(), 0, SEEK_END);
    char trailer[ROMD_TRAILER_SIZE];
    if (end < ROMD_TRAILER_SIZE ||
        flashio::pread_full(fd.get(), trailer, sizeof trailer, end - ROMD_TRAILER_SIZE) != ROMD_TRAILER_SIZE) {
        printf("Error read last block info.\n");
        return -1;
    }
    // Any marker left, whatever length it names, means the erase did not happen.
    return memmem(trailer, sizeof trailer, ROMD_TRAILER_TAG, sizeof ROMD_TRAILER_TAG - 1) ? 0 : 1;
}

int erase()
{
    // The tool's status is no proof; the flash read back afterwards is.
    mtdtool::erase_romd();
    if (romd_gone() != 1) {
        printf("Clear ROM-D fail!\n");
        ERROROut();
        return -1;
    }
    printf("Clear ROM-D success.\n");
    OKOut();
    return 0;
}

// The upload copy exists as a regular file after the copy ran.
bool upload_present()
{
    char host[PATH_MAX];
    struct stat st;
    return wy_path(host, sizeof host, kUpload) && lstat(host, &st) == 0 && S_ISREG(st.st_mode);
}

int copy()
{
    // A file left by an earlier run must never be taken for this copy.
    char host[PATH_MAX];
    if (!wy_path(host, sizeof host, kUpload) || (unlink(host) != 0 && errno != ENOENT)) {
        printf("Cannot remove old %s\n", kUpload);
        ERROROut();
        return -1;
    }
    char line[64];
    snprintf(line, sizeof line, "/bin/cp %s %s", kRunning, kUpload);
    if (!ci_shell_ok(line) || !upload_present()) {
        printf("Copy %s to %s fail!\n", kRunning, kUpload);
        ERROROut();
        return -1;
    }
    const char *const store[] = {
        "/userfs/bin/wyapi set WebCurSet_Entry UploadFileType 3",
        "/userfs/bin/wyapi set WebCurSet_Entry UploadReboot 0",
        "/userfs/bin/wyapi set System_Entry upgrade_fw 1",
        "/userfs/bin/wyapi commit System_Entry",
    };
    for (const char *cmd : store) {
        // A commit after a failed set would start another upload than asked.
        if (!ci_shell_ok(cmd)) {
            ERROROut();
            return -1;
        }
    }
    OKOut();
    return 0;
}

int show_crc()
{
    uint32_t crc = vr_getRomdChksum();
    if (crc == 0)
        printf("No ROM-D information.\n");
    else
        printf("ROM-D     Checksum   : %08x\r\n", crc);
    OKOut();
    return 0;
}

int show_xml()
{
    if (!vr_dumpRomdContent()) {
        printf("Error dump ROM-D!\n");
        ERROROut();
        return -1;
    }
    OKOut();
    return 0;
}

} // namespace

int ATRomd(int n, char **p)
{
    if (word_is(n, p, 0, "erase") && word_is(n, p, 1, "romd"))
        return erase();
    if (word_is(n, p, 0, "copy") && word_is(n, p, 1, "romt") && word_is(n, p, 2, "romd"))
        return copy();
    if (word_is(n, p, 0, "romd") && word_is(n, p, 1, "show") && word_is(n, p, 2, "crc"))
        return show_crc();
    if (word_is(n, p, 0, "romd") && word_is(n, p, 1, "show") && word_is(n, p, 2, "xml"))
        return show_xml();
    ERROROut();
    return -1;
}

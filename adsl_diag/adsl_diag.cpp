#include "adsl_diag.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sysroot.h"

namespace {

constexpr char kLockFile[] = "/tmp/adsllockfd";
constexpr char kNode[] = "/proc/wysoc/wyci_cmd";
constexpr char kInfo[] = "/proc/wysoc/wysupport_adslinfo";
constexpr char kDiag[] = "/tmp/adslFileDiag";
constexpr size_t kLineSize = 80; // 79 characters and the NUL
constexpr size_t kChunk = 256;

// Only the owner (root on the gateway) may take the lock, so no other user can
// hold diagnostics off; a planted symlink is not followed.
int open_lock_file()
{
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, kLockFile))
        return -1;
    return open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// Writes the line to the node; false, the reason printed, when it did not get
// there whole.
bool send_line(const char *line)
{
    char path[PATH_MAX];
    FILE *node = wy_path(path, sizeof path, kNode) ? fopen(path, "w") : nullptr;
    if (!node) {
        printf("open %s fail\n", kNode);
        return false;
    }
    bool sent = fprintf(node, "%s", line) >= 0 && fflush(node) == 0;
    if (fclose(node) != 0)
        sent = false;
    if (!sent)
        printf("write %s fail\n", kNode);
    return sent;
}

void show_info()
{
    char cmd[64];
    snprintf(cmd, sizeof cmd, "cat %s", kInfo);
    // cat reports its own failures; nothing more to say here.
    (void)wy_system(cmd);
}

void show_and_remove_diag()
{
    fileToStdout(kDiag);
    char path[PATH_MAX];
    // Removed whether or not it could be printed; a missing file fails quietly.
    if (wy_path(path, sizeof path, kDiag))
        unlink(path);
}

} // namespace

// Only a regular file is copied: a FIFO, or a link to a device such as
// /dev/zero, left in place of the file would otherwise hold the run, and the
// lock, for ever. O_NONBLOCK keeps the open of a FIFO from waiting for a writer.
extern "C" int fileToStdout(const char *path)
{
    char real[PATH_MAX];
    int fd = wy_path(real, sizeof real, path) ? open(real, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (fd < 0) {
        printf("\r\nopen file error!");
        return -1;
    }
    struct stat st;
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    (void)lseek(fd, 0, SEEK_SET);
    char chunk[kChunk + 1];
    while (regular) {
        ssize_t n = read(fd, chunk, kChunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        chunk[n] = '\0';
        printf("%s", chunk);
    }
    printf("\r\n");
    close(fd);
    return 0;
}

extern "C" int set_file_lock(int fd, int cmd, short type, off_t start, int whence, off_t len)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_start = start;
    lock.l_whence = static_cast<short>(whence);
    lock.l_len = len;
    return fcntl(fd, cmd, &lock);
}

bool adsl_build_line(int argc, char **argv, char *out, size_t size)
{
    if (size == 0)
        return false;
    out[0] = '\0';
    size_t used = 0;
    for (int i = 0; i < argc && argv[i]; ++i) {
        const char *sep = i > 0 ? " " : "";
        int len = snprintf(out + used, size - used, "%s%s", sep, argv[i]);
        if (len < 0 || static_cast<size_t>(len) >= size - used) {
            out[0] = '\0';
            return false;
        }
        used += static_cast<size_t>(len);
    }
    return true;
}

AdslOutput adsl_output_for(const char *line)
{
    const char *delt = strstr(line, "delt");
    if (!delt)
        return AdslOutput::info;
    if (strstr(delt, "show") || strstr(delt, "status"))
        return AdslOutput::diag;
    return AdslOutput::none;
}

int adsl_lock_wait(int fd)
{
    // An interrupted wait must not let this run in beside another.
    int rc;
    do
        rc = set_file_lock(fd, F_SETLKW, F_WRLCK, 0, SEEK_SET, 0);
    while (rc == -1 && errno == EINTR);
    return rc;
}

int adsl_main(int argc, char **argv)
{
    int lock = open_lock_file();
    bool locked = false;
    if (lock < 0)
        printf("\r\nopen lock file error!");
    else
        locked = adsl_lock_wait(lock) == 0;

    char line[kLineSize];
    if (!adsl_build_line(argc, argv, line, sizeof line)) {
        printf("command line too long: at most %zu characters\n", kLineSize - 1);
    } else if (send_line(line)) {
        switch (adsl_output_for(line)) {
        case AdslOutput::info: show_info(); break;
        case AdslOutput::diag: show_and_remove_diag(); break;
        case AdslOutput::none: break;
        }
    }

    // Our output is out before the next run may start on its own.
    fflush(stdout);
    if (locked)
        set_file_lock(lock, F_SETLK, F_UNLCK, 0, SEEK_SET, 0);
    if (lock >= 0)
        close(lock);
    return 0;
}

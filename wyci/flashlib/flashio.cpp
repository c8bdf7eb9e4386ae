#include "flashio.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include "sysroot.h"

namespace flashio {

ssize_t read_full(int fd, void *buf, size_t len)
{
    auto *out = static_cast<unsigned char *>(buf);
    size_t got = 0;
    while (got < len) {
        ssize_t r = read(fd, out + got, len - got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return got ? static_cast<ssize_t>(got) : -1;
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

ssize_t pread_full(int fd, void *buf, size_t len, off_t offset)
{
    auto *out = static_cast<unsigned char *>(buf);
    size_t got = 0;
    while (got < len) {
        ssize_t r = pread(fd, out + got, len - got, offset + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return got ? static_cast<ssize_t>(got) : -1;
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

bool mtd_line_number(const char *line, int *number)
{
    if (line[0] != 'm' || line[1] != 't' || line[2] != 'd')
        return false;
    const char *c = line + 3;
    int value = 0;
    int digits = 0;
    // Six digits are far beyond any device count and keep the value in range.
    while (*c >= '0' && *c <= '9') {
        if (++digits > 6)
            return false;
        value = value * 10 + (*c - '0');
        ++c;
    }
    if (digits == 0 || *c != ':')
        return false;
    *number = value;
    return true;
}

const char *host_path(char *out, size_t size, const char *path)
{
    if (path[0] == '/')
        return wy_path(out, size, path);
    if (strlen(path) >= size)
        return nullptr;
    strcpy(out, path);
    return out;
}

bool same_file(int a, int b)
{
    struct stat sa, sb;
    if (fstat(a, &sa) != 0 || fstat(b, &sb) != 0)
        return false;
    if (S_ISCHR(sa.st_mode) && S_ISCHR(sb.st_mode))
        return sa.st_rdev == sb.st_rdev;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace flashio

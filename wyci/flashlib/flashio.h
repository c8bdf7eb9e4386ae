// Private helpers of the flash library and the factory commands: owners that
// close and free on every path, and reads that do not stop at a short count.
#ifndef WY_FLASHLIB_FLASHIO_H
#define WY_FLASHLIB_FLASHIO_H

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/types.h>
#include <unistd.h>

#include <memory>

namespace flashio {

struct FreeDeleter {
    void operator()(void *p) const { free(p); }
};
using Buffer = std::unique_ptr<unsigned char, FreeDeleter>;

// Closes without looking at the result: for streams only read from. Streams
// that were written are closed by hand so that the result is checked.
struct FileCloser {
    void operator()(FILE *f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void reset()
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Reads until `len` bytes arrived, end of file or an error. Returns the count
// read, or -1 when an error came before any byte.
ssize_t read_full(int fd, void *buf, size_t len);

// pread() until `len` bytes arrived; same result rule as read_full.
ssize_t pread_full(int fd, void *buf, size_t len, off_t offset);

// Parses the start of one /proc/mtd line: "mtd" followed by decimal digits and
// ':'. Stores the number and returns true; false for anything else, including a
// number too large for a device name.
bool mtd_line_number(const char *line, int *number);

// `path` as this process opens it: absolute paths are device paths and move
// under the system root; relative ones are used as given. nullptr when the
// result does not fit `size` bytes.
const char *host_path(char *out, size_t size, const char *path);

// Two descriptors of the same file or device.
bool same_file(int a, int b);

} // namespace flashio

#endif

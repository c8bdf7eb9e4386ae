// Owners that release what they hold on every path: a file descriptor, a
// stdio stream and a malloc'd buffer. Header-only kinds, fit for deliverables.
// The one set for the whole tree.
#ifndef WY_COMMON_OWNERS_H
#define WY_COMMON_OWNERS_H

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

namespace wy {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int release()
    {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// Closes without looking at the result: for streams only read from. Streams
// that were written are closed by hand so that the result is checked.
struct FileCloser {
    void operator()(FILE *f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

struct FreeDeleter {
    void operator()(void *p) const { free(p); }
};
// A calloc'd or malloc'd block: Heap<unsigned char>, Heap<uint8_t[]> ...
template <typename T>
using Heap = std::unique_ptr<T, FreeDeleter>;

} // namespace wy

#endif

#include "flashimg.h"

#include "layout.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace gwsim {
namespace {

// flock held for one scope.
class Lock {
public:
    Lock(int fd, int how) : fd_(fd) {
        while (flock(fd_, how) != 0 && errno == EINTR) {
        }
    }
    ~Lock() { flock(fd_, LOCK_UN); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    int fd_;
};

std::string errtext(const char *what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool pread_all(int fd, uint8_t *p, size_t n, off_t at)
{
    while (n > 0) {
        ssize_t r = pread(fd, p, n, at);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
        at += r;
    }
    return true;
}

bool pwrite_all(int fd, const uint8_t *p, size_t n, off_t at)
{
    while (n > 0) {
        ssize_t r = pwrite(fd, p, n, at);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
        at += r;
    }
    return true;
}

} // namespace

FlashImage::~FlashImage()
{
    if (fd_ >= 0)
        close(fd_);
}

bool FlashImage::open(const std::string &path, bool writable, std::string &error)
{
    fd_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd_ < 0) {
        error = errtext(path.c_str());
        return false;
    }
    struct stat st {};
    if (fstat(fd_, &st) != 0 || st.st_size != kFlashSize) {
        error = path + ": not a flash image of 8 MiB";
        close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool FlashImage::in_range(uint32_t offset, size_t length) const
{
    return offset <= kFlashSize && length <= kFlashSize - offset;
}

long FlashImage::read(uint32_t offset, std::span<uint8_t> out) const
{
    if (offset >= kFlashSize)
        return 0;
    size_t n = std::min<size_t>(out.size(), kFlashSize - offset);
    Lock lock(fd_, LOCK_SH);
    if (!pread_all(fd_, out.data(), n, offset))
        return errno ? -errno : -EIO;
    return static_cast<long>(n);
}

bool FlashImage::erase_locked(uint32_t offset, uint32_t length, std::string &error) const
{
    if (offset % kEraseSize != 0 || length % kEraseSize != 0 || !in_range(offset, length)) {
        error = "erase outside the flash or not on erase-block bounds";
        return false;
    }
    std::vector<uint8_t> ones(kEraseSize, 0xFF);
    for (uint32_t at = offset; at < offset + length; at += kEraseSize) {
        if (!pwrite_all(fd_, ones.data(), ones.size(), at)) {
            error = errtext("erase");
            return false;
        }
    }
    return true;
}

bool FlashImage::program_locked(uint32_t offset, std::span<const uint8_t> data,
                                std::string &error) const
{
    if (!in_range(offset, data.size())) {
        error = "program outside the flash";
        return false;
    }
    std::vector<uint8_t> cells(data.size());
    if (!pread_all(fd_, cells.data(), cells.size(), offset)) {
        error = errtext("program: read");
        return false;
    }
    for (size_t i = 0; i < cells.size(); ++i)
        cells[i] &= data[i];
    if (!pwrite_all(fd_, cells.data(), cells.size(), offset)) {
        error = errtext("program");
        return false;
    }
    return true;
}

bool FlashImage::erase(uint32_t offset, uint32_t length, std::string &error) const
{
    Lock lock(fd_, LOCK_EX);
    return erase_locked(offset, length, error);
}

bool FlashImage::program(uint32_t offset, std::span<const uint8_t> data, std::string &error) const
{
    Lock lock(fd_, LOCK_EX);
    return program_locked(offset, data, error);
}

bool FlashImage::write(uint32_t offset, std::span<const uint8_t> data, std::string &error) const
{
    if (!in_range(offset, data.size())) {
        error = "write outside the flash";
        return false;
    }
    uint32_t first = offset - offset % kEraseSize;
    uint32_t end = offset + static_cast<uint32_t>(data.size());
    uint32_t last = (end + kEraseSize - 1) / kEraseSize * kEraseSize;
    Lock lock(fd_, LOCK_EX);
    if (!data.empty() && !erase_locked(first, last - first, error))
        return false;
    if (!program_locked(offset, data, error))
        return false;
    std::vector<uint8_t> back(data.size());
    if (!pread_all(fd_, back.data(), back.size(), offset) ||
        !std::equal(back.begin(), back.end(), data.begin())) {
        error = "verify after write failed";
        return false;
    }
    return true;
}

bool FlashImage::poke(uint32_t offset, std::span<const uint8_t> data, std::string &error) const
{
    if (!in_range(offset, data.size())) {
        error = "poke outside the flash";
        return false;
    }
    Lock lock(fd_, LOCK_EX);
    if (!pwrite_all(fd_, data.data(), data.size(), offset)) {
        error = errtext("poke");
        return false;
    }
    return true;
}

bool create_erased_image(const std::string &path, std::string &error)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errtext(path.c_str());
        return false;
    }
    std::vector<uint8_t> ones(kEraseSize, 0xFF);
    bool ok = true;
    for (uint32_t at = 0; ok && at < kFlashSize; at += kEraseSize)
        ok = pwrite_all(fd, ones.data(), ones.size(), at);
    if (!ok)
        error = errtext(path.c_str());
    close(fd);
    return ok;
}

} // namespace gwsim

// Test helpers for what an emulated target cannot do. qemu-user passes most
// system calls straight through but refuses ioctls it has no translation for,
// MEMGETINFO among them (its number differs between MIPS and x86, so it cannot
// simply be forwarded). Tests that depend on it skip there, with the reason in
// the test output; natively and on real hardware these helpers never skip.
#ifndef WY_TARGET_TEST_H
#define WY_TARGET_TEST_H

#include <errno.h>
#include <fcntl.h>
#include <mtd/mtd-user.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

namespace wytarget {

// Why MEMGETINFO cannot be exercised on `mtd_path` in this run, or nullptr when
// it can. Only an emulated target build ever answers with a reason, and only
// when the request really fails there as an untranslated ioctl does; a missing
// device or any other failure is left for the test itself to report.
inline const char *memgetinfo_unavailable(const std::string &mtd_path) {
#ifdef WY_EMULATED_TARGET
    int fd = open(mtd_path.c_str(), O_RDONLY);
    if (fd < 0)
        return nullptr;
    mtd_info_user info{};
    int rc = ioctl(fd, MEMGETINFO, &info);
    int err = errno;
    close(fd);
    if (rc != 0 && (err == ENOTTY || err == ENOSYS))
        return "qemu-user does not translate the MTD information request MEMGETINFO; "
               "this test runs natively and on the gateway";
#else
    (void)mtd_path;
#endif
    return nullptr;
}

} // namespace wytarget

// First statement of a test (or of SetUp) that needs MEMGETINFO on a device,
// e.g. WY_SKIP_WITHOUT_MEMGETINFO(gw.path("/dev/mtd0")).
#define WY_SKIP_WITHOUT_MEMGETINFO(mtd_path)                                 \
    do {                                                                     \
        if (const char *wy_skip_reason_ = wytarget::memgetinfo_unavailable(mtd_path)) \
            GTEST_SKIP() << wy_skip_reason_;                                 \
    } while (0)

#endif

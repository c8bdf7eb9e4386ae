#include <cstdlib>
#include <string>

#include <unistd.h>

#include "wy_target_test.h"

// A plain file refuses MEMGETINFO natively too (ENOTTY), so it stands in for
// the untranslated request: only an emulated target build may skip on it.
TEST(SkipHelper, SkipsOnlyOnAnEmulatedTarget) {
    char path[] = "/tmp/wy_skip_helper_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    const char *why = wytarget::memgetinfo_unavailable(path);
#ifdef WY_EMULATED_TARGET
    ASSERT_NE(why, nullptr);
    EXPECT_NE(std::string(why).find("MEMGETINFO"), std::string::npos);
#else
    EXPECT_EQ(why, nullptr);
#endif
    unlink(path);
}

// A device that is not there is the test's own failure, never a skip.
TEST(SkipHelper, NeverSkipsForAMissingDevice) {
    EXPECT_EQ(wytarget::memgetinfo_unavailable("/nonexistent/dev/mtd0"), nullptr);
}

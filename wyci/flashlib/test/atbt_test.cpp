#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "flashlib.h"
#include "wytest/temproot.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;

class ArmFlag : public wytest::RootTest {};

TEST_F(ArmFlag, ReadsFileByte)
{
    struct Case {
        const char *what;
        bool present;
        std::string bytes;
        int value;
        const char *printed;
    };
    const Case cases[] = {
        {"missing", false, "", 0, "Open file error!!\n\nERROR\n"},
        {"empty", true, "", 0, ""},
        {"zero", true, std::string(1, '\0'), 0, ""},
        {"one", true, "\x01", 1, ""},
        {"two counts as armed", true, "\x02", 2, ""},
        {"high byte", true, "\xff", 255, ""},
        {"only the first byte", true, "\x01\x00", 1, ""},
    };
    for (const Case &c : cases) {
        std::filesystem::remove(path("/tmp/vorna_atbt"));
        if (c.present)
            put("/tmp/vorna_atbt", c.bytes);
        CaptureStdout();
        int v = atbt_get();
        EXPECT_EQ(GetCapturedStdout(), c.printed) << c.what;
        EXPECT_EQ(v, c.value) << c.what;
    }
}

TEST_F(ArmFlag, SetStoresOneByteAndRoundTrips)
{
    put("/tmp/vorna_atbt", "stale contents");
    EXPECT_EQ(atbt_set(1), 1);
    EXPECT_EQ(get("/tmp/vorna_atbt"), std::string("\x01", 1));
    EXPECT_EQ(atbt_get(), 1);
    EXPECT_EQ(atbt_set(0), 1);
    EXPECT_EQ(get("/tmp/vorna_atbt"), std::string(1, '\0'));
    EXPECT_EQ(atbt_get(), 0);
}

TEST_F(ArmFlag, SetFailuresAreReported)
{
    std::filesystem::remove_all(path("/tmp"));
    CaptureStdout();
    EXPECT_EQ(atbt_set(0), 0);
    EXPECT_EQ(GetCapturedStdout(), "Open file error!!\n\nERROR\n");

    // Opens fine, but the byte never lands: a disarm must not pass for done.
    std::filesystem::create_directories(path("/tmp"));
    link("/dev/full", "/tmp/vorna_atbt");
    CaptureStdout();
    EXPECT_EQ(atbt_set(0), 0);
    EXPECT_EQ(GetCapturedStdout(), "Write file error!!\n\nERROR\n");
}

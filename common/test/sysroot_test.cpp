#include "sysroot.h"

#include <gtest/gtest.h>

#include "wytest/capture.h"
#include "wytest/temproot.h"
#include <stdlib.h>
#include <string>

namespace {

struct RootCase {
    const char *root; // nullptr: unset
    const char *path;
    const char *expect; // nullptr: refused
};

class SysrootEnv : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("WY_SYSROOT"); }
    static void set_root(const char *root)
    {
        if (root)
            setenv("WY_SYSROOT", root, 1);
        else
            unsetenv("WY_SYSROOT");
    }
};

TEST_F(SysrootEnv, PathJoinsOrRefuses)
{
    const RootCase cases[] = {
        {nullptr, "/dev/mtd0", "/dev/mtd0"},
        {"", "/tmp/boot.bin", "/tmp/boot.bin"},
        {"/sim/gw1/root", "/dev/mtd0", "/sim/gw1/root/dev/mtd0"},
        {"/a-b_c.d/0", "/proc/mtd", "/a-b_c.d/0/proc/mtd"},
        {"relative/root", "/dev/mtd0", nullptr},
        {"/with space", "/dev/mtd0", nullptr},
        {"/semi;colon", "/dev/mtd0", nullptr},
        {"/dollar$HOME", "/dev/mtd0", nullptr},
        {"/quote'", "/dev/mtd0", nullptr},
        {"/back`tick`", "/dev/mtd0", nullptr},
        {"/new\nline", "/dev/mtd0", nullptr},
        {"/sim", "relative/path", nullptr},
    };
    for (const auto &c : cases) {
        set_root(c.root);
        char out[128] = "junk";
        const char *got = wy_path(out, sizeof out, c.path);
        SCOPED_TRACE(std::string("root=") + (c.root ? c.root : "(unset)") + " path=" + c.path);
        if (c.expect) {
            ASSERT_NE(got, nullptr);
            EXPECT_STREQ(out, c.expect);
        } else {
            EXPECT_EQ(got, nullptr);
            EXPECT_STREQ(out, "");
        }
    }
}

TEST_F(SysrootEnv, PathThatDoesNotFitIsRefusedNotCut)
{
    set_root("/0123456789");
    char out[16];
    EXPECT_EQ(wy_path(out, sizeof out, "/dev/mtd0"), nullptr); // needs 21 bytes
    EXPECT_STREQ(out, "");
    char fits[21];
    EXPECT_NE(wy_path(fits, sizeof fits, "/dev/mtd0"), nullptr);
    EXPECT_STREQ(fits, "/0123456789/dev/mtd0");
}

TEST_F(SysrootEnv, CommandLinePathsArePrefixed)
{
    struct {
        const char *root;
        const char *line;
        const char *expect;
    } cases[] = {
        {nullptr, "cat /dev/mtd0 > /tmp/boot.bin", "cat /dev/mtd0 > /tmp/boot.bin"},
        {"/r", "cat /dev/mtd0 > /tmp/boot.bin", "cat /r/dev/mtd0 > /r/tmp/boot.bin"},
        {"/r", "/userfs/bin/mtd -f write /tmp/boot.bin bootloader",
         "/r/userfs/bin/mtd -f write /r/tmp/boot.bin bootloader"},
        {"/r", "rm /tmp/boot.bin", "rm /r/tmp/boot.bin"},
        {"/r", "reboot", "reboot"},
        {"/r", "echo a>/tmp/x 2</dev/null v=/etc", "echo a>/r/tmp/x 2</r/dev/null v=/r/etc"},
        {"/r", "ifconfig ra0 up", "ifconfig ra0 up"},
        // a slash inside a word is not a path start
        {"/r", "echo 1/2 a/b", "echo 1/2 a/b"},
    };
    for (const auto &c : cases) {
        set_root(c.root);
        char out[256];
        SCOPED_TRACE(c.line);
        ASSERT_NE(wy_cmdline(out, sizeof out, c.line), nullptr);
        EXPECT_STREQ(out, c.expect);
    }
}

TEST_F(SysrootEnv, CommandLineRefusals)
{
    set_root("/bad root");
    char out[256];
    EXPECT_EQ(wy_cmdline(out, sizeof out, "cat /dev/mtd0"), nullptr);
    EXPECT_EQ(wy_system("true"), -1);

    set_root("/r");
    char small[12];
    EXPECT_EQ(wy_cmdline(small, sizeof small, "cat /dev/mtd0"), nullptr); // "cat /r/dev/mtd0" is 15
    EXPECT_STREQ(small, "");
}

TEST_F(SysrootEnv, SystemRunsTheRewrittenLine)
{
    wytest::TempRoot root;
    ASSERT_EQ(wy_system("mkdir /tmp && echo hello > /tmp/out"), 0);
    EXPECT_EQ(root.get("/tmp/out"), "hello\n");
}

// What the caller printed and has not flushed comes before the command's output.
TEST_F(SysrootEnv, SystemFlushesStandardOutputFirst)
{
    wytest::Capture out;
    printf("before ");
    ASSERT_EQ(wy_system("echo after"), 0);
    EXPECT_EQ(out.text(), "before after\n");
}

} // namespace

#include <fcntl.h>

#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "flashlib.h"
#include "wytest/temproot.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;

namespace {

// Each stand-in device holds its own name, so a read tells which one opened.
class MtdFiles : public wytest::RootTest {
protected:
    void SetUp() override
    {
        wytest::RootTest::SetUp();
        for (int i = 0; i < 5; ++i)
            put("/dev/mtd" + std::to_string(i), "mtd" + std::to_string(i));
    }
    // Name of the device vr_open_mtd opened, "" when it failed.
    std::string opened(const char *name) const
    {
        int fd = vr_open_mtd(name, O_RDONLY);
        if (fd < 0)
            return "";
        char buf[64] = {};
        ssize_t n = read(fd, buf, sizeof buf - 1);
        close(fd);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "(empty)";
    }
};

const char kSimLayout[] = "dev:    size   erasesize  name\n"
                          "mtd0: 00020000 00010000 \"bootloader\"\n"
                          "mtd1: 00010000 00010000 \"romfile\"\n"
                          "mtd2: 007c0000 00010000 \"wylinux\"\n"
                          "mtd3: 00010000 00010000 \"romd\"\n"
                          "mtd4: 00010000 00010000 \"second_romfile\"\n";

} // namespace

TEST_F(MtdFiles, FirstLineContainingTheNameWins)
{
    struct Case {
        std::string proc_mtd;
        const char *name;
        const char *device;
    };
    const std::string second_first = "mtd4: 00010000 00010000 \"second_romfile\"\n"
                                     "mtd1: 00010000 00010000 \"romfile\"\n";
    const Case cases[] = {
        {kSimLayout, "bootloader", "mtd0"},
        {kSimLayout, "romfile", "mtd1"},
        {kSimLayout, "second_romfile", "mtd4"},
        {kSimLayout, "romd", "mtd3"},
        {second_first, "romfile", "mtd4"}, // a substring match, as listed
        {kSimLayout, "/dev/mtd3", "mtd3"}, // not listed: opened as a path
        {kSimLayout, "nosuch", ""},        // not listed, relative: no device
        // Lines that do not start with "mtdN:" never select a device.
        {"mtd-1: romfile\nmtd 2: romfile\nmtd3 romfile\nxmtd2: romfile\nmtd: romfile\n"
         "mtd1: romfile\n",
         "romfile", "mtd1"},
        {"mtd9999999: romfile\nmtd2: romfile\n", "romfile", "mtd2"},
        {"mtd2: romfile", "romfile", "mtd2"}, // last line without newline
        // A line over 4095 characters is skipped whole: its tail is no line.
        {"mtd0: " + std::string(4095 - 6, 'a') + "mtd3: romd\nmtd2: romd\n", "romd", "mtd2"},
        // Exactly 4095 characters still make one line.
        {"mtd0: " + std::string(4095 - 6, 'a') + "\nmtd3: romd\nmtd2: romd\n", "romd", "mtd3"},
        {std::string("mtd1: rom\0file\nmtd3: romfile\n", 29), "romfile", "mtd3"},
    };
    for (const Case &c : cases) {
        put("/proc/mtd", c.proc_mtd);
        EXPECT_EQ(opened(c.name), c.device) << "name " << c.name << " in\n" << c.proc_mtd.substr(0, 200);
    }
}

TEST_F(MtdFiles, WithoutProcMtdTheNameIsAPath)
{
    EXPECT_EQ(opened("/dev/mtd2"), "mtd2");
    EXPECT_EQ(opened("bootloader"), "");
    EXPECT_EQ(opened("/dev/mtd7"), "");
}

TEST_F(MtdFiles, MatchedDeviceThatIsMissingFails)
{
    put("/proc/mtd", "mtd7: 00010000 00010000 \"extra\"\n");
    EXPECT_EQ(opened("extra"), "");
}

TEST_F(MtdFiles, SizeFailuresArePrinted)
{
    put("/proc/mtd", kSimLayout);
    CaptureStdout();
    EXPECT_EQ(vr_mtd_size("nosuch"), 0);
    EXPECT_EQ(GetCapturedStdout(), "Could not open mtd device: nosuch\n");
    // A plain file answers no MTD information request.
    CaptureStdout();
    EXPECT_EQ(vr_mtd_size("romd"), 0);
    EXPECT_EQ(GetCapturedStdout(), "Could not get MTD device info from romd\n");
}

TEST_F(MtdFiles, ReadFdToBufReadsExactlyFromThePosition)
{
    put("/dev/mtd1", "0123456789");
    int fd = open(path("/dev/mtd1").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(lseek(fd, 3, SEEK_SET), 3);
    unsigned char *buf = vr_readFdtoBuf(fd, 5);
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), 5), "34567");
    free(buf);

    CaptureStdout();
    EXPECT_EQ(vr_readFdtoBuf(fd, 3), nullptr); // two bytes are left
    EXPECT_EQ(GetCapturedStdout(), "Error: vr_readFdtoBuf read function fail.\n");
    close(fd);

    CaptureStdout();
    EXPECT_EQ(vr_readFdtoBuf(-1, 4), nullptr);
    EXPECT_EQ(GetCapturedStdout(), "Error: vr_readFdtoBuf read function fail.\n");
    CaptureStdout();
    EXPECT_EQ(vr_readFdtoBuf(0, 0), nullptr);
    EXPECT_EQ(vr_readFdtoBuf(0, -5), nullptr);
    EXPECT_EQ(GetCapturedStdout(), "buffer allocation failed.\nbuffer allocation failed.\n");
}

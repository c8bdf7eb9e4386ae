#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "flashlib.h"
#include "simtest.h"
#include "wy_target_test.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;

namespace {

// The library in this process, against a simulated gateway's MTD devices,
// /proc/mtd and flash tool.
class SimFlash : public ::testing::Test {
protected:
    void SetUp() override { setenv("WY_SYSROOT", gw_.root().c_str(), 1); }
    void TearDown() override { unsetenv("WY_SYSROOT"); }

    void replace_tool(const std::string &body) const
    {
        std::filesystem::remove(gw_.path("/userfs/bin/mtd"));
        gw_.write_file("/userfs/bin/mtd", "#!/bin/sh\n" + body);
        chmod(gw_.path("/userfs/bin/mtd").c_str(), 0755);
    }
    std::vector<uint8_t> boot() const { return gw_.flash(0, BOOT_IMAGE_SIZE); }

    simtest::Gateway gw_;
};

} // namespace

TEST_F(SimFlash, OpensPartitionsByName)
{
    struct Case {
        const char *name;
        uint32_t flash_at; // where the opened device starts in the image
    };
    const Case cases[] = {
        {"bootloader", 0x000000}, {"romfile", 0x020000}, {"wylinux", 0x030000},
        {"romd", 0x7E0000},       {"second_romfile", 0x7F0000}, {"/dev/mtd3", 0x7E0000},
    };
    for (const Case &c : cases) {
        int fd = vr_open_mtd(c.name, O_RDONLY);
        ASSERT_GE(fd, 0) << c.name;
        unsigned char *got = vr_readFdtoBuf(fd, 64);
        close(fd);
        ASSERT_NE(got, nullptr) << c.name;
        EXPECT_EQ(std::vector<uint8_t>(got, got + 64), gw_.flash(c.flash_at, 64)) << c.name;
        free(got);
    }
    EXPECT_EQ(vr_open_mtd("nosuch", O_RDONLY), -1);
}

TEST_F(SimFlash, MemgetinfoGivesPartitionSizes)
{
    WY_SKIP_WITHOUT_MEMGETINFO(gw_.path("/dev/mtd0"));
    struct Case {
        const char *name;
        int size;
    };
    const Case cases[] = {
        {"bootloader", 0x20000}, {"romfile", 0x10000}, {"wylinux", 0x7C0000},
        {"romd", 0x10000},       {"second_romfile", 0x10000}, {"/dev/mtd0", 0x20000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(vr_mtd_size(c.name), c.size) << c.name;
}

TEST_F(SimFlash, RecordRoundTripChangesNothingElse)
{
    const std::vector<uint8_t> before = boot();
    unsigned char rec[MRD_SIZE];
    ASSERT_EQ(MRDread(rec), 1);
    EXPECT_EQ(std::vector<uint8_t>(rec, rec + MRD_SIZE),
              std::vector<uint8_t>(before.begin() + MRD_OFFSET, before.begin() + MRD_OFFSET + MRD_SIZE));
    for (int i = 0; i < MRD_SIZE; ++i)
        rec[i] = static_cast<unsigned char>(0xA5 ^ i);
    CaptureStdout();
    EXPECT_EQ(MRDwrite(rec), 1);
    EXPECT_EQ(GetCapturedStdout(), "");
    const std::vector<uint8_t> after = boot();
    for (uint32_t i = 0; i < BOOT_IMAGE_SIZE; ++i) {
        bool in_record = i >= MRD_OFFSET && i < MRD_OFFSET + MRD_SIZE;
        ASSERT_EQ(after[i], in_record ? rec[i - MRD_OFFSET] : before[i]) << "offset 0x" << std::hex << i;
    }
    EXPECT_EQ(gw_.calls(), std::vector<std::string>{"mtd -f write /tmp/boot.bin bootloader"});
    EXPECT_EQ(gw_.read_file("/tmp/boot.bin").size(), static_cast<size_t>(BOOT_IMAGE_SIZE));
}

TEST_F(SimFlash, FailingToolIsReported)
{
    struct Case {
        const char *what;
        std::string tool; // "" = no tool at all
        const char *status;
    };
    const Case cases[] = {
        {"fails", "exit 3\n", "3"},
        {"claims success", "exit 0\n", "0"},
        // Writes the file to the wrong partition.
        {"writes elsewhere", "exec \"$WY_SYSROOT/userfs/bin/mtd.real\" -f write \"$3\" wylinux\n", "0"},
        {"missing", "", "127"},
    };
    std::filesystem::copy_file(gw_.path("/userfs/bin/mtd"), gw_.path("/userfs/bin/mtd.real"));
    for (const Case &c : cases) {
        const std::vector<uint8_t> before = boot();
        if (c.tool.empty())
            std::filesystem::remove(gw_.path("/userfs/bin/mtd"));
        else
            replace_tool(c.tool);
        unsigned char rec[MRD_SIZE];
        ASSERT_EQ(MRDread(rec), 1);
        rec[MRD_SERIAL_NUMBER] ^= 0x5A;
        CaptureStdout();
        EXPECT_EQ(MRDwrite(rec), 0) << c.what;
        EXPECT_EQ(GetCapturedStdout(), std::string("MRDwrite: bootloader read back from /dev/mtd0 differs from "
                                                   "the image written at 0x1ff68 (flash tool exit status ") +
                                           c.status + ")\n")
            << c.what;
        EXPECT_EQ(boot(), before) << c.what;
    }
}

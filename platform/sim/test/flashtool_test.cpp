// The flash tool stand-in /userfs/bin/mtd on a simulated gateway's flash.
#include "simtest.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

constexpr uint32_t kBoot = 0x000000, kBootSize = 0x20000;
constexpr uint32_t kRomd = 0x7E0000, kBlock = 0x10000;

std::string bytes_text(const std::vector<uint8_t> &v) { return std::string(v.begin(), v.end()); }

std::vector<uint8_t> counting(size_t n, uint8_t seed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
}

TEST(FlashTool, WriteReplacesTheCoveredBytesWhateverWasThere)
{
    simtest::Gateway gw;
    const auto after_boot = gw.flash(kBootSize, 0x100);
    // Both command forms the callers use; the bootloader is not erased before.
    for (const char *flags : {"-f", "-rf"}) {
        auto image = counting(kBootSize, flags[1]);
        gw.write_file("/tmp/boot.bin", bytes_text(image));
        auto r = gw.run({"sh", "-c",
                         std::string("mtd ") + flags + " write $WY_SYSROOT/tmp/boot.bin bootloader"
                         " && cmp $WY_SYSROOT/dev/mtd0 $WY_SYSROOT/tmp/boot.bin"});
        EXPECT_EQ(r.status, 0) << flags << ": " << r.err;  // cmp right after: no stale read
        EXPECT_EQ(gw.flash(kBoot, kBootSize), image) << flags;
    }
    EXPECT_EQ(gw.calls().back(), "mtd -rf write /tmp/boot.bin bootloader");
    // What follows the bootloader is as the device was created.
    EXPECT_EQ(gw.flash(kBootSize, 0x100), after_boot);
}

TEST(FlashTool, ShortWriteErasesOnlyTheBlocksItCovers)
{
    simtest::Gateway gw;
    auto before = gw.flash(kBoot, kBootSize);
    gw.write_file("/tmp/part.bin", std::string(100, '\x11'));
    auto r = gw.run({"mtd", "-f", "write", gw.path("/tmp/part.bin"), "bootloader"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto after = gw.flash(kBoot, kBootSize);
    EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.begin() + 100), std::vector<uint8_t>(100, 0x11));
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + 100, after.begin() + kBlock),
              std::vector<uint8_t>(kBlock - 100, 0xFF));
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + kBlock, after.end()),
              std::vector<uint8_t>(before.begin() + kBlock, before.end()));  // MRD block kept
}

TEST(FlashTool, EraseRomdClearsOnlyTheLastBlockOfWylinux)
{
    simtest::Gateway gw;
    gw.poke_flash(kRomd - 4, std::vector<uint8_t>(4 + kBlock + 4, 0x00));
    auto r = gw.run({"sh", "-c", "mtd -f erase romd"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(gw.flash(kRomd, kBlock), std::vector<uint8_t>(kBlock, 0xFF));
    EXPECT_EQ(gw.flash(kRomd - 4, 4), std::vector<uint8_t>(4, 0x00));          // wylinux before
    EXPECT_EQ(gw.flash(kRomd + kBlock, 4), std::vector<uint8_t>(4, 0x00));     // second_romfile
    EXPECT_EQ(gw.calls(), (std::vector<std::string>{"mtd -f erase romd"}));
}

TEST(FlashTool, RefusesBadRequestsAndChangesNothing)
{
    simtest::Gateway gw;
    gw.write_file("/tmp/boot.bin", std::string(kBootSize, '\0'));
    gw.write_file("/tmp/big.bin", std::string(kBootSize + 1, '\0'));
    gw.poke_flash(kRomd, std::vector<uint8_t>(16, 0x00));
    const std::string boot = gw.path("/tmp/boot.bin");
    const std::vector<std::vector<std::string>> cases = {
        {"mtd"},
        {"mtd", "-f"},
        {"mtd", "-x", "write", boot, "bootloader"},
        {"mtd", "-", "write", boot, "bootloader"},
        {"mtd", "-f", "write", boot},
        {"mtd", "-f", "write", boot, "bootloader", "extra"},
        {"mtd", "-f", "write", boot, "nosuch"},
        {"mtd", "-f", "write", boot, "boot"},             // names match whole
        {"mtd", "-f", "write", gw.path("/tmp/big.bin"), "bootloader"},
        {"mtd", "-f", "write", gw.path("/tmp/missing.bin"), "bootloader"},
        {"mtd", "-f", "erase"},
        {"mtd", "-f", "erase", "nosuch"},
        {"mtd", "-f", "erase", "romd", "extra"},
        {"mtd", "-f", "format", "romd"},
    };
    auto whole = gw.flash(0, 0x800000);
    for (const auto &argv : cases) {
        auto r = gw.run(argv);
        std::string line = std::accumulate(argv.begin(), argv.end(), std::string(),
                                           [](std::string a, const std::string &b) { return a + " " + b; });
        EXPECT_NE(r.status, 0) << line;
        EXPECT_NE(r.err.find("mtd: "), std::string::npos) << line;
    }
    EXPECT_TRUE(gw.flash(0, 0x800000) == whole);
}

TEST(FlashTool, NeverActsOutsideASimulatedGateway)
{
    simtest::Gateway gw;
    for (const char *tool : {"/userfs/bin/mtd", "/sbin/reboot", "/sbin/ifconfig"}) {
        // No WY_SYSROOT: run the device's copy directly with an empty environment.
        auto r = gw.run({"/usr/bin/env", "-i", gw.path(tool), "-f", "erase", "romd"});
        EXPECT_EQ(r.status, 1) << tool;
        EXPECT_NE(r.err.find("WY_SYSROOT is not set"), std::string::npos) << tool;
    }
    EXPECT_TRUE(gw.calls().empty());
}

} // namespace

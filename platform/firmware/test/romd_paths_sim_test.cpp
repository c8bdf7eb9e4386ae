// ROM-D through the firmware's paths in a simulated gateway: the factory copy
// of the running configuration into ROM-D, an upgrade whose image reaches the
// last erase block, and the restore to the default configuration.
#include "../../../wyci/flashlib/test/fwimage.h"
#include "flashlib.h"
#include "fwpaths.h"
#include "simtest.h"
#include "wy_target_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using fwimage::Bytes;

constexpr uint32_t kWylinuxAt = 0x030000;
constexpr uint32_t kWylinuxSize = 0x7C0000;
constexpr uint32_t kErase = 0x10000;
constexpr uint32_t kLastBlock = kWylinuxAt + kWylinuxSize - kErase;

class Romd : public ::testing::Test {
protected:
    std::string running() const { return gw_.read_file("/tmp/var/romfile.cfg"); }
    std::string wyci(const std::vector<std::string> &words) const
    {
        std::vector<std::string> argv = {"wyci"};
        argv.insert(argv.end(), words.begin(), words.end());
        simtest::RunResult r = gw_.run(argv);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
    void set(const std::string &node, const std::string &attr, const std::string &value) const
    {
        auto r = gw_.run({"wyapi", "set", node, attr, value});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    // Hands `image` to the store's upgrade path; the commit's status.
    int upgrade(const Bytes &image) const
    {
        gw_.write_file("/var/tmp/up_fw.bin", std::string(image.begin(), image.end()));
        set("WebCurSet_Entry", "UploadFileType", "1");
        set("System_Entry", "upgrade_fw", "1");
        return gw_.run({"wyapi", "commit", "System_Entry"}).status;
    }
    bool rebooted() const
    {
        for (const std::string &c : gw_.calls())
            if (c == "reboot")
                return true;
        return false;
    }
    void power_cycle() const
    {
        ASSERT_EQ(gw_.gwsim({"stop", gw_.dir()}).status, 0);
        auto r = gw_.gwsim({"start", gw_.dir()});
        ASSERT_EQ(r.status, 0) << r.err;
    }

    simtest::Gateway gw_;
};

// The ROM text of a running configuration file: through "</ROMFILE>".
std::string rom_text(const std::string &file)
{
    size_t end = file.find("</ROMFILE>");
    return end == std::string::npos ? "" : file.substr(0, end + 10);
}

std::string crc_line(const std::string &text)
{
    char line[64];
    std::snprintf(line, sizeof line, "ROM-D     Checksum   : %08x\r\n", fwimage::ref_crc(text));
    return line;
}

// A valid image for the default unit of exactly `len` bytes.
Bytes image_of(uint32_t len)
{
    fwimage::ImageSpec layout;
    layout.kernel = fwimage::pattern(len - fwimage::kTagArea - layout.rootfs.size() - layout.defcfg.size(), 11);
    return fwimage::build(layout);
}

} // namespace

TEST_F(Romd, CopiedThenCarriedThroughAnUpgradeToTheLastBlock)
{
    WY_SKIP_WITHOUT_MEMGETINFO(gw_.path("/dev/mtd2"));
    set("WebCurSet_Entry", "firewalldir_id", "WANtoLAN");
    const std::string text = rom_text(running());
    ASSERT_FALSE(text.empty());

    EXPECT_EQ(wyci({"copy", "romt", "romd"}), "\nOK\n");
    EXPECT_FALSE(rebooted()); // UploadReboot 0
    const std::string shown = wyci({"romd", "show", "crc"});
    EXPECT_EQ(shown.substr(0, 19), "ROM-D exist! len = ");
    EXPECT_EQ(shown.substr(shown.find('\n') + 1), crc_line(text) + "\nOK\n");
    wyci({"romd", "show", "xml"});
    EXPECT_EQ(gw_.read_file("/tmp/romd.cfg"), text);
    const Bytes romd = gw_.flash(kLastBlock, kErase);

    // Overlapping ROM-D: refused, flash as it was.
    const Bytes wylinux = gw_.flash(kWylinuxAt, kWylinuxSize);
    EXPECT_EQ(upgrade(image_of(kWylinuxSize - 10)), 1);
    EXPECT_EQ(gw_.flash(kWylinuxAt, kWylinuxSize), wylinux);

    // Reaching into the last block but ending before ROM-D: written with ROM-D.
    const uint32_t len = kWylinuxSize - kErase + 4096;
    const Bytes image = image_of(len);
    ASSERT_EQ(image.size(), len);
    EXPECT_EQ(upgrade(image), 0);
    EXPECT_EQ(gw_.flash(kWylinuxAt, len), image);
    const Bytes last = gw_.flash(kLastBlock, kErase);
    const uint32_t in_block = len - (kWylinuxSize - kErase);
    EXPECT_EQ(Bytes(last.begin() + in_block, last.end()), Bytes(romd.begin() + in_block, romd.end()));
    EXPECT_EQ(wyci({"romd", "show", "crc"}), shown);
}

TEST_F(Romd, RestoreLoadsTheDefaultAfterTheReboot)
{
    WY_SKIP_WITHOUT_MEMGETINFO(gw_.path("/dev/mtd2"));
    // Without ROM-D: the firmware's default configuration.
    set("WebCurSet_Entry", "firewalldir_id", "LANtoWAN");
    ASSERT_EQ(gw_.run({"wyapi", "commit", "WebCurSet_Entry"}).status, 0);
    ASSERT_NE(running(), fwpath::default_config_text());
    EXPECT_EQ(wyci({"ATRestoredefault"}), "\nOK\n");
    EXPECT_TRUE(rebooted());
    power_cycle();
    EXPECT_EQ(running(), fwpath::default_config_text());

    // With ROM-D: its configuration, not what was saved after it.
    set("WebCurSet_Entry", "firewalldir_id", "WANtoLAN");
    const std::string in_romd = rom_text(running());
    EXPECT_EQ(wyci({"copy", "romt", "romd"}), "\nOK\n");
    set("WebCurSet_Entry", "firewalldir_id", "LANtoLAN");
    ASSERT_EQ(gw_.run({"wyapi", "commit", "WebCurSet_Entry"}).status, 0);
    EXPECT_EQ(wyci({"ATRestoredefault", "0"}), "\nOK\n");
    power_cycle();
    EXPECT_EQ(running(), in_romd + "\n");
    EXPECT_NE(running().find("WANtoLAN"), std::string::npos);
}

TEST(RomdBlock, DataEndsWhereTheTrailerBegins)
{
    struct Case {
        size_t data;
        uint32_t erase;
        bool built;
    };
    const Case cases[] = {
        {900, 0x10000, true}, {0x10000 - 20, 0x10000, true}, {0x10000 - 19, 0x10000, false},
        {0, 0x10000, false},  {1, 21, true},                 {1, 20, false},
        {65536, 0x20000, true}, {65537, 0x20000, false},
    };
    for (const Case &c : cases) {
        const Bytes data = fwimage::pattern(c.data, 3);
        const Bytes block = fwpath::romd_block(data, c.erase);
        ASSERT_EQ(!block.empty(), c.built) << c.data << " in " << c.erase;
        if (!c.built)
            continue;
        EXPECT_EQ(block.size(), c.erase);
        EXPECT_EQ(vr_romdBlockLength(block.data(), c.erase), int(c.data)) << c.data;
        EXPECT_EQ(Bytes(block.end() - 20 - long(c.data), block.end() - 20), data) << c.data;
    }
}

// The firmware's paths in a simulated gateway: a new device boots its saved
// configuration, commits save it into alternating copies, a damaged or torn
// copy is passed over at the next boot, and upgrades are validated first.
#include "flashlib.h"
#include "fwpaths.h"
#include "simtest.h"

#include <gtest/gtest.h>

#include "wytest/capture.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kRomfileAt = 0x020000, kSecondAt = 0x7F0000, kWylinuxAt = 0x030000;

// A condition met within a generous deadline.
template <typename F>
bool eventually(F f, std::chrono::seconds limit = std::chrono::seconds(60))
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!f()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Ended: no such process, or only its zombie left.
bool gone(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t paren = stat.rfind(')');
    return paren == std::string::npos || paren + 2 >= stat.size() || stat[paren + 2] == 'Z' ||
           stat[paren + 2] == 'X';
}

struct Copy {
    uint32_t calc = 0, stored = 0, ver = 0;
};

class Device : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("WY_SYSROOT"); }

    // The library in this process, reading the device's partitions.
    Copy copy(const char *partition) const
    {
        setenv("WY_SYSROOT", gw_.root().c_str(), 1);
        Copy c;
        EXPECT_EQ(getRomfileChecksumAndVersion(partition, &c.calc, &c.stored, &c.ver), 1) << partition;
        unsetenv("WY_SYSROOT");
        return c;
    }
    std::string running() const { return gw_.read_file("/tmp/var/romfile.cfg"); }
    void set(const std::string &node, const std::string &attr, const std::string &value) const
    {
        auto r = gw_.run({"wyapi", "set", node, attr, value});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    simtest::RunResult commit(const std::string &node = "WebCurSet_Entry") const
    {
        return gw_.run({"wyapi", "commit", node});
    }
    void power_cycle() const
    {
        ASSERT_EQ(gw_.gwsim({"stop", gw_.dir()}).status, 0);
        auto r = gw_.gwsim({"start", gw_.dir()});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    std::vector<std::string> tool_calls() const
    {
        std::vector<std::string> out;
        for (const std::string &c : gw_.calls())
            if (c.rfind("mtd ", 0) == 0)
                out.push_back(c);
        return out;
    }

    simtest::Gateway gw_;
};

uint32_t crc(const std::string &s) { return crc32buf(s.data(), s.size() - (s.back() == '\n')); }

} // namespace

TEST_F(Device, NewDeviceBootsItsOneSavedConfiguration)
{
    EXPECT_EQ(running(), fwpath::default_config_text());
    Copy first = copy("romfile"), second = copy("second_romfile");
    EXPECT_EQ(first.calc, crc(fwpath::default_config_text()));
    EXPECT_EQ(first.stored, first.calc);
    EXPECT_EQ(first.ver, 0u);
    EXPECT_EQ(second.calc, ROMFILE_EMPTY_CRC);
    EXPECT_EQ(second.ver, 0xFFFFFFFFu);
}

TEST(Create, FirmwareMatchesTheProfile)
{
    simtest::Gateway gw("model_id=0x00020003\nchip_id=WYSOC7\n");
    std::vector<uint8_t> tag = gw.flash(kWylinuxAt, FW_TAG_SIZE);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(tag.data()) + FWTAG_CHIP_ID), "WYSOC7");
    // The image in "wylinux" passes the validation an upgrade would run on it.
    const uint32_t len = FW_FLASH_BASE - FW_FLASH_BASE + 0x60000;
    std::vector<uint8_t> img = gw.flash(kWylinuxAt, len);
    gw.write_file("/tmp/fw.bin", std::string(img.begin(), img.end()));
    setenv("WY_SYSROOT", gw.root().c_str(), 1);
    int fd = open(gw.path("/tmp/fw.bin").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    wytest::CaptureStdout();
    EXPECT_EQ(vr_fwValidation("wylinux", fd, 0, len), 1);
    std::string out = wytest::GetCapturedStdout();
    close(fd);
    unsetenv("WY_SYSROOT");
    EXPECT_NE(out.find("pTag->modelId = 00020003\npTag->chipId = WYSOC7\n"), std::string::npos) << out;
}

TEST(Create, FlashFromFiles)
{
    char tmpl[] = "/tmp/fwpath-create.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    std::string error;
    const fwpath::Bytes fw = fwpath::firmware_image(0x00010001, "WYSOC1", "<ROMFILE></ROMFILE>");
    const fwpath::Bytes r1 = fwpath::config_block("<ROMFILE><A/></ROMFILE>", 5, error);
    const fwpath::Bytes r2 = fwpath::config_block("<ROMFILE><B/></ROMFILE>", 6, error);
    auto write = [&](const std::string &name, const fwpath::Bytes &b) {
        std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char *>(b.data()),
                                                                 std::streamsize(b.size()));
        return dir + "/" + name;
    };
    const std::string gwsim = simtest::Gateway::gwsim_path();
    const std::string files = " --firmware " + write("fw.bin", fw) + " --romfile " + write("r1.bin", r1) +
                              " --second-romfile " + write("r2.bin", r2);
    ASSERT_EQ(std::system((gwsim + " create " + dir + "/dev" + files).c_str()), 0);
    std::ifstream in(dir + "/dev/flash.bin", std::ios::binary);
    const fwpath::Bytes flash((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(flash.size(), 0x800000u);
    auto at = [&](uint32_t off, size_t n) { return fwpath::Bytes(flash.begin() + off, flash.begin() + off + n); };
    EXPECT_EQ(at(kWylinuxAt, fw.size()), fw);
    EXPECT_EQ(at(kWylinuxAt + fw.size(), 16), fwpath::Bytes(16, 0xFF));
    EXPECT_EQ(at(kRomfileAt, r1.size()), r1);
    EXPECT_EQ(at(kSecondAt, r2.size()), r2);

    // A copy larger than its partition is refused, and no device is left.
    const std::string big = write("big.bin", fwpath::Bytes(0x10001, 0));
    EXPECT_NE(std::system((gwsim + " create " + dir + "/dev2 --romfile " + big + " 2>/dev/null").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir + "/dev2/root"));
    std::filesystem::remove_all(dir);
}

TEST_F(Device, SavesAlternateWithRisingVersions)
{
    set("WebCurSet_Entry", "firewalldir_id", "WANtoLAN");
    auto r = commit();
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string first_save = running();
    set("WebCurSet_Entry", "firewalldir_id", "LANtoWAN");
    r = commit("System_Entry");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string second_save = running();

    EXPECT_EQ(tool_calls(), (std::vector<std::string>{"mtd -f write /tmp/tmp_compress second_romfile",
                                                      "mtd -f write /tmp/tmp_compress romfile"}));
    Copy first = copy("romfile"), second = copy("second_romfile");
    EXPECT_EQ(second.ver, 1u);
    EXPECT_EQ(second.calc, crc(first_save));
    EXPECT_EQ(second.stored, second.calc);
    EXPECT_EQ(first.ver, 2u);
    EXPECT_EQ(first.calc, crc(second_save));
    EXPECT_EQ(first.stored, first.calc);

    char report[512];
    snprintf(report, sizeof report,
             "\r\n===== Double Romfile Message =====\r\n"
             "Romfile 1 version : 0x2,  checksum : 0x%x.\n\r"
             "Romfile 2 version : 0x1,  checksum : 0x%x.\n\r"
             "Current using romfile 1\r\n",
             crc(second_save), crc(first_save));
    EXPECT_EQ(gw_.run({"wyci", "doRomfileInfo"}).out, report);

    power_cycle();
    EXPECT_EQ(running(), second_save);
}

TEST_F(Device, DamagedNewerCopyBootsTheOlder)
{
    set("WebCurSet_Entry", "firewalldir_id", "WANtoLAN");
    ASSERT_EQ(commit().status, 0);
    const std::string older = running(); // in second_romfile, version 1
    set("WebCurSet_Entry", "firewalldir_id", "LANtoWAN");
    ASSERT_EQ(commit().status, 0);        // in romfile, version 2
    ASSERT_NE(running(), older);

    // One byte of the newer copy's compressed data flipped.
    std::vector<uint8_t> b = gw_.flash(kRomfileAt + 60, 1);
    b[0] ^= 0x40;
    gw_.poke_flash(kRomfileAt + 60, b);
    power_cycle();
    EXPECT_EQ(running(), older);

    // Both damaged: the firmware's default configuration.
    b = gw_.flash(kSecondAt + 60, 1);
    b[0] ^= 0x40;
    gw_.poke_flash(kSecondAt + 60, b);
    power_cycle();
    EXPECT_EQ(running(), fwpath::default_config_text());
}

TEST_F(Device, PowerCutDuringASaveBootsAWholeConfiguration)
{
    set("WebCurSet_Entry", "firewalldir_id", "WANtoLAN");
    ASSERT_EQ(commit().status, 0);
    const std::string saved = running(); // second_romfile, version 1; the next save goes to romfile

    struct Case {
        const char *what;
        std::string cut; // what the flash tool gets done of the write before the power goes
    };
    const Case cases[] = {
        {"after the erase", "\"$WY_SYSROOT/userfs/bin/mtd.real\" -f erase \"$4\"\n"},
        {"half programmed",
         "head -c 200 \"$3\" > \"$WY_SYSROOT/tmp/torn\"\n"
         "\"$WY_SYSROOT/userfs/bin/mtd.real\" -f write \"$WY_SYSROOT/tmp/torn\" \"$4\"\n"},
    };
    std::filesystem::rename(gw_.path("/userfs/bin/mtd"), gw_.path("/userfs/bin/mtd.real"));
    for (const Case &c : cases) {
        std::filesystem::remove(gw_.path("/tmp/cut"));
        gw_.write_file("/userfs/bin/mtd", "#!/bin/sh\n" + c.cut +
                                              "echo $$ > \"$WY_SYSROOT/tmp/cut\"\n"
                                              "exec sleep 600\n");
        std::filesystem::permissions(gw_.path("/userfs/bin/mtd"), std::filesystem::perms::owner_all);
        set("WebCurSet_Entry", "firewalldir_id", std::string("torn ") + c.what);

        // The save runs in a session of its own, so that it can die with the power.
        auto bg = gw_.run({"sh", "-c",
                           "setsid sh -c 'echo $$ > \"$WY_SYSROOT/tmp/savepid\"; exec wyapi commit WebCurSet_Entry' "
                           "</dev/null >/dev/null 2>&1 &"});
        ASSERT_EQ(bg.status, 0) << bg.err;
        auto written = [&](const char *p) {
            return gw_.exists(p) && gw_.read_file(p).find('\n') != std::string::npos;
        };
        ASSERT_TRUE(eventually([&] { return written("/tmp/cut") && written("/tmp/savepid"); })) << c.what;
        // Power off: the simulator and the save die at once.
        pid_t daemon = 0, session = std::atoi(gw_.read_file("/tmp/savepid").c_str());
        std::ifstream(gw_.dir() + "/gwsim.pid") >> daemon;
        ASSERT_GT(daemon, 0);
        ASSERT_GT(session, 0);
        kill(daemon, SIGKILL);
        kill(-session, SIGKILL);
        std::filesystem::remove(gw_.path("/tmp/savepid"));
        ASSERT_TRUE(eventually([&] { return gone(daemon) && gone(session); })) << c.what;

        auto r = gw_.gwsim({"start", gw_.dir()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(running(), saved) << c.what;
        Copy torn = copy("romfile");
        EXPECT_TRUE(torn.calc == ROMFILE_EMPTY_CRC || torn.calc != torn.stored) << c.what;
    }
}

TEST_F(Device, UpgradeWritesOnlyAValidImage)
{
    const std::vector<uint8_t> installed = gw_.flash(kWylinuxAt, 0x60000);
    const std::string defcfg = "<ROMFILE>\n<Upgraded_Entry v=\"2\"/>\n</ROMFILE>\n";
    std::vector<uint8_t> good = fwpath::firmware_image(0x00010001, "WYSOC1", defcfg);
    std::vector<uint8_t> damaged = good;
    damaged[300] ^= 1;
    struct Case {
        const char *what;
        std::vector<uint8_t> image;
        bool written;
        const char *verdict; // in the commit's messages
    };
    const Case cases[] = {
        {"damaged", damaged, false, "Illegal image! Image Checksum failed.\n"},
        {"other chip", fwpath::firmware_image(0x00010001, "WYSOC9", defcfg), false,
         "Illegal image! chipID failed.\n"},
        {"other model", fwpath::firmware_image(0x00020001, "WYSOC1", defcfg), false,
         "Illegal image! modelID failed.\n"},
        {"good", good, true, "fwpath: firmware written\n"},
    };
    for (const Case &c : cases) {
        gw_.write_file("/var/tmp/up_fw.bin", std::string(c.image.begin(), c.image.end()));
        set("WebCurSet_Entry", "UploadFileType", "1");
        set("System_Entry", "upgrade_fw", "1");
        auto r = commit("System_Entry");
        EXPECT_EQ(r.status, c.written ? 0 : 1) << c.what;
        EXPECT_NE(r.err.find(c.verdict), std::string::npos) << c.what << "\n" << r.err;
        EXPECT_EQ(gw_.run({"wyapi", "get", "System_Entry", "upgrade_fw"}).out, "0\n") << c.what;
        std::vector<uint8_t> now = gw_.flash(kWylinuxAt, uint32_t(c.written ? c.image.size() : installed.size()));
        EXPECT_EQ(now, c.written ? c.image : installed) << c.what;
    }
    std::vector<std::string> writes;
    for (const std::string &t : tool_calls())
        if (t.find("wylinux") != std::string::npos)
            writes.push_back(t);
    EXPECT_EQ(writes, std::vector<std::string>{"mtd -f write /var/tmp/up_fw.bin wylinux"});

    // With both copies damaged the new firmware's default configuration boots.
    for (uint32_t at : {kRomfileAt, kSecondAt}) {
        std::vector<uint8_t> b = gw_.flash(at + 60, 1);
        b[0] ^= 0x40;
        gw_.poke_flash(at + 60, b);
    }
    power_cycle();
    EXPECT_EQ(running(), defcfg);
}

// A device as gwsim creates it: tree, flash contents, run, stand-ins.
#include "simtest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>
#include <iterator>

namespace {

std::string mrd_text(const std::vector<uint8_t> &mrd, size_t off, size_t n)
{
    std::string s(mrd.begin() + off, mrd.begin() + off + n);
    return s.substr(0, s.find('\0'));
}

TEST(Device, CreateWritesTheProfileIntoTheBootloader)
{
    simtest::Gateway fresh;
    simtest::Gateway custom("serial=ABC0123456789\nmodel_id=0xDEADBEEF\nchip_id=WY8\n"
                            "eng_debug_flag=0\nmac=001A2B3C4D5E\nwpa_psk=letmein\n");
    auto a = fresh.flash(0x1FF00, 167), b = custom.flash(0x1FF00, 167);
    EXPECT_EQ(a[119], 1);
    EXPECT_EQ(a[104], 0);
    EXPECT_EQ(b[119], 0);
    EXPECT_EQ(mrd_text(b, 104, 13), "ABC0123456789");
    EXPECT_EQ((std::vector<uint8_t>(b.begin() + 121, b.begin() + 125)),
              (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(mrd_text(b, 128, 8), "WY8");
    EXPECT_EQ((std::vector<uint8_t>(b.begin() + 72, b.begin() + 78)),
              (std::vector<uint8_t>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(mrd_text(b, 151, 16), "letmein");
    // Same bootloader code around the record.
    EXPECT_EQ(fresh.flash(0, 0x1FF00), custom.flash(0, 0x1FF00));
    EXPECT_EQ(fresh.flash(0x1FFF2, 14),
              (std::vector<uint8_t>{0x01, 0x02, 0x00, 0x12, 0x05, 0x20, 0x16, 0, 0, 0, 0, 0, 0, 0}));
    auto code = fresh.flash(0, 0x1FF00);
    EXPECT_EQ(std::count(code.begin(), code.end(), 0xFF), 0);
    // ROM-D and the second configuration copy erased; what the firmware image
    // and the first copy hold is the firmware paths' tests' business.
    EXPECT_EQ(fresh.flash(0x7E0000, 0x20000), std::vector<uint8_t>(0x20000, 0xFF));
}

TEST(Device, BadProfileIsRefusedWithTheReason)
{
    try {
        simtest::Gateway gw("serial=TOO-SHORT\n");
        ADD_FAILURE() << "created a device from a bad profile";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("serial=TOO-SHORT"), std::string::npos) << e.what();
    }
}

TEST(Device, TreeHoldsTheDirectoriesAndTheStandIns)
{
    simtest::Gateway gw;
    for (const char *p : {"/tmp", "/var/tmp", "/tmp/var", "/userfs/bin/mtd", "/userfs/cgi-bin",
                          "/lib", "/sbin/reboot", "/sbin/ifconfig", "/bin/cp", "/bin/sh",
                          "/proc/mtd", "/proc/wysoc/wyci_cmd", "/dev/mtd4", "/dev/null"})
        EXPECT_TRUE(gw.exists(p)) << p;
    // A command line rewritten for the root finds /bin/cp there.
    gw.write_file("/tmp/var/romfile.cfg", "<ROMFILE></ROMFILE>");
    auto r = gw.run({"sh", "-c",
                     "$WY_SYSROOT/bin/cp $WY_SYSROOT/tmp/var/romfile.cfg $WY_SYSROOT/var/tmp/up.cfg"
                     " > $WY_SYSROOT/dev/null"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(gw.read_file("/var/tmp/up.cfg"), "<ROMFILE></ROMFILE>");
}

TEST(Device, WritingOverALinkedToolReplacesTheLinkOnly)
{
    simtest::Gateway gw;
    // root/bin holds links to host tools; stand for one with a file of our own.
    const std::string victim = gw.dir() + "/victim";
    { std::ofstream(victim) << "host tool"; }
    ASSERT_EQ(symlink(victim.c_str(), gw.path("/bin/tool").c_str()), 0);
    gw.write_file("/bin/tool", "replacement");
    std::ifstream in(victim);
    std::string host((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(host, "host tool");
    EXPECT_EQ(gw.read_file("/bin/tool"), "replacement");
    struct stat st {};
    ASSERT_EQ(lstat(gw.path("/bin/tool").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST(Device, FirmwareTreesAreLayeredInOrder)
{
    simtest::Gateway gw;
    const std::string a = gw.dir() + "/treeA", b = gw.dir() + "/treeB";
    for (const auto &[tree, file, text] :
         {std::tuple{a, "/userfs/bin/x", "a"}, {a, "/userfs/bin/y", "a"}, {b, "/userfs/bin/y", "b"},
          {b, "/lib/z", "b"}}) {
        mkdir(tree.c_str(), 0755);
        mkdir((tree + "/userfs").c_str(), 0755);
        mkdir((tree + "/userfs/bin").c_str(), 0755);
        mkdir((tree + "/lib").c_str(), 0755);
        std::ofstream(tree + file) << text;
    }
    auto slurp = [](const std::string &p) {
        std::ifstream in(p);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    // By options, and by WY_FWROOT when no option is given.
    const std::string d1 = gw.dir() + "/dev1", d2 = gw.dir() + "/dev2";
    auto r = gw.gwsim({"create", d1, "--fwroot", a, "--fwroot", b});
    ASSERT_EQ(r.status, 0) << r.err;
    setenv("WY_FWROOT", (a + ":" + b).c_str(), 1);
    r = gw.gwsim({"create", d2});
    unsetenv("WY_FWROOT");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto &d : {d1, d2}) {
        EXPECT_EQ(slurp(d + "/root/userfs/bin/x"), "a") << d;
        EXPECT_EQ(slurp(d + "/root/userfs/bin/y"), "b") << d;
        EXPECT_EQ(slurp(d + "/root/lib/z"), "b") << d;
        EXPECT_FALSE(std::ifstream(d + "/root/userfs/bin/mtd")) << d;  // default tree not used
    }
    r = gw.gwsim({"create", d1});
    EXPECT_NE(r.status, 0);  // never over an existing device
    EXPECT_NE(r.err.find("already holds a device"), std::string::npos);
}

TEST(Run, SetsOnlyTheSystemRootAndPath)
{
    simtest::Gateway gw;
    auto r = gw.run({"/usr/bin/env"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string root = gw.root();
    EXPECT_EQ(r.out, "WY_SYSROOT=" + root + "\nPATH=" + root + "/userfs/bin:" + root +
                         "/sbin:" + root + "/bin:/usr/bin:/bin\n");
}

TEST(Run, PassesInputOutputAndStatusThrough)
{
    simtest::Gateway gw;
    const struct {
        std::vector<std::string> argv;
        std::string input, out, err;
        int status;
    } cases[] = {
        {{"cat"}, std::string("bytes\0and more\n", 15), std::string("bytes\0and more\n", 15), "", 0},
        {{"sh", "-c", "echo oops >&2; exit 7"}, "", "", "oops\n", 7},
        {{"sh", "-c", "kill -9 $$"}, "", "", "", 128 + 9},
        {{"no-such-command"}, "", "", "gwsim: no-such-command: command not found in the device\n", 127},
    };
    for (const auto &c : cases) {
        auto r = gw.run(c.argv, c.input);
        EXPECT_EQ(r.status, c.status) << c.argv[0];
        EXPECT_EQ(r.out, c.out) << c.argv[0];
        EXPECT_EQ(r.err, c.err) << c.argv[0];
    }
    // Large output on both streams does not stall the fixture.
    auto big = gw.run({"sh", "-c", "head -c 300000 /dev/zero; head -c 300000 /dev/zero >&2"});
    EXPECT_EQ(big.out.size(), 300000u);
    EXPECT_EQ(big.err.size(), 300000u);
}

TEST(StandIns, RecordTheirCallsAndShadowTheHostCommands)
{
    simtest::Gateway gw;
    EXPECT_TRUE(gw.calls().empty());
    for (const std::vector<std::string> &argv :
         {std::vector<std::string>{"reboot"}, {"ifconfig", "ra0", "up"},
          {"sh", "-c", "ifconfig br0 192.168.1.1 netmask 255.255.255.0"}}) {
        auto r = gw.run(argv);
        EXPECT_EQ(r.status, 0) << argv[0] << r.err;
    }
    EXPECT_EQ(gw.calls(), (std::vector<std::string>{
                              "reboot", "ifconfig ra0 up",
                              "ifconfig br0 192.168.1.1 netmask 255.255.255.0"}));
}

} // namespace

// The simulated kernel's files as programs inside a gateway see them.
#include "simtest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <tuple>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <mtd/mtd-user.h>
#include <unistd.h>

namespace {

// The exchange wyci makes: write the line, close, open afresh, read one line.
std::string exchange(const simtest::Gateway &gw, const std::string &line)
{
    gw.write_file("/proc/wysoc/wyci_cmd", line);
    return gw.read_file("/proc/wysoc/wyci_cmd");
}

TEST(CommandNode, AnswersTheSlotOfTheLineLastWritten)
{
    simtest::Gateway gw;
    const struct {
        const char *line;
        const char *answer;
    } cases[] = {
        {"wyci ATWriteBootMac 001122334455", "1\n"},
        {"wyci ATDumpROMMRD", "2\n"},
        {"wyci ATWriteVornaMac 001122334455 1 1 0", "3\n"},
        {"wyci ATSeriesNumber ABCDEFGHIJKLM", "4\n"},
        {"wyci ATBT 1", "5\n"},
        {"wyci ATRestoredefault 1", "6\n"},
        {"wyci ATButtonTest 1", "7\n"},
        {"wyci ATLedTest 1", "8\n"},
        {"wyci ATWriteWpaPsk secret", "9\n"},
        {"wyci ATShowWpaPsk", "10\n"},
        {"wyci erase romd", "11\n"},
        {"wyci copy romt romd", "11\n"},
        {"wyci romd show crc", "11\n"},
        {"wyci doRomfileInfo", "12\n"},
        {"wyci ATbt 1", "0\n"},         // words are case-sensitive
        {"wyci version extra", "0\n"},  // "version" is wyci's own, not the node's
        {"wyci", "0\n"},                // no command word
        {"", "0\n"},
        {"wyci ATBT\n", "5\n"},         // a shell's echo adds a newline
        {"ATBT", "0\n"},                // the first word is the program name
    };
    for (const auto &c : cases)
        EXPECT_EQ(exchange(gw, c.line), c.answer) << "line \"" << c.line << "\"";
}

TEST(CommandNode, AnswerFollowsTheLastWriteAndRepeatsUntilTheNext)
{
    simtest::Gateway gw;
    EXPECT_EQ(gw.read_file("/proc/wysoc/wyci_cmd"), "0\n");  // nothing written yet
    gw.write_file("/proc/wysoc/wyci_cmd", "wyci ATBT 1");
    gw.write_file("/proc/wysoc/wyci_cmd", "wyci ATShowWpaPsk");
    EXPECT_EQ(gw.read_file("/proc/wysoc/wyci_cmd"), "10\n");
    EXPECT_EQ(gw.read_file("/proc/wysoc/wyci_cmd"), "10\n");
    gw.write_file("/proc/wysoc/wyci_cmd", "wyci unknown");
    EXPECT_EQ(gw.read_file("/proc/wysoc/wyci_cmd"), "0\n");
}

TEST(CommandNode, RefusesAnOverlongLineAndKeepsThePreviousOne)
{
    simtest::Gateway gw;
    gw.write_file("/proc/wysoc/wyci_cmd", "wyci ATBT 1");
    int fd = open(gw.path("/proc/wysoc/wyci_cmd").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    std::string junk = "wyci ATLedTest " + std::string(5000, 'x');
    EXPECT_EQ(write(fd, junk.data(), junk.size()), -1);
    EXPECT_EQ(errno, EFBIG);
    close(fd);
    EXPECT_EQ(gw.read_file("/proc/wysoc/wyci_cmd"), "5\n");
}

TEST(CommandNode, WorksFromAShellInsideTheGateway)
{
    simtest::Gateway gw;
    auto r = gw.run({"sh", "-c",
                     "printf 'wyci ATLedTest 1' > $WY_SYSROOT/proc/wysoc/wyci_cmd && "
                     "head -n 1 $WY_SYSROOT/proc/wysoc/wyci_cmd"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "8\n");
}

// Writes `line` through one open file and reports whether open and close
// both succeeded.
bool send(const simtest::Gateway &gw, const std::string &line)
{
    FILE *f = std::fopen(gw.path("/proc/wysoc/wyci_cmd").c_str(), "w");
    if (!f)
        return false;
    std::fwrite(line.data(), 1, line.size(), f);
    return std::fclose(f) == 0;
}

TEST(CommandNode, RecordsEveryLineInOrder)
{
    simtest::Gateway gw;
    EXPECT_TRUE(gw.cmd_lines().empty());
    const std::string lines[] = {"adsl delt show", "wyci ATBT 1", "adsl delt show", "wyci ATBT\n",
                                 std::string("a\0b", 3)};
    for (const std::string &l : lines)
        ASSERT_TRUE(send(gw, l));
    gw.read_file("/proc/wysoc/wyci_cmd");  // reading records nothing
    ASSERT_TRUE(send(gw, ""));             // nor does an open that wrote nothing
    // One line through several writes of one open file is one record.
    int fd = open(gw.path("/proc/wysoc/wyci_cmd").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(write(fd, "adsl ", 5), 5);
    EXPECT_EQ(write(fd, "info", 4), 4);
    close(fd);
    // A refused write leaves no record.
    fd = open(gw.path("/proc/wysoc/wyci_cmd").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::string junk = "wyci " + std::string(5000, 'x');
    EXPECT_EQ(write(fd, junk.data(), junk.size()), -1);
    close(fd);

    std::vector<std::string> want(std::begin(lines), std::end(lines));
    want.push_back("adsl info");
    EXPECT_EQ(gw.cmd_lines(), want);
    // The record is complete as soon as a writer's close returns.
    auto r = gw.run({"sh", "-c", "printf 'adsl x' > $WY_SYSROOT/proc/wysoc/wyci_cmd"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(gw.cmd_lines().back(), "adsl x");
}

TEST(CommandNode, RefusesWhatATestAsks)
{
    simtest::Gateway gw;
    ASSERT_TRUE(send(gw, "wyci ATBT 1"));
    gw.cmd_node_refuses("open");
    for (int flags : {O_WRONLY, O_RDONLY, O_RDWR}) {
        EXPECT_EQ(open(gw.path("/proc/wysoc/wyci_cmd").c_str(), flags), -1) << flags;
        EXPECT_EQ(errno, EACCES) << flags;
    }
    // Only the command node refuses.
    EXPECT_NE(gw.read_file("/proc/wysoc/wysupport_adslinfo"), "");

    gw.cmd_node_refuses("write");
    int fd = open(gw.path("/proc/wysoc/wyci_cmd").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(write(fd, "wyci ATShowWpaPsk", 17), -1);
    EXPECT_EQ(errno, EIO);
    close(fd);

    gw.cmd_node_refuses("");
    EXPECT_EQ(gw.read_file("/proc/wysoc/wyci_cmd"), "5\n");  // the refused line never arrived
    ASSERT_TRUE(send(gw, "wyci ATShowWpaPsk"));
    EXPECT_EQ(gw.cmd_lines(), (std::vector<std::string>{"wyci ATBT 1", "wyci ATShowWpaPsk"}));
}

TEST(CommandNode, AdslInformationIsReadOnlyText)
{
    simtest::Gateway gw;
    std::string info = gw.read_file("/proc/wysoc/wysupport_adslinfo");
    EXPECT_NE(info.find("ADSL"), std::string::npos);
    EXPECT_EQ(open(gw.path("/proc/wysoc/wysupport_adslinfo").c_str(), O_WRONLY), -1);
    // The text comes from the device directory, so a test can set its own.
    std::ofstream(gw.dir() + "/adslinfo.txt") << "line rate 42\n";
    EXPECT_EQ(gw.read_file("/proc/wysoc/wysupport_adslinfo"), "line rate 42\n");
}

TEST(ProcMtd, ListsThePartitionsInKernelFormat)
{
    simtest::Gateway gw;
    EXPECT_EQ(gw.read_file("/proc/mtd"),
              "dev:    size   erasesize  name\n"
              "mtd0: 00020000 00010000 \"bootloader\"\n"
              "mtd1: 00010000 00010000 \"romfile\"\n"
              "mtd2: 007c0000 00010000 \"wylinux\"\n"
              "mtd3: 00010000 00010000 \"romd\"\n"
              "mtd4: 00010000 00010000 \"second_romfile\"\n");
}

TEST(MtdDevices, AnswerMemGetInfoWithTheGeometry)
{
    simtest::Gateway gw;
    const struct {
        const char *dev;
        uint32_t size;
    } cases[] = {{"/dev/mtd0", 0x20000}, {"/dev/mtd1", 0x10000}, {"/dev/mtd2", 0x7C0000},
                 {"/dev/mtd3", 0x10000}, {"/dev/mtd4", 0x10000}};
    for (const auto &c : cases) {
        int fd = open(gw.path(c.dev).c_str(), O_RDONLY);
        ASSERT_GE(fd, 0) << c.dev;
        mtd_info_user info{};
        EXPECT_EQ(ioctl(fd, MEMGETINFO, &info), 0) << c.dev;
        EXPECT_EQ(info.type, MTD_NORFLASH) << c.dev;
        EXPECT_EQ(info.size, c.size) << c.dev;
        EXPECT_EQ(info.erasesize, 0x10000u) << c.dev;
        EXPECT_EQ(ioctl(fd, MEMERASE, nullptr), -1) << c.dev;  // only the info request
        close(fd);
    }
}

TEST(MtdDevices, OfferTheGeometryAsTextForEmulatedCallers)
{
    simtest::Gateway gw;
    char buf[128] = {};
    ssize_t n = getxattr(gw.path("/dev/mtd2").c_str(), "user.gwsim.mtdinfo", buf, sizeof buf);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(n)),
              "type=3 flags=3072 size=8126464 erasesize=65536 writesize=1 oobsize=0");
    EXPECT_EQ(getxattr(gw.path("/dev/mtd2").c_str(), "user.other", buf, sizeof buf), -1);
    EXPECT_EQ(getxattr(gw.path("/dev/mtd2").c_str(), "user.gwsim.mtdinfo", buf, 4), -1);
    EXPECT_EQ(errno, ERANGE);
}

// Reads `n` bytes at `off` of a device with lseek + read, as wyci does.
std::vector<uint8_t> read_at(const std::string &path, off_t off, size_t n, ssize_t &got)
{
    std::vector<uint8_t> buf(n);
    int fd = open(path.c_str(), O_RDONLY);
    got = -1;
    if (fd >= 0 && lseek(fd, off, SEEK_SET) == off)
        got = read(fd, buf.data(), n);
    if (fd >= 0)
        close(fd);
    buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return buf;
}

TEST(MtdDevices, ReadAndSeekThePartitionBytes)
{
    simtest::Gateway gw;
    // Distinct bytes at each partition's start and end, straight into the image.
    const uint32_t starts[] = {0x000000, 0x020000, 0x030000, 0x7E0000, 0x7F0000};
    const uint32_t sizes[] = {0x20000, 0x10000, 0x7C0000, 0x10000, 0x10000};
    for (uint8_t i = 0; i < 5; ++i) {
        gw.poke_flash(starts[i], {0xA0, i});
        gw.poke_flash(starts[i] + sizes[i] - 2, {0xB0, i});
    }
    for (uint8_t i = 0; i < 5; ++i) {
        std::string dev = gw.path("/dev/mtd" + std::to_string(i));
        ssize_t got = 0;
        EXPECT_EQ(read_at(dev, 0, 2, got), (std::vector<uint8_t>{0xA0, i})) << dev;
        // A read across the end stops there; past the end is EOF.
        // mtd2 ends where mtd3 ends, so its last bytes are mtd3's.
        uint8_t last = i == 2 ? 3 : i;
        EXPECT_EQ(read_at(dev, sizes[i] - 2, 16, got), (std::vector<uint8_t>{0xB0, last})) << dev;
        read_at(dev, sizes[i], 16, got);
        EXPECT_EQ(got, 0) << dev;
    }
    // One read() delivers a whole partition or block, as wyci's readers expect.
    for (const auto &[dev, off, n] : {std::tuple{"/dev/mtd0", 0, 0x20000}, {"/dev/mtd2", 0x7B0000, 0x10000},
                                      {"/dev/mtd2", 0, 0x7C0000}}) {
        ssize_t whole = 0;
        read_at(gw.path(dev), off, static_cast<size_t>(n), whole);
        EXPECT_EQ(whole, n) << dev << " at " << off;
    }
    // mtd3 is the last block of mtd2: the same bytes through both.
    ssize_t got = 0;
    EXPECT_EQ(read_at(gw.path("/dev/mtd2"), 0x7B0000, 2, got),
              (std::vector<uint8_t>{0xA0, 3}));
}

TEST(MtdDevices, HoldTheFactoryBootloaderAndAreReadOnly)
{
    simtest::Gateway gw;
    std::string mtd0 = gw.read_file("/dev/mtd0");
    ASSERT_EQ(mtd0.size(), 0x20000u);
    auto image = gw.flash(0, 0x20000);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), mtd0.begin(), [](uint8_t a, char b) {
        return a == static_cast<uint8_t>(b);
    }));
    EXPECT_EQ(open(gw.path("/dev/mtd0").c_str(), O_WRONLY), -1);
    EXPECT_EQ(errno, EROFS);
    EXPECT_EQ(open(gw.path("/dev/mtd0").c_str(), O_RDWR), -1);
}

} // namespace

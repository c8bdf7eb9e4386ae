// The unit report over partition files: byte for byte for a fixture unit,
// its stops at the first failed read, erased records; the last MAC address
// and the feature-byte dump as tables.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "../../flashlib/test/fwimage.h"
#include "wytest/temproot.h"
#include "ci.h"
#include "mac.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;
using namespace fwimage;

namespace {

constexpr char kProcMtd[] = "dev:    size   erasesize  name\n"
                            "mtd0: 00020000 00010000 \"bootloader\"\n"
                            "mtd1: 00010000 00010000 \"romfile\"\n"
                            "mtd2: 007c0000 00010000 \"wylinux\"\n"
                            "mtd4: 00010000 00010000 \"second_romfile\"\n";

void put_text(Bytes &b, size_t at, const std::string &s) { std::memcpy(b.data() + at, s.data(), s.size()); }

// Runs `fn` in a child process and returns what it printed: the firmware tag
// is kept for the life of a process, so each report needs a fresh one.
std::string forked(const std::function<void()> &fn)
{
    char name[] = "/tmp/wyci-report.XXXXXX";
    int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fd, 1);
        fn();
        fflush(stdout);
        _exit(0);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = pread(fd, buf, sizeof buf, static_cast<off_t>(out.size()))) > 0)
        out.append(buf, static_cast<size_t>(n));
    close(fd);
    unlink(name);
    return out;
}

class Report : public wytest::RootTest {
protected:
    void SetUp() override
    {
        wytest::RootTest::SetUp();
        put("/proc/mtd", kProcMtd);
        fill();
    }
    // The fixture unit, written to the partition files.
    void fill()
    {
        boot_ = Bytes(BOOT_IMAGE_SIZE, 0x5A);
        Bytes rec(MRD_SIZE, 0);
        put_text(rec, MRD_VENDOR_NAME, "WyNet");
        put_text(rec, MRD_PRODUCT_MODEL, "WY-DSL-G1");
        const uint8_t mac[] = {0x02, 0x57, 0x59, 0x00, 0x10, 0xA4};
        std::memcpy(rec.data() + MRD_FIRST_MAC, mac, sizeof mac);
        rec[MRD_COUNTRY_CODE] = 0x86;
        put_text(rec, MRD_SERIAL_NUMBER, "WY16A0001234Z");
        rec[MRD_MAC_QUANTITY] = 4;
        rec[MRD_ENG_DEBUG_FLAG] = 1;
        rec[MRD_MAIN_FEATURE_BITS] = 0x05;
        for (int i = 0; i < 30; ++i)
            rec[MRD_OTHER_FEATURE_BITS + i] = uint8_t(i * 9);
        std::memcpy(boot_.data() + MRD_OFFSET, rec.data(), MRD_SIZE);
        const uint8_t info[BOOT_INFO_SIZE] = {0x01, 0x02, 0x00, 0x12, 0x05, 0x20, 0x16};
        std::memcpy(boot_.data() + BOOT_INFO_OFFSET, info, sizeof info);

        tag_ = Bytes(256, 0);
        put_text(tag_, FWTAG_FW_VERSION, "2.1.7_WY");
        put_be32(tag_, FWTAG_KERNEL_CHKSUM, 0x1234ABCD);
        put_be32(tag_, FWTAG_ROOTFS_CHKSUM, 0x0000BEEF);
        rom_ = rom_text(500);
        write_all();
    }
    void write_all() const
    {
        put_bytes("/dev/mtd0", boot_);
        put_bytes("/dev/mtd2", tag_);
        put_bytes("/dev/mtd1", saved(rom_, 7));
        put_bytes("/dev/mtd4", Bytes(ROMFILE_BLOCK_SIZE, 0xFF));
    }
    void put_bytes(const std::string &p, const Bytes &b) const { put(p, std::string(b.begin(), b.end())); }
    std::string report() const
    {
        return forked([] {
            char word[] = "ATDumpROMMRD";
            char *p[] = {word, nullptr};
            ATDumpROMMRD(1, p);
        });
    }

    Bytes boot_, tag_;
    std::string rom_;
};

} // namespace

TEST_F(Report, FixtureUnitByteForByte)
{
    char rom[16];
    std::snprintf(rom, sizeof rom, "%08x", ref_crc(rom_));
    EXPECT_EQ(report(), "\n"
                        "FW       Version       : V2.1.7_WY\n"
                        "Startkit Version       : V1.02 | 12/5/2016\n"
                        "Vendor Name            : WyNet\n"
                        "Product Model          : WY-DSL-G1\n"
                        "Serial Number          : WY16A0001234Z\n"
                        "First MAC Address      : 0257590010A4\n"
                        "Last MAC Address       : 0257590010A7\n"
                        "MAC Address Quantity   : 04\n"
                        "Default Country Code   : 86\n"
                        "Boot Module Debug Flag : 01\n"
                        "Kernel      Checksum   : 1234abcd\r\n"
                        "RootFS      Checksum   : 0000beef\r\n"
                        "RomFile     Checksum   : " +
                            std::string(rom) +
                            "\r\n"
                            "Main Feature Bits      : 05\n"
                            "Other Feature Bits     :\n"
                            "\t \t00 09 12 1b 24 2d 36 3f-48 51 5a 63 6c 75 7e 87 \n"
                            "\t \t90 99 a2 ab b4 bd c6 cf-d8 e1 ea f3 fc 05 \n"
                            "\r\n");
}

TEST_F(Report, StopsAtTheFirstFailedRead)
{
    const std::string head = "\nFW       Version       : V2.1.7_WY\n";
    struct Case {
        const char *what;
        std::function<void()> damage;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"no firmware partition", [this] { std::filesystem::remove(path("/dev/mtd2")); },
         "Could not open mtd device: wylinux\nFail to get Vorna firmware Tag\n"},
        {"tag cut short", [this] { tag_.resize(FW_TAG_SIZE - 1), write_all(); },
         "read mtd device (VrFW tag) error!!\nFail to get Vorna firmware Tag\n"},
        {"record cut short", [this] { boot_.resize(MRD_OFFSET + MRD_SIZE - 1), write_all(); },
         "read mtd device (MRD) error!!\nFail to get MRD information!\n"},
        {"boot information cut short",
         [this] { boot_.resize(BOOT_INFO_OFFSET + BOOT_INFO_SIZE - 1), write_all(); },
         head + "read mtd device (MRD) error!!\nFail to get Bootloader information!\n"},
    };
    for (const Case &c : cases) {
        fill();
        c.damage();
        EXPECT_EQ(report(), c.out) << c.what;
    }
}

// A configuration checksum that cannot be taken does not stop the report.
TEST_F(Report, UnreadableConfigurationShowsZero)
{
    std::filesystem::remove(path("/dev/mtd1"));
    std::string out = report();
    EXPECT_NE(out.find("Could not open mtd device: romfile\n"), std::string::npos) << out;
    EXPECT_NE(out.find("RomFile     Checksum   : 00000000\r\n"
                       "Main Feature Bits      : 05\n"),
              std::string::npos)
        << out;
}

// Erased tag and record: every text field is shown within its size and
// nothing after it leaks into the line.
TEST_F(Report, ErasedTagAndRecord)
{
    std::fill(tag_.begin(), tag_.end(), 0xFF);
    std::fill(boot_.begin() + MRD_OFFSET, boot_.begin() + MRD_OFFSET + MRD_SIZE, 0xFF);
    write_all();
    const std::string out = report();
    const std::string ff32(32, '\xFF'), ff36(36, '\xFF'), ff13(13, '\xFF');
    for (const std::string &line : {
             "FW       Version       : V" + ff32 + "\n",
             "Vendor Name            : " + ff32 + "\n",
             "Product Model          : " + ff36 + "\n",
             "Serial Number          : " + ff13 + "\n",
             std::string("First MAC Address      : FFFFFFFFFFFF\n"),
             std::string("Last MAC Address       : 0000000000FD\n"),
             std::string("MAC Address Quantity   : 255\n"),
             std::string("Kernel      Checksum   : ffffffff\r\n"),
         })
        EXPECT_NE(out.find(line), std::string::npos) << line;
}

TEST(LastMac, FortyEightBitsThatWrap)
{
    struct Case {
        uint64_t first;
        unsigned quantity;
        uint64_t last;
    };
    const Case cases[] = {
        {0x001122FFFFFE, 4, 0x001123000001},
        {0x001122334450, 16, 0x00112233445F},
        {0x025759000001, 1, 0x025759000001},
        {0xFFFFFFFFFFFF, 2, 0x000000000000},
        {0xFFFFFFFFFFFF, 1, 0xFFFFFFFFFFFF},
        {0x00FFFFFFFFFF, 255, 0x0100000000FD},
        // No address at all: the first one is shown, never the one before it.
        {0x025759000000, 0, 0x025759000000},
        {0x000000000000, 0, 0x000000000000},
    };
    for (const Case &c : cases) {
        unsigned char first[kMacBytes], last[kMacBytes];
        for (size_t i = 0; i < kMacBytes; ++i)
            first[i] = uint8_t(c.first >> (8 * (kMacBytes - 1 - i)));
        mac_last_address(first, c.quantity, last);
        uint64_t got = 0;
        for (unsigned char b : last)
            got = got << 8 | b;
        EXPECT_EQ(got, c.last) << std::hex << c.first << " x " << std::dec << c.quantity;
    }
}

TEST(DumpMemory, LinesOfSixteen)
{
    struct Case {
        int len;
        std::string out;
    };
    const Case cases[] = {
        {0, "\n\r\n"},
        {1, "\n\t \t00 \n\r\n"},
        {8, "\n\t \t00 01 02 03 04 05 06 07-\n\r\n"},
        {17, "\n\t \t00 01 02 03 04 05 06 07-08 09 0a 0b 0c 0d 0e 0f \n\t \t10 \n\r\n"},
    };
    unsigned char bytes[32];
    for (int i = 0; i < 32; ++i)
        bytes[i] = uint8_t(i);
    for (const Case &c : cases) {
        CaptureStdout();
        dumpMemory(bytes, c.len);
        EXPECT_EQ(GetCapturedStdout(), c.out) << c.len;
    }
}

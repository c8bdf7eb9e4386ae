// doRomfileInfo over stand-in partition files: its report byte for byte.
#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "../../flashlib/test/fwimage.h"
#include "wytest/temproot.h"
#include "ci.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;
using namespace fwimage;

namespace {

class RomfileInfo : public wytest::RootTest {
protected:
    void SetUp() override
    {
        wytest::RootTest::SetUp();
        put("/proc/mtd", "dev:    size   erasesize  name\n"
                         "mtd1: 00010000 00010000 \"romfile\"\n"
                         "mtd4: 00010000 00010000 \"second_romfile\"\n");
    }
    std::string report(int &rc) const
    {
        char word[] = "doRomfileInfo";
        char *p[] = {word, nullptr};
        CaptureStdout();
        rc = doRomfileInfo(1, p);
        return GetCapturedStdout();
    }
};

const char kHead[] = "\r\n===== Double Romfile Message =====\r\n";

std::string hex(uint32_t v)
{
    char b[16];
    snprintf(b, sizeof b, "%x", v);
    return b;
}

} // namespace

TEST_F(RomfileInfo, Report)
{
    // Fixed checksums (zlib.crc32 of the text, complemented), so that the
    // expected text is written out in full.
    const std::string t1 = "<ROMFILE><A/></ROMFILE>", t2 = "<ROMFILE><B/></ROMFILE>";
    ASSERT_EQ(ref_crc(t1), 0x1BAE718Bu);
    ASSERT_EQ(ref_crc(t2), 0xA6641D45u);
    struct Case {
        const char *what;
        Bytes first, second;
        int rc;
        std::string out;
    };
    const Case cases[] = {
        {"intact 3 and 4", saved(t1, 3), saved(t2, 4), 1,
         std::string(kHead) + "Romfile 1 version : 0x3,  checksum : 0x1bae718b.\n\r"
                              "Romfile 2 version : 0x4,  checksum : 0xa6641d45.\n\r"
                              "Current using romfile 2\r\n"},
        // The stored checksum is shown, not the one calculated.
        {"newer damaged", saved(t1, 0x10), block(bytes(t2), 0xDEADBEEFu, 0x11), 1,
         std::string(kHead) + "Romfile 1 version : 0x10,  checksum : 0x1bae718b.\n\r"
                              "Romfile 2 version : 0x11,  checksum : 0xdeadbeef.\n\r"
                              "Current using romfile 1\r\n"},
        {"both erased", Bytes(ROMFILE_BLOCK_SIZE, 0xFF), Bytes(ROMFILE_BLOCK_SIZE, 0xFF), 1,
         std::string(kHead) + "Romfile 1 version : 0xffffffff,  checksum : 0xffffffff.\n\r"
                              "Romfile 2 version : 0xffffffff,  checksum : 0xffffffff.\n\r"
                              "Current using romfile 2\r\n"},
        {"second missing", saved(t1, 3), {}, -1,
         std::string(kHead) + "Romfile 1 version : 0x3,  checksum : 0x1bae718b.\n\r"
                              "Could not open mtd device: second_romfile\nget second romfile error \n"},
        {"second unreadable", saved(t1, 3), Bytes(100, 0), -1,
         std::string(kHead) + "Romfile 1 version : 0x3,  checksum : 0x1bae718b.\n\r"
                              "read mtd device (MRD) error!!\nget second romfile error \n"},
        {"first unreadable", Bytes(100, 0), saved(t2, 4), -1,
         std::string(kHead) + "read mtd device (MRD) error!!\nget first romfile error \n"},
    };
    for (const Case &c : cases) {
        put("/dev/mtd1", std::string(c.first.begin(), c.first.end()));
        std::filesystem::remove(path("/dev/mtd4"));
        if (!c.second.empty())
            put("/dev/mtd4", std::string(c.second.begin(), c.second.end()));
        int rc = 0;
        EXPECT_EQ(report(rc), c.out) << c.what;
        EXPECT_EQ(rc, c.rc) << c.what;
    }
}

TEST_F(RomfileInfo, OneDeviceUnderBothNames)
{
    put("/proc/mtd", "dev:    size   erasesize  name\n"
                     "mtd4: 00010000 00010000 \"second_romfile\"\n");
    const Bytes copy = saved("<ROMFILE></ROMFILE>", 3);
    put("/dev/mtd4", std::string(copy.begin(), copy.end()));
    int rc = 0;
    EXPECT_EQ(report(rc), std::string(kHead) +
                              "Romfile 1 version : 0x3,  checksum : 0x" + hex(ref_crc("<ROMFILE></ROMFILE>")) +
                              ".\n\r"
                              "Error: romfile and second_romfile are the same device.\n"
                              "get second romfile error \n");
    EXPECT_EQ(rc, -1);
}

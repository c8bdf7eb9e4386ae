// The two configuration copies: the choices as tables of both copies' states,
// the reader over partition files, and the stamp of an image file.
#include "flashlib.h"
#include "fwimage.h"
#include "wytest/temproot.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "wytest/capture.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;
using namespace fwimage;

namespace {

constexpr uint32_t kCrc = 0x12345678u;
romfile_state erased() { return {ROMFILE_EMPTY_CRC, 0xFFFFFFFFu, 0xFFFFFFFFu}; }
romfile_state intact(uint32_t v) { return {kCrc, kCrc, v}; }
romfile_state damaged(uint32_t v) { return {kCrc, kCrc ^ 1, v}; }

constexpr char kProcMtd[] = "dev:    size   erasesize  name\n"
                            "mtd1: 00010000 00010000 \"romfile\"\n"
                            "mtd4: 00010000 00010000 \"second_romfile\"\n";

class Copies : public wytest::RootTest {
protected:
    void SetUp() override
    {
        wytest::RootTest::SetUp();
        put("/proc/mtd", kProcMtd);
        set(1, Bytes(ROMFILE_BLOCK_SIZE, 0xFF));
        set(2, Bytes(ROMFILE_BLOCK_SIZE, 0xFF));
    }
    void set(int copy, const Bytes &b) const
    {
        put(copy == 1 ? "/dev/mtd1" : "/dev/mtd4", std::string(b.begin(), b.end()));
    }
    Bytes file(const std::string &p) const
    {
        std::string s = get(p);
        return Bytes(s.begin(), s.end());
    }
};

} // namespace

TEST(CopyChoice, ReadAndWriteByBothStates)
{
    struct Case {
        const char *what;
        romfile_state first, second;
        int read, write;
    };
    const Case cases[] = {
        {"both erased", erased(), erased(), 2, 1},
        {"first erased", erased(), intact(4), 2, 1},
        {"first erased, second damaged", erased(), damaged(4), 2, 1},
        {"second erased", intact(4), erased(), 1, 2},
        {"5 and 6 intact", intact(5), intact(6), 2, 1},
        {"6 and 5 intact", intact(6), intact(5), 1, 2},
        {"equal versions", intact(3), intact(3), 1, 1},
        {"newer second damaged", intact(7), damaged(9), 1, 2},
        {"newer first damaged", damaged(9), intact(7), 2, 1},
        {"older second damaged", intact(9), damaged(7), 1, 2},
        {"older first damaged", damaged(7), intact(9), 2, 1},
        {"both damaged, equal", damaged(4), damaged(4), 0, 1},
        {"both damaged, first older", damaged(3), damaged(5), 0, 1},
        {"both damaged, second older", damaged(5), damaged(3), 0, 2},
        // Unsigned: 0x80000000 is newer than 0x7FFFFFFF.
        {"across 0x80000000", intact(0x7FFFFFFFu), intact(0x80000000u), 2, 1},
        {"across 0x80000000, other order", intact(0x80000000u), intact(0x7FFFFFFFu), 1, 2},
        // After 2^32 saves the counter restarts at 0 and counts as the older.
        {"counter wrapped to 0", intact(0xFFFFFFFFu), intact(0), 1, 2},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(vr_chooseReadRomfile(&c.first, &c.second), c.read) << c.what;
        EXPECT_EQ(vr_chooseWriteRomfile(&c.first, &c.second), c.write) << c.what;
    }
}

TEST_F(Copies, WhatACopyHolds)
{
    const std::string text = rom_text(4000);
    // Decodes to more than the block holds: the trailer must still be the raw one.
    std::string big = "<ROMFILE>\n";
    while (big.size() < 100000)
        big += "<Node a=\"1\"/>\n";
    big += "</ROMFILE>";
    Bytes into_trailer = bytes("<ROMFILE>" + std::string(ROMFILE_TRAILER_OFFSET - 15, 'x') + "</ROMFILE>");
    struct Case {
        const char *what;
        Bytes block;
        int rc;
        uint32_t calc, stored, ver;
        std::string out;
    };
    const Case cases[] = {
        {"erased", Bytes(ROMFILE_BLOCK_SIZE, 0xFF), 1, ROMFILE_EMPTY_CRC, 0xFFFFFFFFu, 0xFFFFFFFFu, ""},
        {"plain", saved(text, 5), 1, ref_crc(text), ref_crc(text), 5, ""},
        {"compressed", block(compressed_file(text), 0xCAFEF00Du, 9), 1, ref_crc(text), 0xCAFEF00Du, 9, ""},
        {"decodes past the trailer", block(compressed_file(big), 0x01020304u, 0x0A0B0C0Du), 1, ref_crc(big),
         0x01020304u, 0x0A0B0C0Du, ""},
        {"text into the trailer", block(into_trailer, 1, 2), 1, ROMFILE_EMPTY_CRC, 1, 2,
         "Current ROM file is not valid!\n"},
        {"short partition", Bytes(1000, 0), 0, 0, 0, 0, "read mtd device (MRD) error!!\n"},
    };
    ASSERT_LT(compressed_file(big).size(), size_t(ROMFILE_TRAILER_OFFSET));
    for (const Case &c : cases) {
        set(1, c.block);
        uint32_t calc = 0, stored = 0, ver = 0;
        CaptureStdout();
        int rc = getRomfileChecksumAndVersion("romfile", &calc, &stored, &ver);
        std::string out = GetCapturedStdout();
        EXPECT_EQ(rc, c.rc) << c.what;
        EXPECT_EQ(out, c.out) << c.what;
        if (rc != 1)
            continue;
        EXPECT_EQ(calc, c.calc) << c.what;
        EXPECT_EQ(stored, c.stored) << c.what;
        EXPECT_EQ(ver, c.ver) << c.what;
    }
    std::filesystem::remove(path("/dev/mtd1"));
    uint32_t calc, stored, ver;
    CaptureStdout();
    EXPECT_EQ(getRomfileChecksumAndVersion("romfile", &calc, &stored, &ver), 0);
    EXPECT_EQ(GetCapturedStdout(), "Could not open mtd device: romfile\n");
}

TEST_F(Copies, ChoicesAndChecksumOverThePartitions)
{
    const std::string t1 = rom_text(3000, "First"), t2 = rom_text(3000, "Second");
    struct Case {
        const char *what;
        Bytes first, second;
        int read, write;
        uint32_t chksum;
    };
    const Case cases[] = {
        {"both erased", Bytes(ROMFILE_BLOCK_SIZE, 0xFF), Bytes(ROMFILE_BLOCK_SIZE, 0xFF), 2, 1, ROMFILE_EMPTY_CRC},
        {"5 and 6", saved(t1, 5), saved(t2, 6), 2, 1, ref_crc(t2)},
        {"newer damaged", saved(t1, 7), block(bytes(t2), 0, 9), 1, 2, ref_crc(t1)},
        {"both damaged", block(bytes(t1), 0, 7), block(bytes(t2), 0, 9), 0, 1, ref_crc(t1)},
    };
    for (const Case &c : cases) {
        set(1, c.first);
        set(2, c.second);
        EXPECT_EQ(get_read_romfile_index(), c.read) << c.what;
        EXPECT_EQ(get_write_romfile_index(), c.write) << c.what;
        EXPECT_EQ(vr_getRomChksum(), c.chksum) << c.what;
    }
}

TEST_F(Copies, OneDeviceUnderBothNamesIsRefused)
{
    // "romfile" is found inside the second_romfile line, listed first.
    put("/proc/mtd", "dev:    size   erasesize  name\n"
                     "mtd4: 00010000 00010000 \"second_romfile\"\n"
                     "mtd1: 00010000 00010000 \"romfile\"\n");
    const char kSame[] = "Error: romfile and second_romfile are the same device.\n";
    set(2, saved(rom_text(500), 3));
    CaptureStdout();
    EXPECT_EQ(get_read_romfile_index(), 0);
    EXPECT_EQ(get_write_romfile_index(), 0);
    put("/tmp/cfg.bin", rom_text(500));
    EXPECT_EQ(updateRomfileChecksumAndVersion("/tmp/cfg.bin", 1), 0);
    EXPECT_EQ(GetCapturedStdout(), std::string(kSame) + kSame + kSame);
    EXPECT_EQ(get("/tmp/cfg.bin"), rom_text(500));
}

TEST_F(Copies, StampingAnImageFile)
{
    const std::string text = rom_text(2000);
    const std::string packed = [&] {
        Bytes c = compressed_file(text);
        return std::string(c.begin(), c.end());
    }();
    const std::string restamp = [&] {
        Bytes b = saved(text, 41);
        return std::string(b.begin(), b.end());
    }();
    const std::string exact = "<ROMFILE>" + std::string(ROMFILE_TRAILER_OFFSET - 19, 'x') + "</ROMFILE>";
    const std::string past = "<ROMFILE>" + std::string(ROMFILE_TRAILER_OFFSET - 18, 'x') + "</ROMFILE>";
    struct Case {
        const char *what;
        std::string file;
        int target;
        Bytes other; // the copy not targeted
        int rc;
        uint32_t crc, version; // for rc 1
        std::string out;
    };
    const Bytes erased_copy(ROMFILE_BLOCK_SIZE, 0xFF);
    const Case cases[] = {
        {"plain, other at 6", text, 1, saved(rom_text(100), 6), 1, ref_crc(text), 7, ""},
        {"other erased", text, 2, erased_copy, 1, ref_crc(text), 0, ""},
        {"compressed", packed, 1, saved(rom_text(100), 0xFFFFFFFEu), 1, ref_crc(text), 0xFFFFFFFFu, ""},
        {"stamped before", restamp, 2, saved(rom_text(100), 99), 1, ref_crc(text), 100, ""},
        {"text ends at 65528", exact, 1, erased_copy, 1, ref_crc(exact), 0, ""},
        {"target 3", text, 3, erased_copy, 0, 0, 0, "Error: the romfile index is error.\n"},
        {"target 0", text, 0, erased_copy, 0, 0, 0, "Error: the romfile index is error.\n"},
        {"longer than a block", text + std::string(ROMFILE_BLOCK_SIZE, ' '), 1, erased_copy, 0, 0, 0,
         "Error: romfile is longer than 65536 bytes.\n"},
        {"text one byte past 65528", past, 1, erased_copy, 0, 0, 0, "Error: romfile data reach past offset 65528.\n"},
        {"no ROM text", "<ROMFILE> unterminated", 1, erased_copy, 0, 0, 0,
         "Current ROM file is not valid!\nError: romfile holds no valid ROM text.\n"},
        {"other copy unreadable", text, 1, Bytes(10, 0), 0, 0, 0,
         "read mtd device (MRD) error!!\nget romfile checksum and version error \n"},
    };
    for (const Case &c : cases) {
        set(c.target == 1 ? 2 : 1, c.other);
        put("/tmp/cfg.bin", c.file);
        CaptureStdout();
        int rc = updateRomfileChecksumAndVersion("/tmp/cfg.bin", c.target);
        std::string out = GetCapturedStdout();
        EXPECT_EQ(rc, c.rc) << c.what;
        EXPECT_EQ(out, c.out) << c.what;
        const Bytes after = file("/tmp/cfg.bin");
        if (rc != 1) {
            EXPECT_EQ(std::string(after.begin(), after.end()), c.file) << c.what;
            continue;
        }
        ASSERT_EQ(after.size(), size_t(ROMFILE_BLOCK_SIZE)) << c.what;
        Bytes want(c.file.begin(), c.file.end());
        want.resize(ROMFILE_BLOCK_SIZE, 0);
        put_be32(want, ROMFILE_TRAILER_OFFSET, c.crc);
        put_be32(want, ROMFILE_TRAILER_OFFSET + 4, c.version);
        EXPECT_EQ(after, want) << c.what;
    }
    CaptureStdout();
    EXPECT_EQ(updateRomfileChecksumAndVersion("/tmp/none.bin", 1), 0);
    EXPECT_EQ(GetCapturedStdout(), "Error: can't open romfile\n");
}

TEST_F(Copies, AFailedWriteLeavesTheFileAsItWas)
{
    const std::string text = rom_text(1000);
    put("/tmp/cfg.bin", text);
    set(2, saved(rom_text(100), 6));
    // The file may not grow to 64 KiB: the trailer's write fails.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    CaptureStdout();
    int rc = updateRomfileChecksumAndVersion("/tmp/cfg.bin", 1);
    std::string out = GetCapturedStdout();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, old_handler);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "Error: can't write romfile trailer (File too large)\n");
    EXPECT_EQ(get("/tmp/cfg.bin"), text);
}

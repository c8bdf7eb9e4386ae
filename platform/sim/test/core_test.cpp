// The simulator's pure pieces: NOR image rules, command table, profile, layout.
#include "cmdlog.h"
#include "cmdtable.h"
#include "flashimg.h"
#include "layout.h"
#include "profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

class ImageFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/wysim-img.XXXXXX";
        int fd = mkstemp(tmpl);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = tmpl;
        std::string error;
        ASSERT_TRUE(gwsim::create_erased_image(path_, error)) << error;
        ASSERT_TRUE(image_.open(path_, true, error)) << error;
    }
    void TearDown() override { unlink(path_.c_str()); }
    std::vector<uint8_t> at(uint32_t off, uint32_t n)
    {
        std::vector<uint8_t> b(n);
        EXPECT_EQ(image_.read(off, b), static_cast<long>(n));
        return b;
    }
    std::string path_;
    gwsim::FlashImage image_;
    std::string error_;
};

TEST_F(ImageFile, ProgrammingWithoutEraseOnlyClearsBits)
{
    ASSERT_TRUE(image_.program(0x100, std::vector<uint8_t>{0xF0, 0x3C}, error_));
    EXPECT_EQ(at(0x100, 2), (std::vector<uint8_t>{0xF0, 0x3C}));
    // A second program over it ANDs: a forgotten erase shows as wrong bytes.
    ASSERT_TRUE(image_.program(0x100, std::vector<uint8_t>{0x0F, 0xFF}, error_));
    EXPECT_EQ(at(0x100, 2), (std::vector<uint8_t>{0x00, 0x3C}));
    ASSERT_TRUE(image_.erase(0, gwsim::kEraseSize, error_));
    EXPECT_EQ(at(0x100, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST_F(ImageFile, EraseTakesWholeBlocksOnly)
{
    EXPECT_FALSE(image_.erase(0x100, gwsim::kEraseSize, error_));
    EXPECT_FALSE(image_.erase(0, 0x100, error_));
    EXPECT_FALSE(image_.erase(gwsim::kFlashSize - gwsim::kEraseSize, 2 * gwsim::kEraseSize, error_));
    ASSERT_TRUE(image_.poke(0x1FFFF, std::vector<uint8_t>{0, 0}, error_));  // straddles two blocks
    ASSERT_TRUE(image_.erase(0x10000, 0x10000, error_));
    EXPECT_EQ(at(0x1FFFF, 2), (std::vector<uint8_t>{0xFF, 0x00}));
}

TEST_F(ImageFile, WriteErasesTheCoveredBlocksThenPrograms)
{
    std::vector<uint8_t> zeros(0x30000, 0x00);
    ASSERT_TRUE(image_.poke(0, zeros, error_));
    // 0x10010 bytes from 0x8000: covers blocks 0 and 1, not block 2.
    std::vector<uint8_t> data(0x10010, 0x5A);
    ASSERT_TRUE(image_.write(0x8000, data, error_)) << error_;
    EXPECT_EQ(at(0x0, 1)[0], 0xFF);          // same block, before the data: erased
    EXPECT_EQ(at(0x8000, 1)[0], 0x5A);
    EXPECT_EQ(at(0x1800F, 1)[0], 0x5A);      // last data byte
    EXPECT_EQ(at(0x18010, 1)[0], 0xFF);      // rest of the last covered block
    EXPECT_EQ(at(0x20000, 1)[0], 0x00);      // next block untouched
    EXPECT_FALSE(image_.write(gwsim::kFlashSize - 1, std::vector<uint8_t>{1, 2}, error_));
}

TEST_F(ImageFile, ReadsStopAtTheEndOfTheFlash)
{
    std::vector<uint8_t> b(16);
    EXPECT_EQ(image_.read(gwsim::kFlashSize - 4, b), 4);
    EXPECT_EQ(image_.read(gwsim::kFlashSize, b), 0);
}

TEST(CmdTable, ParsesTheShippedTableFormatAndRefusesJunk)
{
    gwsim::CmdTable t;
    std::string error;
    ASSERT_TRUE(gwsim::parse_cmdtable("# comment\n\nATBT 5\n  romd\t11  # trailing\n", t, error));
    EXPECT_EQ(t, (gwsim::CmdTable{{"ATBT", 5}, {"romd", 11}}));
    for (const char *bad : {"ATBT\n", "ATBT x\n", "ATBT 5 6\n", "ATBT 0\n", "ATBT -1\n",
                            "ATBT 99999999999999999999\n"})
        EXPECT_FALSE(gwsim::parse_cmdtable(bad, t, error)) << bad;
    EXPECT_NE(error.find("line 1"), std::string::npos);
}

TEST(CmdTable, SlotComesFromTheSecondWord)
{
    const gwsim::CmdTable t{{"ATBT", 5}, {"romd", 11}};
    EXPECT_EQ(gwsim::slot_for_line(t, "wyci ATBT 1"), 5);
    EXPECT_EQ(gwsim::slot_for_line(t, "  wyci\tromd show"), 11);
    EXPECT_EQ(gwsim::slot_for_line(t, "wyci romdx"), 0);
    EXPECT_EQ(gwsim::slot_for_line(t, "ATBT"), 0);
    EXPECT_EQ(gwsim::slot_for_line(t, "wyci "), 0);
}

TEST(Profile, DefaultIsAFactoryFreshUnitWithEngDebugFlagSet)
{
    auto mrd = gwsim::mrd_bytes(gwsim::Profile{});
    EXPECT_EQ(mrd[119], 1);     // EngDebugFlag
    EXPECT_EQ(mrd[104], 0);     // serial number not set
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&mrd[4])), "WyNet");
}

TEST(Profile, FieldsLandAtTheirOffsetsBigEndian)
{
    gwsim::Profile p;
    std::string error;
    ASSERT_TRUE(gwsim::apply_profile("mac=A1B2C3D4E5F6\nmodel_id=0x11223344\nchip_id=CHIP5678\n"
                                     "serial=SN12345678901\nmac_quantity=8\ncountry_code=0x41\n"
                                     "eng_debug_flag=0\nmain_feature_bits=0x81\nwpa_psk=0123456789abcdef\n"
                                     "boot_info=0103000615201800000000000000\n# note\n\n",
                                     p, error))
        << error;
    auto m = gwsim::mrd_bytes(p);
    EXPECT_EQ((std::vector<uint8_t>(m.begin() + 72, m.begin() + 78)),
              (std::vector<uint8_t>{0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6}));
    EXPECT_EQ((std::vector<uint8_t>(m.begin() + 121, m.begin() + 125)),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(std::string(m.begin() + 128, m.begin() + 136), "CHIP5678");
    EXPECT_EQ(std::string(m.begin() + 104, m.begin() + 117), "SN12345678901");
    EXPECT_EQ(m[117], 8);
    EXPECT_EQ(m[100], 0x41);
    EXPECT_EQ(m[119], 0);
    EXPECT_EQ(m[120], 0x81);
    EXPECT_EQ(std::string(m.begin() + 151, m.begin() + 167), "0123456789abcdef");

    auto boot = gwsim::bootloader_image(p);
    ASSERT_EQ(boot.size(), 0x20000u);
    EXPECT_TRUE(std::equal(m.begin(), m.end(), boot.begin() + gwsim::kMrdOffset));
    EXPECT_EQ(boot[gwsim::kBootInfoOffset + 0], 0x01);
    EXPECT_EQ(boot[gwsim::kBootInfoOffset + 6], 0x18);
    for (uint32_t i : {0u, 1u, 0x1FEFFu, 0x1FFA7u, 0x1FFF1u})
        EXPECT_EQ(boot[i], gwsim::boot_code_byte(i)) << i;
}

TEST(Profile, RefusesBadValuesAndUnknownKeys)
{
    const char *bad[] = {
        "mac=0011223344",           // too short
        "mac=00112233445G",         // not hex
        "serial=SHORT",             // must be 13 characters or empty
        "chip_id=NINECHARS",        // at most 8
        "wpa_psk=0123456789abcdefX",// at most 16
        "mac_quantity=256",
        "model_id=0x100000000",
        "eng_debug_flag=-1",
        "boot_info=01",
        "colour=blue",
        "no equals sign",
    };
    for (const char *line : bad) {
        gwsim::Profile p;
        std::string error;
        EXPECT_FALSE(gwsim::apply_profile(line, p, error)) << line;
        EXPECT_NE(error.find("line 1"), std::string::npos) << line;
    }
}

TEST(Layout, PartitionByNameMatchesTheWholeQuotedName)
{
    const std::string mtd = gwsim::proc_mtd_text();
    const struct {
        const char *name;
        int index;  // -1: not found
    } cases[] = {{"bootloader", 0}, {"romfile", 1}, {"wylinux", 2}, {"romd", 3},
                 {"second_romfile", 4}, {"rom", -1}, {"", -1}, {"mtd0", -1}};
    for (const auto &c : cases) {
        const gwsim::Partition *p = gwsim::partition_by_name(mtd, c.name);
        if (c.index < 0)
            EXPECT_EQ(p, nullptr) << c.name;
        else
            EXPECT_EQ(p, &gwsim::kPartitions[c.index]) << c.name;
    }
    // The device number decides, not the line's position; unknown numbers give nothing.
    EXPECT_EQ(gwsim::partition_by_name("mtd4: 0 0 \"a\"\nmtd1: 0 0 \"b\"\n", "b"),
              &gwsim::kPartitions[1]);
    EXPECT_EQ(gwsim::partition_by_name("mtd7: 0 0 \"x\"\n", "x"), nullptr);
    EXPECT_EQ(gwsim::partition_by_name("mtdx: 0 0 \"x\"\n", "x"), nullptr);
}

TEST(Layout, RomdIsTheLastEraseBlockOfWylinux)
{
    const auto &wylinux = gwsim::kPartitions[2], &romd = gwsim::kPartitions[3];
    EXPECT_EQ(romd.offset + romd.size, wylinux.offset + wylinux.size);
    EXPECT_EQ(romd.size, gwsim::kEraseSize);
    EXPECT_EQ(gwsim::kPartitions[4].offset + gwsim::kPartitions[4].size, gwsim::kFlashSize);
}

TEST(CmdLog, EveryLineComesBackThroughItsRecord)
{
    const struct {
        std::string line;
        std::string record;
    } cases[] = {
        {"adsl delt show", "adsl delt show"},
        {"", ""},
        {"wyci ATBT\n", "wyci ATBT\\x0a"},
        {"a\\b", "a\\\\b"},
        {"\\x41", "\\\\x41"},  // text that looks like an escape
        {std::string("nul\0in", 6), "nul\\x00in"},
        {"\r\t\x7f\xff", "\\x0d\\x09\\x7f\\xff"},
    };
    std::string file;
    for (const auto &c : cases) {
        EXPECT_EQ(gwsim::cmdlog_escape(c.line), c.record);
        file += gwsim::cmdlog_escape(c.line) + "\n";
    }
    std::vector<std::string> lines;
    ASSERT_TRUE(gwsim::cmdlog_parse(file, lines));
    ASSERT_EQ(lines.size(), std::size(cases));
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], cases[i].line) << "record " << i;
}

TEST(CmdLog, MalformedRecordsAreRefused)
{
    const struct {
        const char *text;
        size_t kept;  // records before the bad one
    } cases[] = {
        {"ok\nno line feed", 1},
        {"lone\\\n", 0},
        {"ok\n\\q\n", 1},
        {"\\x4\n", 0},
        {"\\x4g\n", 0},
        {"\\xAB\n", 0},  // escapes are lower case
    };
    for (const auto &c : cases) {
        std::vector<std::string> lines;
        EXPECT_FALSE(gwsim::cmdlog_parse(c.text, lines)) << c.text;
        EXPECT_EQ(lines.size(), c.kept) << c.text;
    }
}

TEST(CmdLog, RefusalWordOfTheFlagFile)
{
    EXPECT_EQ(gwsim::cmd_refusal("write"), gwsim::CmdRefusal::write);
    EXPECT_EQ(gwsim::cmd_refusal("write\n"), gwsim::CmdRefusal::write);
    for (const char *text : {"", "open", "open\n", "writes", "anything"})
        EXPECT_EQ(gwsim::cmd_refusal(text), gwsim::CmdRefusal::open) << text;
}

} // namespace

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "flashlib.h"
#include "gw.h"
#include "simtest.h"

using namespace gwtest;

namespace {

const std::string kForbidden = "Block0 is forbidden to write!\nERROR\n";
const std::string kOK = "\nOK\n";

void put(Bytes &rec, int at, const std::string &s) { std::copy(s.begin(), s.end(), rec.begin() + at); }

} // namespace

// One unit through the production line: every write needs its own arming, and
// the record ends up holding exactly what was written.
TEST(ProductionLine, IdentityWrittenOnceEach)
{
    simtest::Gateway gw;
    const Bytes before = boot(gw);

    EXPECT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    EXPECT_EQ(flag(gw), "\x01");
    EXPECT_EQ(wyci(gw, {"ATWriteVornaMac", "0257590010A4", "86", "1", "5"}),
              "MAC address  : 02:57:59:00:10:A4\n"
              "Country Code : 86\n"
              "EngDebugFlag : 01\n"
              "FeatureBit   : 05\n"
              "MAC Number   : 04\n");
    EXPECT_EQ(flag(gw), std::string(1, '\0'));

    EXPECT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATSeriesNumber", "WY16A0001234Z"}), "Serial Number : WY16A0001234Z\n");
    EXPECT_EQ(flag(gw), std::string(1, '\0'));
    EXPECT_EQ(wyci(gw, {"ATSeriesNumber", "WY16A0009999Z"}), kForbidden);

    EXPECT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATWriteWpaPsk", "k3yOfTheUnit"}), "WPA PSK Key: k3yOfTheUnit\n");
    EXPECT_EQ(flag(gw), std::string(1, '\0'));
    EXPECT_EQ(wyci(gw, {"ATWriteWpaPsk", "another"}), kForbidden);
    EXPECT_EQ(wyci(gw, {"ATWriteVornaMac", "0257590010A8"}), kForbidden);
    EXPECT_EQ(wyci(gw, {"ATShowWpaPsk", "ignored"}), "WPA PSK Key: k3yOfTheUnit\n");

    Bytes rec(before.begin() + kMrdAt, before.begin() + kMrdAt + kMrdSize);
    const uint8_t mac[] = {0x02, 0x57, 0x59, 0x00, 0x10, 0xA4};
    std::copy(std::begin(mac), std::end(mac), rec.begin() + MRD_FIRST_MAC);
    rec[MRD_COUNTRY_CODE] = 0x86;
    rec[MRD_ENG_DEBUG_FLAG] = 0x01;
    rec[MRD_MAIN_FEATURE_BITS] = 0x05;
    put(rec, MRD_SERIAL_NUMBER, "WY16A0001234Z");
    put(rec, MRD_WPA_PSK, std::string("k3yOfTheUnit") + '\0');
    EXPECT_EQ(mrd(gw), rec);

    Bytes expect = before;
    std::copy(rec.begin(), rec.end(), expect.begin() + kMrdAt);
    EXPECT_EQ(diff(boot(gw), expect), std::vector<uint32_t>{});
    EXPECT_EQ(tool_calls(gw).size(), 3u);
}

TEST(ArmCommand, EveryFormDisarmsButOne)
{
    simtest::Gateway gw;
    struct Case {
        std::vector<std::string> words;
        std::string out;
        std::string flag;
    };
    const std::string off(1, '\0');
    const std::vector<Case> cases = {
        {{"ATBT", "1"}, kOK, "\x01"},   {{"ATBT"}, kOK, off},
        {{"ATBT", "01"}, kOK, "\x01"},  {{"ATBT", "2"}, kOK, off},
        {{"ATBT", " 1"}, kOK, "\x01"},  {{"ATBT", "yes"}, kOK, off},
        {{"ATBT", "0x1"}, kOK, off},    {{"ATBT", "1x"}, kOK, "\x01"},
        // Refused while armed: the flag stays as it was, not disarmed.
        {{"ATBT", "1", "1"}, "\nERROR\n", "\x01"},
        {{"ATBT", "0", "0"}, "\nERROR\n", "\x01"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(wyci(gw, c.words), c.out) << c.words.back();
        EXPECT_EQ(flag(gw), c.flag) << c.words.back();
    }
}

// Handlers that change nothing: the record and the arm flag stay as they were.
TEST(Writers, RefusalsChangeNothing)
{
    struct Case {
        const char *what;
        std::vector<std::string> words;
        std::string out;
        bool armed_after; // the refusal does not use up the arming
    };
    const std::string mac_digits = "MAC address must be 12 hexadecimal digits\n\nERROR\n";
    const std::vector<Case> cases = {
        {"last byte 0x06", {"ATWriteVornaMac", "025759001006"},
         "MAC is not valid. Must multiples of four.\n\nERROR\n", true},
        {"short MAC", {"ATWriteVornaMac", "0257590010A"}, mac_digits, true},
        {"non-hex MAC", {"ATWriteVornaMac", "02575900 0A4"}, mac_digits, true},
        {"separators", {"ATWriteVornaMac", "02:57:59:00:1"}, mac_digits, true},
        {"all zeros", {"ATWriteVornaMac", "000000000000"},
         "MAC address 00:00:00:00:00:00 is no device address (all zeros or group bit set)\n\nERROR\n", true},
        {"group bit", {"ATWriteVornaMac", "01005E000004"},
         "MAC address 01:00:5E:00:00:04 is no device address (all zeros or group bit set)\n\nERROR\n", true},
        {"no MAC", {"ATWriteVornaMac"}, "", true},
        {"too many words", {"ATWriteVornaMac", "0257590010A4", "1", "1", "0", "0", "0"}, "", true},
        {"serial of 12", {"ATSeriesNumber", "WY16A0001234"}, "\nERROR\n", true},
        {"serial of 14", {"ATSeriesNumber", "WY16A0001234ZZ"}, "\nERROR\n", true},
        {"two serials", {"ATSeriesNumber", "WY16A0001234Z", "x"}, "\nERROR\n", true},
        {"key of 17", {"ATWriteWpaPsk", "0123456789abcdefg"}, "\nERROR\n", true},
        {"no key", {"ATWriteWpaPsk"}, "\nERROR\n", true},
        {"boot MAC of 11", {"ATWriteBootMac", "0257590010A"}, "mac address must be 12 digits\n", true},
        {"boot MAC of 13", {"ATWriteBootMac", "0257590010A40"}, "mac address must be 12 digits\n", true},
        {"boot MAC missing", {"ATWriteBootMac"}, "mac address must be 12 digits\n", true},
        {"boot MAC non-hex", {"ATWriteBootMac", "0257590010G4"}, mac_digits, true},
        {"boot MAC zeros", {"ATWriteBootMac", "000000000000"},
         "MAC address 00:00:00:00:00:00 is no device address (all zeros or group bit set)\n\nERROR\n", true},
        {"boot MAC broadcast", {"ATWriteBootMac", "FFFFFFFFFFFF"},
         "MAC address FF:FF:FF:FF:FF:FF is no device address (all zeros or group bit set)\n\nERROR\n", true},
    };
    for (const Case &c : cases) {
        simtest::Gateway gw;
        const Bytes before = boot(gw);
        ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
        EXPECT_EQ(wyci(gw, c.words), c.out) << c.what;
        EXPECT_EQ(diff(boot(gw), before), std::vector<uint32_t>{}) << c.what;
        EXPECT_EQ(tool_calls(gw), std::vector<std::string>{}) << c.what;
        EXPECT_FALSE(gw.exists("/tmp/boot.bin")) << c.what;
        EXPECT_EQ(flag(gw), c.armed_after ? "\x01" : std::string(1, '\0')) << c.what;
    }
}

TEST(Writers, InterlockOrder)
{
    simtest::Gateway gw;
    // Never armed: the flag file is missing, which atbt_get reports itself.
    EXPECT_EQ(wyci(gw, {"ATSeriesNumber", "WY16A0001234Z"}), "Open file error!!\n\nERROR\n" + kForbidden);
    // The interlock comes before the word count.
    EXPECT_EQ(wyci(gw, {"ATWriteVornaMac"}), "Open file error!!\n\nERROR\n" + kForbidden);
    EXPECT_EQ(wyci(gw, {"ATBT"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATWriteWpaPsk", "a", "b"}), kForbidden);
}

TEST(Writers, MacTextOf14UsesTheMiddle)
{
    simtest::Gateway gw;
    ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    // "99" counts as "00"; the last two characters "77" are not read.
    EXPECT_EQ(wyci(gw, {"ATWriteVornaMac", "99025759001077", "1"}).substr(0, 33),
              "MAC address  : 00:02:57:59:00:10\n");
    const Bytes rec = mrd(gw);
    EXPECT_EQ(Bytes(rec.begin() + MRD_FIRST_MAC, rec.begin() + MRD_FIRST_MAC + 6),
              (Bytes{0x00, 0x02, 0x57, 0x59, 0x00, 0x10}));
    EXPECT_EQ(rec[MRD_COUNTRY_CODE], 0x01);
}

TEST(Writers, EngDebugFlagZeroLocksEveryWriter)
{
    simtest::Gateway gw;
    ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATWriteVornaMac", "0257590010A4", "0", "0"}),
              "MAC address  : 02:57:59:00:10:A4\n"
              "Country Code : 00\n"
              "EngDebugFlag : 00\n"
              "FeatureBit   : 00\n"
              "MAC Number   : 04\n");
    EXPECT_EQ(mrd(gw)[MRD_ENG_DEBUG_FLAG], 0);
    const Bytes locked = boot(gw);
    const std::vector<std::vector<std::string>> writers = {
        {"ATWriteVornaMac", "0257590010A8", "1", "1"},
        {"ATSeriesNumber", "WY16A0001234Z"},
        {"ATWriteWpaPsk", "key"},
        {"ATWriteBootMac", "0257590010A8"},
    };
    for (const auto &w : writers) {
        ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
        EXPECT_EQ(wyci(gw, w), kForbidden) << w[0];
    }
    EXPECT_EQ(diff(boot(gw), locked), std::vector<uint32_t>{});
}

// The reboot stand-in is replaced by one that notes what it saw when it ran.
TEST(Writers, RebootOnlyWhenAskedAndAfterWriteAndDisarm)
{
    struct Case {
        std::vector<std::string> words;
        bool reboot;
    };
    const std::vector<Case> cases = {
        {{"ATWriteVornaMac", "0257590010A4", "1", "1", "0", "0"}, false},
        {{"ATWriteVornaMac", "0257590010A4", "1", "1", "0", "1"}, true},
        {{"ATWriteVornaMac", "0257590010A4", "1", "1", "0", "0x0"}, false},
        {{"ATWriteVornaMac", "0257590010A4", "1", "1", "0", "a"}, true},
        {{"ATWriteVornaMac", "0257590010A4", "1", "1", "0"}, false},
    };
    for (const Case &c : cases) {
        simtest::Gateway gw;
        replace_program(gw, "/sbin/reboot",
                        "r=\"$WY_SYSROOT\"\n"
                        "{ od -An -tx1 \"$r/tmp/vorna_atbt\"; dd if=\"$r/dev/mtd0\" bs=1 skip=130888 count=6 "
                        "2>/dev/null | od -An -tx1; } > \"$r/tmp/reboot.seen\"\n");
        ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
        std::string out = wyci(gw, c.words);
        EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
        EXPECT_EQ(gw.exists("/tmp/reboot.seen"), c.reboot) << c.words.size() << " " << c.words.back();
        if (c.reboot) {
            EXPECT_EQ(gw.read_file("/tmp/reboot.seen"), " 00\n 02 57 59 00 10 a4\n");
        }
    }
}

TEST(Writers, NoRebootAfterAFailedWrite)
{
    simtest::Gateway gw;
    replace_program(gw, "/userfs/bin/mtd", "exit 1\n");
    ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    std::string out = wyci(gw, {"ATWriteVornaMac", "0257590010A4", "1", "1", "0", "1"});
    EXPECT_EQ(out.substr(out.size() - 7), "\nERROR\n");
    EXPECT_EQ(gw.calls(), std::vector<std::string>{});
    EXPECT_EQ(flag(gw), std::string(1, '\0'));
}

TEST(Writers, KeyOfSixteenHasNoTerminator)
{
    simtest::Gateway gw("wpa_psk=oldkey");
    ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATWriteWpaPsk", "0123456789abcdef"}), "WPA PSK Key: 0123456789abcdef\n");
    const Bytes rec = mrd(gw);
    EXPECT_EQ(Bytes(rec.begin() + MRD_WPA_PSK, rec.end()), text("0123456789abcdef"));
    EXPECT_EQ(wyci(gw, {"ATShowWpaPsk"}), "WPA PSK Key: 0123456789abcdef\n");

    ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATWriteWpaPsk", ""}), "WPA PSK Key: \n");
    EXPECT_EQ(mrd(gw)[MRD_WPA_PSK], 0);
    EXPECT_EQ(mrd(gw)[MRD_WPA_PSK + 1], '1'); // only the terminator is written
}

TEST(Writers, SerialStoredWithoutTerminator)
{
    simtest::Gateway gw;
    const Bytes before = mrd(gw);
    ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATSeriesNumber", "ABCDEFGHIJKLM"}), "Serial Number : ABCDEFGHIJKLM\n");
    Bytes expect = before;
    put(expect, MRD_SERIAL_NUMBER, "ABCDEFGHIJKLM");
    EXPECT_EQ(mrd(gw), expect);
}

TEST(BootMac, PatchesTheAddressOnly)
{
    simtest::Gateway gw;
    const Bytes before = boot(gw);
    EXPECT_EQ(wyci(gw, {"ATWriteBootMac", "0A57590010Fc"}), "new mac addr = a:57:59:0:10:fc:\b\n");
    Bytes expect = before;
    const uint8_t mac[] = {0x0A, 0x57, 0x59, 0x00, 0x10, 0xFC};
    std::copy(std::begin(mac), std::end(mac), expect.begin() + kMrdAt + MRD_FIRST_MAC);
    EXPECT_EQ(diff(boot(gw), expect), std::vector<uint32_t>{});
    EXPECT_EQ(tool_calls(gw), std::vector<std::string>{"mtd -rf write /tmp/boot.bin bootloader"});
    EXPECT_EQ(flag(gw), "(none)");
}

TEST(BootMac, IgnoresTheArmFlag)
{
    simtest::Gateway gw;
    EXPECT_EQ(wyci(gw, {"ATBT"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATWriteBootMac", "0257590010A8"}), "new mac addr = 2:57:59:0:10:a8:\b\n");
    EXPECT_EQ(flag(gw), std::string(1, '\0'));
    const Bytes rec = mrd(gw);
    EXPECT_EQ(Bytes(rec.begin() + MRD_FIRST_MAC, rec.begin() + MRD_FIRST_MAC + 6),
              (Bytes{0x02, 0x57, 0x59, 0x00, 0x10, 0xA8}));
}

// A copy that is not the whole partition must never reach the flash tool: it
// would replace the bootloader with a cut-off one.
TEST(BootMac, BadCopyIsNeverFlashed)
{
    struct Case {
        const char *what;
        std::string cat;   // a cat that fails in its own way, or ""
        bool remove_tmp;
        std::string printed;
    };
    const std::vector<Case> cases = {
        {"short copy", "head -c 65536 \"$1\"\n", false,
         "ATWriteBootMac: /tmp/boot.bin holds 65536 of 131072 bytes; bootloader not written\n"},
        {"failed copy", "exit 1\n", false,
         "ATWriteBootMac: copy of /dev/mtd0 to /tmp/boot.bin failed (status 1); bootloader not written\n"},
        // Every byte arrived, but the reader reported an error: the bytes are not trusted.
        {"whole copy, reader failed", "head -c 131072 \"$1\"; exit 2\n", false,
         "ATWriteBootMac: copy of /dev/mtd0 to /tmp/boot.bin failed (status 2); bootloader not written\n"},
        {"empty copy", "exit 0\n", false,
         "ATWriteBootMac: /tmp/boot.bin holds 0 of 131072 bytes; bootloader not written\n"},
        // Whole, but not the partition's bytes.
        {"altered copy", "head -c 131071 \"$1\"; printf x\n", false,
         "ATWriteBootMac: /tmp/boot.bin differs from the image at 0x1ffff; bootloader not written\n"},
        // The shell cannot open the redirection: dash answers 2.
        {"no /tmp", "", true,
         "ATWriteBootMac: copy of /dev/mtd0 to /tmp/boot.bin failed (status 2); bootloader not written\n"},
        // A whole copy that cannot be patched: the path ends up naming the
        // read-only device itself.
        {"copy not writable", "head -c 131072 \"$1\"; ln -sf \"$1\" \"$WY_SYSROOT/tmp/boot.bin\"\n", false,
         "new mac addr = 2:57:59:0:10:a8:\b\nopen file error!!\n"},
    };
    for (const Case &c : cases) {
        simtest::Gateway gw;
            const Bytes before = boot(gw);
        if (!c.cat.empty())
            replace_program(gw, "/userfs/bin/cat", c.cat);
        if (c.remove_tmp)
            std::filesystem::remove_all(gw.path("/tmp"));
        simtest::RunResult r = gw.run({"wyci", "ATWriteBootMac", "0257590010A8"});
        EXPECT_EQ(r.out, c.printed + "\nERROR\n") << c.what;
        EXPECT_EQ(tool_calls(gw), std::vector<std::string>{}) << c.what;
        EXPECT_FALSE(gw.exists("/tmp/boot.bin")) << c.what;
        EXPECT_EQ(diff(boot(gw), before), std::vector<uint32_t>{}) << c.what;
    }
}

// The flash tool's status proves nothing; the flash read back does.
TEST(BootMac, FailingToolIsAnError)
{
    simtest::Gateway gw;
    replace_program(gw, "/userfs/bin/mtd", "exit 0\n");
    EXPECT_EQ(wyci(gw, {"ATWriteBootMac", "0257590010A8"}),
              "new mac addr = 2:57:59:0:10:a8:\b\n"
              "ATWriteBootMac: bootloader read back from /dev/mtd0 differs from the image written at "
              "0x1ff4c (flash tool exit status 0)\n"
              "\nERROR\n");
}

TEST(Writers, FailingToolIsAnErrorAndStillDisarms)
{
    struct Case {
        std::vector<std::string> words;
        std::string head; // what the handler printed before the failure
        std::string tail; // after the failure message
        std::string first_change; // first byte of the bootloader the write changes
    };
    const std::vector<Case> cases = {
        {{"ATWriteVornaMac", "0257590010A4"},
         "MAC address  : 02:57:59:00:10:A4\nCountry Code : 00\nEngDebugFlag : 01\nFeatureBit   : 00\n"
         "MAC Number   : 04\n",
         "\nERROR\n", "0x1ff4c"},
        {{"ATSeriesNumber", "WY16A0001234Z"}, "Serial Number : WY16A0001234Z\n", "\nERROR\n", "0x1ff68"},
        {{"ATWriteWpaPsk", "newkey"}, "", "WPA PSK Key: oldkey\n\nERROR\n", "0x1ff97"},
    };
    const std::vector<std::string> tools = {"exit 1\n", "exit 0\n"};
    for (const std::string &tool : tools) {
        for (const Case &c : cases) {
            simtest::Gateway gw("wpa_psk=oldkey");
            const Bytes before = boot(gw);
            replace_program(gw, "/userfs/bin/mtd", tool);
            ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
            EXPECT_EQ(wyci(gw, c.words),
                      c.head + "MRDwrite: bootloader read back from /dev/mtd0 differs from the image written at " +
                          c.first_change + " (flash tool exit status " + (tool == "exit 1\n" ? "1" : "0") +
                          ")\n" + c.tail)
                << c.words[0] << " with " << tool;
            EXPECT_EQ(flag(gw), std::string(1, '\0')) << c.words[0];
            EXPECT_EQ(diff(boot(gw), before), std::vector<uint32_t>{});
        }
    }
}

TEST(Writers, ImageThatCannotBeSavedIsNeverFlashed)
{
    simtest::Gateway gw;
    const Bytes before = boot(gw);
    std::filesystem::create_symlink("/dev/full", gw.path("/tmp/boot.bin"));
    ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
    EXPECT_EQ(wyci(gw, {"ATSeriesNumber", "WY16A0001234Z"}),
              "Serial Number : WY16A0001234Z\n"
              "MRDwrite: write of /tmp/boot.bin failed (No space left on device); bootloader not written\n"
              "\nERROR\n");
    EXPECT_EQ(tool_calls(gw), std::vector<std::string>{});
    EXPECT_FALSE(gw.exists("/tmp/boot.bin"));
    EXPECT_EQ(diff(boot(gw), before), std::vector<uint32_t>{});
    EXPECT_EQ(flag(gw), std::string(1, '\0'));
}

// A flash tool that writes the image with one byte flipped, outside the
// record, next to it or far from it: the write ends in an error.
TEST(BootWriters, ToolThatDamagesAnyByteIsAnError)
{
    struct Writer {
        std::vector<std::string> words;
        std::string head; // printed before the failure
        std::vector<std::pair<uint32_t, uint8_t>> changes; // what the write itself changes
    };
    const std::vector<Writer> writers = {
        {{"ATSeriesNumber", "WY16A0001234Z"}, "Serial Number : WY16A0001234Z\n", {}},
        {{"ATWriteBootMac", "0257590010A8"}, "new mac addr = 2:57:59:0:10:a8:\b\n",
         {{kMrdAt + MRD_FIRST_MAC + 4, 0x10}, {kMrdAt + MRD_FIRST_MAC + 5, 0xA8}}},
    };
    const uint32_t offsets[] = {0x00000, 0x01234, kMrdAt - 1, kMrdAt + kMrdSize, kBootSize - 1};
    for (const Writer &w : writers) {
        for (uint32_t at : offsets) {
            SCOPED_TRACE(w.words[0] + " flipping " + std::to_string(at));
            simtest::Gateway gw;
            std::filesystem::rename(gw.path("/userfs/bin/mtd"), gw.path("/userfs/bin/mtd.real"));
            replace_program(gw, "/userfs/bin/mtd",
                            // $3 is the image file, its path already under the system root.
                            "d=\"$WY_SYSROOT/tmp/damaged.bin\"\n"
                            "cp \"$3\" \"$d\"\n"
                            "b=$(od -An -tu1 -j " + std::to_string(at) + " -N1 \"$3\")\n"
                            "printf \"\\\\$(printf %o $((b ^ 255)))\" | dd of=\"$d\" bs=1 seek=" +
                                std::to_string(at) + " conv=notrunc 2>/dev/null\n"
                            "exec \"$WY_SYSROOT/userfs/bin/mtd.real\" \"$1\" write \"$d\" bootloader\n");
            Bytes expect = boot(gw);
            for (const auto &[off, value] : w.changes)
                expect[off] = value;
            if (w.words[0] == "ATSeriesNumber") {
                put(expect, kMrdAt + MRD_SERIAL_NUMBER, w.words[1]);
                ASSERT_EQ(wyci(gw, {"ATBT", "1"}), kOK);
            }
            char where[8];
            snprintf(where, sizeof where, "0x%05x", at);
            const std::string who = w.words[0] == "ATSeriesNumber" ? "MRDwrite" : "ATWriteBootMac";
            EXPECT_EQ(wyci(gw, w.words),
                      w.head + who + ": bootloader read back from /dev/mtd0 differs from the image written at " +
                          where + " (flash tool exit status 0)\n\nERROR\n");
            // The tool did flip that byte and wrote the rest.
            EXPECT_EQ(diff(boot(gw), expect), std::vector<uint32_t>{at});
        }
    }
}

// The restore, test-mode and ROM-D commands in a simulated gateway: command
// words as tables with what they print and what reached the store and the
// flash tool.
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../../flashlib/test/fwimage.h"
#include "flashlib.h"
#include "gw.h"
#include "simtest.h"

using namespace gwtest;

namespace {

const std::string kOK = "\nOK\n";
const std::string kError = "\nERROR\n";
constexpr uint32_t kLastBlock = 0x7E0000; // last erase block of "wylinux"
constexpr uint32_t kBlock = 0x10000;

// The store's front end replaced by one that records its call and fails the
// verbs named in /tmp/wyapi.fail (one per line).
void record_store(const simtest::Gateway &gw)
{
    replace_program(gw, "/userfs/bin/wyapi",
                    "echo \"wyapi $*\" >> \"$WY_SYSROOT/../calls.log\"\n"
                    "grep -qx \"$1\" \"$WY_SYSROOT/tmp/wyapi.fail\" 2>/dev/null && exit 1\n"
                    "exit 0\n");
}

// The store's calls, in order.
std::vector<std::string> store_calls(const simtest::Gateway &gw)
{
    std::vector<std::string> out;
    for (const std::string &c : gw.calls())
        if (c.rfind("wyapi ", 0) == 0)
            out.push_back(c);
    return out;
}

// The last erase block with `data` ending where the trailer `text` begins.
Bytes romd_block(const Bytes &data, const std::string &text)
{
    Bytes b(kBlock, 0xFF);
    std::string t = text;
    t.resize(ROMD_TRAILER_SIZE, '\0');
    std::copy(t.begin(), t.end(), b.end() - ROMD_TRAILER_SIZE);
    std::copy(data.begin(), data.end(), b.end() - ROMD_TRAILER_SIZE - long(data.size()));
    return b;
}

Bytes romd_of(const Bytes &data) { return romd_block(data, "<romd len=" + std::to_string(data.size()) + ">"); }

std::string hex8(uint32_t v)
{
    char s[9];
    std::snprintf(s, sizeof s, "%08x", v);
    return s;
}

const std::string kSet2 = "wyapi set System_Entry reboot_type 2";
const std::string kSet4 = "wyapi set System_Entry reboot_type 4";
const std::string kCommit = "wyapi commit System_Entry";

} // namespace

TEST(Restore, ParameterToRequest)
{
    struct Case {
        std::vector<std::string> params;
        std::vector<std::string> calls; // empty: refused
    };
    const std::vector<std::string> two = {kSet2, kCommit}, four = {kSet4, kCommit}, none;
    const std::vector<Case> cases = {
        {{}, two},           {{"1"}, two},         {{"0x1"}, two},      {{"01"}, two},
        {{"0"}, four},       {{"00"}, four},       {{"0x0"}, four},     {{"0x00000000"}, four},
        {{"2"}, none},       {{"F"}, none},        {{"0xf"}, none},
        // Not a number: never a restore of type 4.
        {{"zz"}, none},      {{"o"}, none},        {{""}, none},        {{"0x"}, none},
        {{"0X1"}, none},     {{"1z"}, none},       {{" 1"}, none},      {{"-1"}, none},
        // Would wrap to 0 in 32 bits.
        {{"100000000"}, none}, {{"10"}, none},
        {{"1", "1"}, none},
    };
    simtest::Gateway gw;
    record_store(gw);
    for (const Case &c : cases) {
        std::vector<std::string> words = {"ATRestoredefault"};
        words.insert(words.end(), c.params.begin(), c.params.end());
        const size_t before = store_calls(gw).size();
        const std::string what = c.params.empty() ? "(none)" : "\"" + c.params[0] + "\"";
        EXPECT_EQ(wyci(gw, words), c.calls.empty() ? kError : kOK) << what;
        const std::vector<std::string> calls = store_calls(gw);
        EXPECT_EQ(std::vector<std::string>(calls.begin() + long(before), calls.end()), c.calls) << what;
    }
}

TEST(Restore, NoCommitWhenTheRequestWasNotSet)
{
    simtest::Gateway gw;
    record_store(gw);
    gw.write_file("/tmp/wyapi.fail", "set\n");
    EXPECT_EQ(wyci(gw, {"ATRestoredefault", "0"}), kError);
    EXPECT_EQ(store_calls(gw), std::vector<std::string>{kSet4});
    // A commit the store refuses is no success either.
    gw.write_file("/tmp/wyapi.fail", "commit\n");
    EXPECT_EQ(wyci(gw, {"ATRestoredefault"}), kError);
    EXPECT_EQ(store_calls(gw), (std::vector<std::string>{kSet4, kSet2, kCommit}));
}

TEST(TestModes, FlagFiles)
{
    struct Case {
        std::vector<std::string> words;
        std::string out;
        const char *file;
        std::string flag; // "" : the file stays absent
    };
    const std::vector<Case> cases = {
        {{"ATButtonTest", "1"}, kOK, "/tmp/hw_debug", "\x01"},
        {{"ATButtonTest", "5"}, kOK, "/tmp/hw_debug", std::string(1, '\0')},
        {{"ATButtonTest", "01"}, kOK, "/tmp/hw_debug", "\x01"},
        {{"ATButtonTest", "on"}, kOK, "/tmp/hw_debug", std::string(1, '\0')},
        {{"ATButtonTest"}, kError, "/tmp/hw_debug", ""},
        {{"ATButtonTest", "1", "1"}, kError, "/tmp/hw_debug", ""},
        {{"ATLedTest"}, kOK, "/tmp/led_debug", "\x01"},
        {{"ATLedTest", "0"}, kOK, "/tmp/led_debug", "\x01"},
    };
    for (const Case &c : cases) {
        simtest::Gateway gw;
        EXPECT_EQ(wyci(gw, c.words), c.out) << c.words.size() << " " << c.words.back();
        if (c.flag.empty())
            EXPECT_FALSE(gw.exists(c.file)) << c.words.back();
        else
            EXPECT_EQ(gw.read_file(c.file), c.flag) << c.words.back();
        const bool led = c.words[0] == "ATLedTest";
        EXPECT_EQ(gw.calls(), led ? std::vector<std::string>{"ifconfig ra0 up"} : std::vector<std::string>{});
    }
}

// A flag that was not stored is never reported as stored.
TEST(TestModes, FlagNotStoredIsAnError)
{
    struct Case {
        const char *what;
        std::string setup; // shell, in the device
        std::string out;
    };
    const std::vector<Case> cases = {
        {"file is a directory", "mkdir \"$WY_SYSROOT/tmp/hw_debug\" \"$WY_SYSROOT/tmp/led_debug\"",
         "Open file error!!\n" + kError},
        {"disk full", "ln -s /dev/full \"$WY_SYSROOT/tmp/hw_debug\"; ln -s /dev/full \"$WY_SYSROOT/tmp/led_debug\"",
         "Write file error!!\n" + kError},
    };
    for (const Case &c : cases) {
        simtest::Gateway gw;
        ASSERT_EQ(gw.run({"sh", "-c", c.setup}).status, 0) << c.what;
        EXPECT_EQ(wyci(gw, {"ATButtonTest", "1"}), c.out) << c.what;
        EXPECT_EQ(wyci(gw, {"ATLedTest"}), c.out) << c.what;
        EXPECT_EQ(gw.calls(), std::vector<std::string>{}) << c.what; // no ifconfig either
    }
}

TEST(Romd, WordsThatAreRefused)
{
    simtest::Gateway gw;
    record_store(gw);
    const std::vector<std::vector<std::string>> refused = {
        {"erase"},         {"erase", "romt"},         {"romd"},
        {"romd", "show"},  {"romd", "show", "bin"},   {"romd", "Show", "crc"},
        {"copy", "romt"},  {"copy", "romt", "romdx"}, {"copy", "romd", "romt"},
    };
    for (const auto &w : refused)
        EXPECT_EQ(wyci(gw, w), kError) << w.size() << " " << w.back();
    EXPECT_EQ(gw.calls(), std::vector<std::string>{});
}

TEST(Romd, CopyHandsTheRunningConfigurationToTheStore)
{
    const std::vector<std::string> upload = {
        "wyapi set WebCurSet_Entry UploadFileType 3",
        "wyapi set WebCurSet_Entry UploadReboot 0",
        "wyapi set System_Entry upgrade_fw 1",
        kCommit,
    };
    const std::string running = fwimage::rom_text(2000);
    struct Case {
        const char *what;
        bool has_running;
        std::string fail; // verbs the store refuses
        std::string out;
        size_t calls; // how many of `upload` were made
    };
    const std::vector<Case> cases = {
        {"copied and uploaded", true, "", kOK, 4},
        {"no running configuration", false, "", "Copy /tmp/var/romfile.cfg to /var/tmp/up_romfile.cfg fail!\n" + kError,
         0},
        {"store refuses a set", true, "set\n", kError, 1},
        {"store refuses the commit", true, "commit\n", kError, 4},
    };
    for (const Case &c : cases) {
        simtest::Gateway gw;
        record_store(gw);
        // A stale file of an earlier run never reaches the store.
        gw.write_file("/var/tmp/up_romfile.cfg", "stale");
        if (c.has_running)
            gw.write_file("/tmp/var/romfile.cfg", running);
        else
            std::filesystem::remove(gw.path("/tmp/var/romfile.cfg"));
        gw.write_file("/tmp/wyapi.fail", c.fail);
        EXPECT_EQ(wyci(gw, {"copy", "romt", "romd"}), c.out) << c.what;
        EXPECT_EQ(store_calls(gw), std::vector<std::string>(upload.begin(), upload.begin() + long(c.calls)))
            << c.what;
        if (c.has_running)
            EXPECT_EQ(gw.read_file("/var/tmp/up_romfile.cfg"), running) << c.what;
        else
            EXPECT_FALSE(gw.exists("/var/tmp/up_romfile.cfg")) << c.what;
    }
}

// Plain and compressed ROM-D of one text: one checksum, one dump.
TEST(Romd, PlainAndCompressedShowTheSameText)
{
    const std::string text = fwimage::rom_text(6000);
    const Bytes plain = fwimage::bytes(text + std::string(7, '\0'));
    const Bytes packed = fwimage::compressed_file(text);
    ASSERT_FALSE(packed.empty());
    ASSERT_LT(packed.size(), plain.size());
    const std::string crc = "ROM-D     Checksum   : " + hex8(fwimage::ref_crc(text)) + "\r\n";
    for (const Bytes &data : {plain, packed}) {
        simtest::Gateway gw;
        WY_SKIP_WITHOUT_MEMGETINFO(gw.path("/dev/mtd2"));
        gw.poke_flash(kLastBlock, romd_of(data));
        const std::string exist = "ROM-D exist! len = " + std::to_string(data.size()) + "\n";
        EXPECT_EQ(wyci(gw, {"romd", "show", "crc"}), exist + crc + kOK);
        gw.write_file("/tmp/romd.cfg", "older dump, longer than the text " + std::string(8000, 'x'));
        EXPECT_EQ(wyci(gw, {"romd", "show", "xml", "extra"}),
                  exist + "Please see /tmp/romd.cfg for ROM-D content.\n" + kOK);
        EXPECT_EQ(gw.read_file("/tmp/romd.cfg"), text);
    }
}

TEST(Romd, HostileTrailersAreNoRomd)
{
    const Bytes data = fwimage::bytes(fwimage::rom_text(900));
    struct Case {
        const char *what;
        Bytes block;
    };
    auto with = [&](const std::string &t) { return romd_block(data, t); };
    const std::vector<Case> cases = {
        {"erased", Bytes(kBlock, 0xFF)},
        {"no >", with("<romd len=900")},
        {"zero", with("<romd len=0>")},
        {"negative", with("<romd len=-900>")},
        {"one past the block", with("<romd len=65517>")},
        {"70000", with("<romd len=70000>")},
        {"no ROM text", romd_of(fwimage::bytes(std::string(900, 'x')))},
    };
    for (const Case &c : cases) {
        simtest::Gateway gw;
        WY_SKIP_WITHOUT_MEMGETINFO(gw.path("/dev/mtd2"));
        gw.poke_flash(kLastBlock, c.block);
        std::string out = wyci(gw, {"romd", "show", "crc"});
        const bool announced = std::string(c.what) == "no ROM text";
        EXPECT_EQ(out, std::string(announced ? "ROM-D exist! len = 900\nRead default configuration error!!\n" : "") +
                           "No ROM-D information.\n" + kOK)
            << c.what;
        gw.write_file("/tmp/romd.cfg", "old");
        out = wyci(gw, {"romd", "show", "xml"});
        EXPECT_EQ(out.substr(out.size() - 25), "Error dump ROM-D!\n" + kError) << c.what;
        EXPECT_EQ(gw.read_file("/tmp/romd.cfg"), "old") << c.what;
    }
}

TEST(Romd, EraseJudgedByTheFlash)
{
    struct Case {
        const char *what;
        std::string tool; // a flash tool that fails in its own way, or ""
        std::string out;
    };
    const std::vector<Case> cases = {
        {"erased", "", "Clear ROM-D success.\n" + kOK},
        {"tool fails", "exit 1\n", "Clear ROM-D fail!\n" + kError},
        // Reports success and does nothing: only the flash tells.
        {"tool lies", "exit 0\n", "Clear ROM-D fail!\n" + kError},
    };
    for (const Case &c : cases) {
        simtest::Gateway gw;
        gw.poke_flash(kLastBlock, romd_of(fwimage::bytes(fwimage::rom_text(900))));
        if (!c.tool.empty())
            replace_program(gw, "/userfs/bin/mtd", c.tool);
        EXPECT_EQ(wyci(gw, {"erase", "romd"}), c.out) << c.what;
        if (c.tool.empty()) {
            EXPECT_EQ(tool_calls(gw), std::vector<std::string>{"mtd -f erase romd"});
            EXPECT_EQ(gw.flash(kLastBlock, kBlock), Bytes(kBlock, 0xFF));
        }
    }
}

// A dump that could not be written in full leaves no file behind.
TEST(Romd, DumpCutShortIsRemoved)
{
    simtest::Gateway gw;
    WY_SKIP_WITHOUT_MEMGETINFO(gw.path("/dev/mtd2"));
    const std::string text = fwimage::rom_text(6000);
    gw.poke_flash(kLastBlock, romd_of(fwimage::bytes(text)));
    gw.write_file("/tmp/romd.cfg", "older dump");
    // Files may grow to 512 bytes; the signal is ignored so that write() fails.
    simtest::RunResult r = gw.run({"sh", "-c", "trap '' XFSZ; ulimit -f 1; exec wyci romd show xml"});
    EXPECT_EQ(r.out, "ROM-D exist! len = " + std::to_string(text.size()) +
                         "\nWrite romd conten fail!\nError dump ROM-D!\n" + kError);
    EXPECT_FALSE(gw.exists("/tmp/romd.cfg"));
}

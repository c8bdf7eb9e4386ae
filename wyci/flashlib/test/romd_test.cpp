// ROM-D: the trailer and the block as pure functions, and the image file that
// carries ROM-D along through an upgrade.
#include "flashlib.h"
#include "fwimage.h"
#include "wytest/temproot.h"

#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "wytest/capture.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;
using namespace fwimage;

namespace {

// The 20 trailer bytes: `text`, then NUL bytes.
std::string trailer(const std::string &text)
{
    std::string t = text;
    t.resize(ROMD_TRAILER_SIZE, '\0');
    return t;
}

// A last erase block of `erase` bytes: 0xFF, then `data` ending where the
// trailer `text` begins.
Bytes last_block(uint32_t erase, const Bytes &data, const std::string &text)
{
    Bytes b(erase, 0xFF);
    std::string t = trailer(text);
    std::memcpy(b.data() + erase - ROMD_TRAILER_SIZE, t.data(), ROMD_TRAILER_SIZE);
    if (!data.empty() && data.size() + ROMD_TRAILER_SIZE <= erase)
        std::memcpy(b.data() + erase - ROMD_TRAILER_SIZE - data.size(), data.data(), data.size());
    return b;
}

std::string announce(size_t n) { return "<romd len=" + std::to_string(n) + ">"; }

} // namespace

TEST(RomdTrailer, LengthFromTheTwentyBytesOnly)
{
    struct Case {
        const char *what;
        std::string text; // padded with NUL bytes to 20
        int len;
    };
    const Case cases[] = {
        {"900", "<romd len=900>", 900},
        {"leading zeros", "<romd len=000000900>", 900},
        {"blank and plus sign", "<romd len= +77>", 77},
        {"digits end the number", "<romd len=12x4>", 12},
        {"marker later in the window", "ab<romd len=5>", 5},
        {"the limit", "<romd len=65536>", 65536},
        {"one past the limit", "<romd len=65537>", 0},
        {"70000", "<romd len=70000>", 0},
        {"zero", "<romd len=0>", 0},
        {"negative", "<romd len=-5>", 0},
        {"no digits", "<romd len=>", 0},
        {"no >", "<romd len=900", 0},
        {"nine digits, > as the last byte", "<romd len=123456789>", 0},
        {"no marker", "<ROMD LEN=900>", 0},
        {"marker cut by the window", "1234567890123<romd l", 0},
        {"empty", "", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(vr_romd_length(trailer(c.text).c_str()), c.len) << c.what;

    // A ">" or a marker just past the 20 bytes is never seen.
    const std::string over = "<romd len=0000000009>";
    EXPECT_EQ(vr_romd_length(over.c_str()), 0);
    const std::string late = std::string(11, ' ') + "<romd len=5>";
    EXPECT_EQ(vr_romd_length(late.c_str()), 0);
}

TEST(RomdTrailer, BlockLengthWithinTheEraseBlock)
{
    struct Case {
        const char *what;
        uint32_t erase;
        std::string text;
        int len;
    };
    const Case cases[] = {
        {"data and trailer fill the block", 1020, announce(1000), 1000},
        {"one byte more than the block holds", 1020, announce(1001), 0},
        {"64 KiB block, largest that fits", 65536, announce(65516), 65516},
        {"64 KiB block, one past", 65536, announce(65517), 0},
        {"larger block, 64 KiB of data", 0x20000, announce(65536), 65536},
        {"larger block, one past 64 KiB", 0x20000, announce(65537), 0},
        {"block of the trailer alone", 20, announce(1), 0},
        {"erased", 4096, "", 0},
    };
    for (const Case &c : cases) {
        Bytes b = last_block(c.erase, {}, c.text);
        if (c.text.empty())
            std::fill(b.begin(), b.end(), 0xFF);
        EXPECT_EQ(vr_romdBlockLength(b.data(), c.erase), c.len) << c.what;
    }
    // Too small to hold a trailer: the bytes are not even looked at.
    const Bytes tiny = bytes(trailer(announce(1)));
    EXPECT_EQ(vr_romdBlockLength(tiny.data(), ROMD_TRAILER_SIZE - 1), 0);
}

namespace {

// A partition of 4 blocks of 4 KiB; ROM-D of 900 bytes in the last one.
constexpr uint32_t kErase = 4096;
constexpr uint32_t kPart = 4 * kErase;
constexpr uint32_t kRomd = 900;
constexpr uint32_t kRomdAt = kPart - ROMD_TRAILER_SIZE - kRomd;

class Fit : public wytest::RootTest {
protected:
    void SetUp() override
    {
        wytest::RootTest::SetUp();
        romd_ = pattern(kRomd, 7);
        block_ = last_block(kErase, romd_, announce(kRomd));
    }
    Bytes file() const
    {
        std::string s = get("/tmp/fw.bin");
        return Bytes(s.begin(), s.end());
    }
    void put_file(const Bytes &b) const { put("/tmp/fw.bin", std::string(b.begin(), b.end())); }
    int fit(uint32_t &len, uint32_t offset, uint32_t part = kPart, uint32_t erase = kErase)
    {
        CaptureStdout();
        int rc = vr_fitImageWithRomd("/tmp/fw.bin", &len, offset, part, block_.data(), erase);
        out_ = GetCapturedStdout();
        return rc;
    }

    Bytes romd_, block_;
    std::string out_;
};

} // namespace

TEST_F(Fit, ImageLengthsAgainstTheLastBlock)
{
    struct Case {
        const char *what;
        uint32_t offset; // header bytes in front of the image
        uint32_t len;
        int rc;
        bool extended;
    };
    const Case cases[] = {
        {"ends before the last block", 0, kPart - kErase, 1, false},
        {"ends inside the last block", 0, kPart - kErase + 10, 1, true},
        {"ends where ROM-D begins", 0, kRomdAt, 1, true},
        {"overlaps ROM-D by one byte", 0, kRomdAt + 1, 0, false},
        {"as long as the partition", 0, kPart, 0, false},
        {"behind a 64-byte header", 64, kPart - kErase + 100, 1, true},
        {"length near 2^32", 0, 0xFFFFFFF0u, 0, false},
        {"length that wraps with ROM-D", 0, 0xFFFFFFFFu - kRomd - 10, 0, false},
    };
    for (const Case &c : cases) {
        const uint32_t stored = c.len > kPart ? 100 : c.len;
        const Bytes image = pattern(c.offset + stored, c.len);
        put_file(image);
        uint32_t len = c.len;
        EXPECT_EQ(fit(len, c.offset), c.rc) << c.what;
        EXPECT_EQ(out_, "") << c.what;
        if (!c.extended) {
            EXPECT_EQ(len, c.len) << c.what;
            EXPECT_EQ(file(), image) << c.what;
            continue;
        }
        EXPECT_EQ(len, kPart) << c.what;
        Bytes expect = image;
        expect.resize(c.offset + kRomdAt, 0xFF);
        expect.insert(expect.end(), romd_.begin(), romd_.end());
        const std::string t = trailer(announce(kRomd));
        expect.insert(expect.end(), t.begin(), t.end());
        EXPECT_EQ(file(), expect) << c.what;
    }
}

TEST_F(Fit, NoRomdLeavesTheFileAlone)
{
    const Bytes image = pattern(kPart - 10, 3);
    for (const std::string &t : {std::string(""), std::string("<romd len=0>"), announce(kErase)}) {
        block_ = last_block(kErase, {}, t);
        put_file(image);
        uint32_t len = kPart - 10;
        EXPECT_EQ(fit(len, 0), 1) << t;
        EXPECT_EQ(len, kPart - 10u) << t;
        EXPECT_EQ(file(), image) << t;
    }
}

TEST_F(Fit, RefusedGeometryAndFile)
{
    const uint32_t in_last = kPart - kErase + 10;
    put_file(pattern(in_last, 4));
    uint32_t len = in_last;
    EXPECT_EQ(fit(len, 0, kPart, 19), 0);
    EXPECT_EQ(out_, "isFwFitInWithRomd: erase size 19 of wylinux (16384 bytes) refused\n");
    EXPECT_EQ(fit(len, 0, kErase - 1, kErase), 0);
    EXPECT_EQ(out_, "isFwFitInWithRomd: erase size 4096 of wylinux (4095 bytes) refused\n");

    std::filesystem::remove(path("/tmp/fw.bin"));
    EXPECT_EQ(fit(len, 0), 0);
    EXPECT_EQ(out_, "Error: fopen error.\n");
    EXPECT_FALSE(exists("/tmp/fw.bin"));
    EXPECT_EQ(len, in_last);
}

// A write that fails half-way leaves the file as it was: an image without its
// ROM-D must never be taken for one that carries it.
TEST_F(Fit, FailedWriteCutsTheFileBack)
{
    const Bytes image = pattern(kPart - kErase + 10, 5);
    put_file(image);
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = kPart - 500;
    void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    uint32_t len = uint32_t(image.size());
    int rc = fit(len, 0);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, old_handler);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out_, "Error: writing ROM-D into /tmp/fw.bin failed\n");
    EXPECT_EQ(len, image.size());
    EXPECT_EQ(file(), image);
}

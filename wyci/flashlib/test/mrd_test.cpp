#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "flashlib.h"
#include "wytest/temproot.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;

namespace {

// A plain file as /dev/mtd0 and a flash tool script that copies the image over
// it, as the real tool does for "write FILE bootloader". The tool records its
// arguments so a test can tell whether it ran.
class MrdFiles : public wytest::RootTest {
protected:
    void SetUp() override
    {
        wytest::RootTest::SetUp();
        boot_.resize(BOOT_IMAGE_SIZE);
        for (size_t i = 0; i < boot_.size(); ++i)
            boot_[i] = static_cast<char>((i * 131 + 17) % 251);
        put("/dev/mtd0", boot_);
        tool("cp \"$3\" \"$WY_SYSROOT/dev/mtd0\"\n");
    }
    void tool(const std::string &action) const
    {
        script("/userfs/bin/mtd", "echo \"$@\" >> \"$WY_SYSROOT/tmp/tool.log\"\n" + action);
    }
    std::string tool_log() const { return exists("/tmp/tool.log") ? get("/tmp/tool.log") : ""; }
    static std::string record(char fill)
    {
        std::string r(MRD_SIZE, fill);
        r[0] = 'R';
        r[MRD_SIZE - 1] = 'E';
        return r;
    }
    int write(const std::string &rec) const
    {
        return MRDwrite(reinterpret_cast<const unsigned char *>(rec.data()));
    }

    std::string boot_;
};

} // namespace

TEST_F(MrdFiles, ReadTakesTheRecordAtItsOffset)
{
    unsigned char buf[MRD_SIZE];
    ASSERT_EQ(MRDread(buf), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), MRD_SIZE), boot_.substr(MRD_OFFSET, MRD_SIZE));
}

TEST_F(MrdFiles, ReadFailures)
{
    unsigned char buf[MRD_SIZE];
    put("/dev/mtd0", boot_.substr(0, MRD_OFFSET + MRD_SIZE - 1));
    CaptureStdout();
    EXPECT_EQ(MRDread(buf), 0);
    EXPECT_EQ(GetCapturedStdout(), "read mtd device (MRD) error!!\n");
    std::filesystem::remove(path("/dev/mtd0"));
    CaptureStdout();
    EXPECT_EQ(MRDread(buf), 0);
    EXPECT_EQ(GetCapturedStdout(), "open mtd device (MRD) error!!\n");
}

TEST_F(MrdFiles, WriteChangesOnlyTheRecord)
{
    const std::string rec = record('m');
    CaptureStdout();
    EXPECT_EQ(write(rec), 1);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(tool_log(), "-f write " + path("/tmp/boot.bin") + " bootloader\n");
    std::string expect = boot_;
    expect.replace(MRD_OFFSET, MRD_SIZE, rec);
    const std::string flash = get("/dev/mtd0");
    ASSERT_EQ(flash.size(), expect.size());
    for (size_t i = 0; i < flash.size(); ++i)
        ASSERT_EQ(flash[i], expect[i]) << "byte 0x" << std::hex << i;
    EXPECT_EQ(get("/tmp/boot.bin"), expect); // the image stays in place
}

TEST_F(MrdFiles, WriteReadFailures)
{
    put("/dev/mtd0", boot_.substr(0, BOOT_IMAGE_SIZE - 1));
    CaptureStdout();
    EXPECT_EQ(write(record('a')), 0);
    EXPECT_EQ(GetCapturedStdout(), "read mtd device (Bootloader) error!!\n");
    std::filesystem::remove(path("/dev/mtd0"));
    CaptureStdout();
    EXPECT_EQ(write(record('a')), 0);
    EXPECT_EQ(GetCapturedStdout(), "open mtd device (MRD) error!!\n");
    EXPECT_EQ(tool_log(), "");
}

// The tool must never see an image that did not reach /tmp/boot.bin whole.
TEST_F(MrdFiles, IncompleteImageIsNeverFlashed)
{
    struct Case {
        const char *what;
        const char *target; // what /tmp/boot.bin is made to be
        const char *printed;
    };
    const Case cases[] = {
        {"no /tmp", nullptr, "Open file error!!\n"},
        {"device full", "/dev/full",
         "MRDwrite: write of /tmp/boot.bin failed (No space left on device); bootloader not written\n"},
        {"bytes vanish", "/dev/null",
         "MRDwrite: /tmp/boot.bin holds 0 of 131072 bytes; bootloader not written\n"},
    };
    for (const Case &c : cases) {
        std::filesystem::remove_all(path("/tmp"));
        if (c.target) {
            std::filesystem::create_directories(path("/tmp"));
            link(c.target, "/tmp/boot.bin");
        }
        CaptureStdout();
        EXPECT_EQ(write(record('b')), 0) << c.what;
        EXPECT_EQ(GetCapturedStdout(), c.printed) << c.what;
        EXPECT_EQ(tool_log(), "") << c.what;
        EXPECT_FALSE(exists("/tmp/boot.bin")) << c.what;
        EXPECT_EQ(get("/dev/mtd0"), boot_) << c.what;
    }
}

// Success is what the flash holds afterwards, not what the tool says.
TEST_F(MrdFiles, ToolThatDidNotWriteIsAFailure)
{
    struct Case {
        const char *what;
        const char *action;
    };
    const Case cases[] = {
        {"fails", "exit 1\n"},
        {"succeeds without writing", "exit 0\n"},
        {"writes one byte off", "{ printf x; cat \"$3\"; } | head -c 131072 > \"$WY_SYSROOT/dev/mtd0\"\n"},
        {"writes a truncated image", "head -c 1000 \"$3\" > \"$WY_SYSROOT/dev/mtd0\"\n"},
    };
    for (const Case &c : cases) {
        put("/dev/mtd0", boot_);
        std::filesystem::remove(path("/tmp/tool.log"));
        tool(c.action);
        CaptureStdout();
        EXPECT_EQ(write(record('c')), 0) << c.what;
        std::string out = GetCapturedStdout();
        EXPECT_NE(out.find("MRDwrite: bootloader "), std::string::npos) << c.what << ": " << out;
        EXPECT_NE(tool_log(), "") << c.what;
    }
    put("/dev/mtd0", boot_);
    std::filesystem::remove(path("/userfs/bin/mtd"));
    CaptureStdout();
    EXPECT_EQ(write(record('d')), 0);
    EXPECT_NE(GetCapturedStdout().find("differs from the image written"), std::string::npos);
}

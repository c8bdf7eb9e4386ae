// The firmware tag, boot information, confidential marker and the validation
// of firmware images, against image files and stand-in MTD files.
#include "flashlib.h"
#include "fwimage.h"
#include "wytest/temproot.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <optional>

#include <gtest/gtest.h>

#include "wytest/capture.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;
using namespace fwimage;

namespace {

struct Result {
    int rc;
    std::string out;
};

class FwTag : public wytest::RootTest {
protected:
    // Validates `file` from the root's /tmp, as another component would.
    Result validate(const Bytes &file, uint32_t offset, uint32_t len, uint32_t part_size, const Bytes *record) const
    {
        put("/tmp/upload.bin", std::string(file.begin(), file.end()));
        int fd = open(path("/tmp/upload.bin").c_str(), O_RDONLY);
        EXPECT_GE(fd, 0);
        CaptureStdout();
        int rc = vr_fwValidateImage("wylinux", part_size, fd, offset, len, record ? record->data() : nullptr);
        std::string out = GetCapturedStdout();
        close(fd);
        return {rc, out};
    }
};

// The lines printed once all three checksums are known.
std::string diagnostics(const Bytes &file, uint32_t at, uint32_t len, std::optional<std::array<uint32_t, 3>> cal)
{
    Bytes tag(file.begin() + at, file.begin() + at + FW_TAG_SIZE);
    uint32_t k = get_be32(tag, FWTAG_KERNEL_CHKSUM), r = get_be32(tag, FWTAG_ROOTFS_CHKSUM),
             d = get_be32(tag, FWTAG_DEFCFG_CHKSUM);
    std::array<uint32_t, 3> c = cal ? *cal : std::array<uint32_t, 3>{k, r, d};
    std::string chip(reinterpret_cast<const char *>(tag.data()) + FWTAG_CHIP_ID, FWTAG_CHIP_ID_LEN);
    chip = chip.substr(0, chip.find('\0'));
    char buf[1024];
    snprintf(buf, sizeof buf,
             "pTag->kernelChksum = %08x\npTag->rootfsChksum = %08x\npTag->defcfgChksum = %08x\n"
             "cal kernelChksum = %08x\ncal rootfsChksum = %08x\ncal defcfgChksum = %08x\n\n"
             "pTag->modelId = %08x\npTag->chipId = %s\nlen = %08x\n",
             k, r, d, c[0], c[1], c[2], get_be32(tag, FWTAG_MODEL_ID), chip.c_str(), len);
    return buf;
}

const char kBad[] = "Illegal image! Image Checksum failed.\n";

} // namespace

TEST_F(FwTag, ValidationOfBuiltImages)
{
    const Bytes record = mrd();
    const Bytes good = build({});
    const uint32_t rootfs_at = get_be32(good, FWTAG_ROOTFS_START) - FW_FLASH_BASE;

    Bytes header64 = pattern(64, 9);
    header64.insert(header64.end(), good.begin(), good.end());

    Bytes damaged = good;
    damaged[rootfs_at + 100] ^= 0x01;
    const Bytes rootfs_damaged(damaged.begin() + rootfs_at, damaged.begin() + rootfs_at + 140000);

    ImageSpec layout;
    layout.chip = "WYSOC2";
    const Bytes other_chip = build(layout);
    layout = {};
    layout.chip = "WYSOC1-extended"; // the record holds its first 8 characters
    const Bytes long_chip = build(layout);
    layout.chip = std::string(FWTAG_CHIP_ID_LEN, 'X'); // no NUL in the field
    const Bytes full_chip = build(layout);
    layout = {};
    layout.model = 0x00010002;
    const Bytes other_model = build(layout);

    // A default configuration that compresses far better than 5:1.
    std::string repetitive = "<ROMFILE>\n";
    while (repetitive.size() < 150000)
        repetitive += "<Wan_PVC0 Active=\"Yes\" VPI=\"0\" VCI=\"35\"/>\n";
    repetitive += "</ROMFILE>";
    layout = {};
    layout.defcfg = compressed_file(repetitive);
    layout.defcfg_text = repetitive;
    ASSERT_LT(layout.defcfg.size() * 5, repetitive.size());
    const Bytes five_to_one = build(layout);

    // Bytes after the end tag are not part of a compressed text's checksum.
    const std::string text = rom_text(5000);
    layout = {};
    layout.defcfg = compressed_file(text + "\ntrailing bytes");
    layout.defcfg_text = text;
    const Bytes text_only = build(layout);

    // A header claiming more stream than the section holds.
    layout.defcfg = compressed_file(text);
    std::snprintf(reinterpret_cast<char *>(layout.defcfg.data()), CFG_COMPRESSED_HEADER_SIZE, "%s60000>",
                  CFG_COMPRESSED_TAG);
    const Bytes header_past_section = build(layout);

    // Shorter than a header: plain bytes, checksummed as they are.
    layout = {};
    layout.defcfg = bytes("<compressed len=5>");
    const Bytes short_section = build(layout);

    // A header length of 0 is an empty text.
    layout.defcfg = Bytes(CFG_COMPRESSED_HEADER_SIZE + 10, 'z');
    std::snprintf(reinterpret_cast<char *>(layout.defcfg.data()), CFG_COMPRESSED_HEADER_SIZE, "%s0>",
                  CFG_COMPRESSED_TAG);
    layout.defcfg_text = "";
    const Bytes zero_header = build(layout);

    // Pieces of 64 KiB: exactly one, one and one byte; an empty section.
    layout = {};
    layout.kernel = pattern(65536, 3);
    layout.rootfs = pattern(65537, 4);
    layout.defcfg = {};
    const Bytes piece_edges = build(layout);

    auto with = [&](int field, uint32_t v) {
        Bytes b = good;
        put_be32(b, field, v);
        return b;
    };
    const uint32_t rootfs_start = get_be32(good, FWTAG_ROOTFS_START);
    Bytes erased = good;
    std::fill(erased.begin(), erased.begin() + kTagArea, 0xFF);
    const Bytes truncated(good.begin(), good.end() - 10);

    const uint32_t n = uint32_t(good.size());
    struct Case {
        const char *what;
        const Bytes &file;
        uint32_t offset;
        uint32_t part_size;
        const Bytes &record;
        int rc;
        bool diag;
        std::optional<std::array<uint32_t, 3>> cal;
        std::string verdict;
        uint32_t len = 0; // 0: the file's length after the offset
    };
    const Bytes mrd_long = mrd(0x00010001, "WYSOC1-e");
    const Bytes mrd_x = mrd(0x00010001, std::string(8, 'X'));
    const Case cases[] = {
        {"good image", good, 0, n, record, 1, true, {}, ""},
        {"partition just large enough", good, 0, n, record, 1, true, {}, ""},
        {"behind a 64-byte header", header64, 64, n, record, 1, true, {}, ""},
        {"one damaged section", damaged, 0, n, record, 0, true,
         std::array<uint32_t, 3>{get_be32(good, FWTAG_KERNEL_CHKSUM), ref_crc(rootfs_damaged),
                                 get_be32(good, FWTAG_DEFCFG_CHKSUM)},
         kBad},
        {"too big for the partition", good, 0, n - 1, record, 0, false, {},
         "Upload image too big for partition: wylinux\n"},
        {"chip mismatch", other_chip, 0, n, record, 0, true, {}, "Illegal image! chipID failed.\n"},
        {"tag chip longer than 8", long_chip, 0, n, mrd_long, 0, true, {}, "Illegal image! chipID failed.\n"},
        {"tag chip fills its field", full_chip, 0, n, mrd_x, 0, true, {}, "Illegal image! chipID failed.\n"},
        {"model mismatch", other_model, 0, n, record, 0, true, {}, "Illegal image! modelID failed.\n"},
        {"default configuration better than 5:1", five_to_one, 0, 0x7C0000, record, 1, true, {}, ""},
        {"compressed: ROM text only", text_only, 0, 0x7C0000, record, 1, true, {}, ""},
        {"header length past the section", header_past_section, 0, 0x7C0000, record, 1, true, {}, ""},
        {"section shorter than a header", short_section, 0, 0x7C0000, record, 1, true, {}, ""},
        {"header length 0", zero_header, 0, 0x7C0000, record, 1, true, {}, ""},
        {"64 KiB piece edges, empty section", piece_edges, 0, 0x7C0000, record, 1, true, {}, ""},
        {"start below the flash base", with(FWTAG_KERNEL_START, FW_FLASH_BASE - 1), 0, n, record, 0, false, {}, kBad},
        {"length one past the end", with(FWTAG_DEFCFG_LEN, get_be32(good, FWTAG_DEFCFG_LEN) + 1), 0, n, record, 0,
         false, {}, kBad},
        {"length of 4 GiB", with(FWTAG_DEFCFG_LEN, 0xFFFFFFFFu), 0, n, record, 0, false, {}, kBad},
        {"start wrapping into the image", with(FWTAG_ROOTFS_START, 0xFFFFFFF0u), 0, n, record, 0, false, {}, kBad},
        {"start + length wrapping in 32 bits", with(FWTAG_ROOTFS_LEN, 0u - (rootfs_start - FW_FLASH_BASE) + 16), 0,
         n, record, 0, false, {}, kBad},
        {"erased tag", erased, 0, n, record, 0, false, {}, kBad},
        {"image shorter than its length", truncated, 0, n, record, 0, false, {},
         "Error: vr_readFdtoBuf read function fail.\n", n},
    };
    for (const Case &c : cases) {
        uint32_t len = c.len ? c.len : uint32_t(c.file.size() - c.offset);
        Result r = validate(c.file, c.offset, len, c.part_size, &c.record);
        EXPECT_EQ(r.rc, c.rc) << c.what << "\n" << r.out;
        std::string want = (c.diag ? diagnostics(c.file, c.offset, len, c.cal) : "") + c.verdict;
        EXPECT_EQ(r.out, want) << c.what;
    }
}

TEST_F(FwTag, ValidationReadsTheRecordFromFlashWhenNotGiven)
{
    const Bytes good = build({});
    const uint32_t n = uint32_t(good.size());
    Result r = validate(good, 0, n, n, nullptr);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, diagnostics(good, 0, n, {}) + "open mtd device (MRD) error!!\nFail to get MRD information!\n");

    Bytes boot(BOOT_IMAGE_SIZE, 0xA5);
    const Bytes record = mrd();
    std::copy(record.begin(), record.end(), boot.begin() + MRD_OFFSET);
    put("/dev/mtd0", std::string(boot.begin(), boot.end()));
    r = validate(good, 0, n, n, nullptr);
    EXPECT_EQ(r.rc, 1) << r.out;
}

TEST_F(FwTag, TagIsReadOnceAndKept)
{
    put("/proc/mtd", "dev:    size   erasesize  name\nmtd2: 007c0000 00010000 \"wylinux\"\n");
    unsigned char tag[FW_TAG_SIZE];
    CaptureStdout();
    EXPECT_EQ(vr_getFWtag(tag), 0);
    EXPECT_EQ(GetCapturedStdout(), "Could not open mtd device: wylinux\n");

    put("/dev/mtd2", std::string(FW_TAG_SIZE - 1, 'x'));
    CaptureStdout();
    EXPECT_EQ(vr_getFWtag(tag), 0);
    EXPECT_EQ(GetCapturedStdout(), "read mtd device (VrFW tag) error!!\n");

    const Bytes image = build({});
    put("/dev/mtd2", std::string(image.begin(), image.end()));
    ASSERT_EQ(vr_getFWtag(tag), 1);
    EXPECT_EQ(Bytes(tag, tag + FW_TAG_SIZE), Bytes(image.begin(), image.begin() + FW_TAG_SIZE));

    // The kept copy answers; the flash is not read again.
    put("/dev/mtd2", std::string(FW_TAG_SIZE, '\xFF'));
    unsigned char again[FW_TAG_SIZE] = {};
    CaptureStdout();
    EXPECT_EQ(vr_getFWtag(again), 1);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(Bytes(again, again + FW_TAG_SIZE), Bytes(image.begin(), image.begin() + FW_TAG_SIZE));
}

TEST_F(FwTag, ErasedTagTextsStayInTheirFields)
{
    const Bytes erased(FW_TAG_SIZE, 0xFF);
    char out[64];
    EXPECT_EQ(vr_getFieldText(erased.data() + FWTAG_CHIP_ID, FWTAG_CHIP_ID_LEN, out, sizeof out),
              size_t(FWTAG_CHIP_ID_LEN));
    EXPECT_EQ(std::string(out), std::string(FWTAG_CHIP_ID_LEN, '\xFF'));
    EXPECT_EQ(vr_getFieldText(erased.data() + FWTAG_FW_VERSION, FWTAG_FW_VERSION_LEN, out, 8), size_t(32));
    EXPECT_EQ(std::string(out), std::string(7, '\xFF'));
    const Bytes named = bytes(std::string("1.0.3\0junk", 10));
    EXPECT_EQ(vr_getFieldText(named.data(), named.size(), out, sizeof out), size_t(5));
    EXPECT_EQ(std::string(out), "1.0.3");
}

TEST_F(FwTag, BootInformation)
{
    put("/proc/mtd", "dev:    size   erasesize  name\nmtd0: 00020000 00010000 \"bootloader\"\n");
    struct Case {
        std::array<uint8_t, 7> info; // bytes 0 to 6
        const char *version;
        const char *date;
    };
    const Case cases[] = {
        {{0x01, 0x02, 0x00, 0x12, 0x05, 0x20, 0x16}, "V1.02", "12/5/2016"},
        {{0x01, 0x02, 0x00, 0x12, 0x05, 0x20, 0x05}, "V1.02", "12/5/2005"},
        {{0x10, 0x1A, 0x00, 0x31, 0x12, 0x19, 0x99}, "V10.01", "31/12/1999"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "V0.00", "0/0/0"},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "V0.00", "0/0/0"},
    };
    for (const Case &c : cases) {
        Bytes boot(BOOT_IMAGE_SIZE, 0x5A);
        std::copy(c.info.begin(), c.info.end(), boot.begin() + BOOT_INFO_OFFSET);
        put("/dev/mtd0", std::string(boot.begin(), boot.end()));
        char version[16] = "?", date[24] = "?";
        EXPECT_EQ(vr_getBootInfo(version, date), 1);
        EXPECT_STREQ(version, c.version);
        EXPECT_STREQ(date, c.date);
    }
    put("/dev/mtd0", std::string(BOOT_INFO_OFFSET + BOOT_INFO_SIZE - 1, 'b'));
    char version[16], date[24];
    CaptureStdout();
    EXPECT_EQ(vr_getBootInfo(version, date), 0);
    EXPECT_EQ(GetCapturedStdout(), "read mtd device (MRD) error!!\n");
    std::filesystem::remove(path("/dev/mtd0"));
    CaptureStdout();
    EXPECT_EQ(vr_getBootInfo(version, date), 0);
    EXPECT_EQ(GetCapturedStdout(), "Could not open mtd device: bootloader\n");
}

TEST(FwMarker, ConfidentialFirmware)
{
    struct Case {
        std::array<uint8_t, 4> head;
        int rc;
    };
    const Case cases[] = {
        {{0x04, 0xD0, 0xFC, 0x9C}, 1},
        {{0x04, 0xD0, 0xFC, 0x9D}, 0},
        {{0x9C, 0xFC, 0xD0, 0x04}, 0}, // the word in the other byte order
        {{0xFF, 0xFF, 0xFF, 0xFF}, 0},
    };
    for (const Case &c : cases) {
        CaptureStdout();
        EXPECT_EQ(isConfidentialFw(c.head.data()), c.rc);
        EXPECT_EQ(GetCapturedStdout(), c.rc ? "\n***** Vorna Confidential Firmware *****\n" : "");
    }
}

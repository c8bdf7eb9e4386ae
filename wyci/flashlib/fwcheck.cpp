// Validation of a firmware image against its tag and the manufacturing record.
#include "flashlib.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "fastlz_private.h"
#include "flashio.h"

namespace {

constexpr uint32_t kPiece = 65536;
constexpr char kChecksumFailed[] = "Illegal image! Image Checksum failed.\n";

struct Section {
    uint32_t start;
    uint32_t len;
};

Section section(const unsigned char *tag, int start_at, int len_at)
{
    return {vr_getBe32(tag + start_at), vr_getBe32(tag + len_at)};
}

// Inside the image: from the tag on, within `image_len` bytes. 64-bit sums,
// so no start or length can wrap around into the image.
bool inside(const Section &s, uint32_t image_len)
{
    return s.start >= FW_FLASH_BASE && uint64_t(s.start - FW_FLASH_BASE) + s.len <= image_len;
}

// `size` bytes read at file position `at` into a new buffer; nullptr after
// printing the reason.
wy::Heap<unsigned char> read_at(int fd, uint64_t at, uint32_t size)
{
    if (lseek(fd, off_t(at), SEEK_SET) == off_t(-1)) {
        printf("Error: %s read function fail.\n", "vr_readFdtoBuf");
        return nullptr;
    }
    return wy::Heap<unsigned char>(vr_readFdtoBuf(fd, int(size)));
}

// CRC-32 of a section read in pieces of at most 64 KiB.
bool section_crc(int fd, uint64_t at, uint32_t len, uint32_t &crc)
{
    crc = 0xFFFFFFFFu;
    while (len > 0) {
        uint32_t n = len > kPiece ? kPiece : len;
        wy::Heap<unsigned char> piece = read_at(fd, at, n);
        if (!piece)
            return false;
        crc = getCrc32Iterative(piece.get(), n, crc);
        at += n;
        len -= n;
    }
    return true;
}

// The default configuration's checksum: over the decoded ROM text when the
// section holds a compressed file, else over every byte.
bool defcfg_crc(int fd, uint64_t at, uint32_t len, uint32_t &crc)
{
    crc = 0xFFFFFFFFu;
    if (len == 0)
        return true;
    wy::Heap<unsigned char> sec = read_at(fd, at, len);
    if (!sec)
        return false;
    const char *text = reinterpret_cast<const char *>(sec.get());
    // A section shorter than the header cannot hold a compressed file.
    if (len < CFG_COMPRESSED_HEADER_SIZE || !isCompressedConfigFile(text)) {
        crc = crc32buf(sec.get(), len);
        return true;
    }
    uint32_t claimed = vr_getCompressedConfigFileLength(text);
    uint32_t avail = len - CFG_COMPRESSED_HEADER_SIZE;
    uint32_t given = claimed < avail ? claimed : avail;
    if (given == 0)
        return true;
    const char *stream = text + CFG_COMPRESSED_HEADER_SIZE;
    uint32_t capacity = cfg_decode_capacity(stream, given, given);
    wy::Heap<unsigned char> out(static_cast<unsigned char *>(calloc(capacity, 1)));
    if (!out) {
        printf("%s: fastlz calloc compressed buffer fail!\n", "vr_fwValidation");
        return false;
    }
    char *decoded = reinterpret_cast<char *>(out.get());
    uint32_t total = given;
    decompressCfgBufToBuf(stream, &total, decoded, capacity);
    crc = crc32buf(decoded, vr_getRealRom(decoded, total));
    return true;
}

// Texts compared as far as each goes: a longer tag text never matches.
bool same_text(const unsigned char *a, size_t a_size, const unsigned char *b, size_t b_size)
{
    char ta[FWTAG_CHIP_ID_LEN + 1];
    char tb[FWTAG_CHIP_ID_LEN + 1];
    size_t la = vr_getFieldText(a, a_size, ta, sizeof ta);
    size_t lb = vr_getFieldText(b, b_size, tb, sizeof tb);
    return la == lb && memcmp(ta, tb, la) == 0;
}

} // namespace

extern "C" int vr_fwValidateImage(const char *partition, uint32_t partSize, int fd, uint32_t offset, uint32_t len,
                                  const unsigned char *mrd)
{
    if (partSize < len) {
        printf("Upload image too big for partition: %s\n", partition);
        return 0;
    }
    wy::Heap<unsigned char> tag_buf = read_at(fd, offset, FW_TAG_READ_SIZE);
    if (!tag_buf)
        return 0;
    const unsigned char *tag = tag_buf.get();
    const Section kernel = section(tag, FWTAG_KERNEL_START, FWTAG_KERNEL_LEN);
    const Section rootfs = section(tag, FWTAG_ROOTFS_START, FWTAG_ROOTFS_LEN);
    const Section defcfg = section(tag, FWTAG_DEFCFG_START, FWTAG_DEFCFG_LEN);
    if (!inside(kernel, len) || !inside(rootfs, len) || !inside(defcfg, len)) {
        printf("%s", kChecksumFailed);
        return 0;
    }
    uint32_t kernel_crc, rootfs_crc, defcfg_crc_value;
    if (!section_crc(fd, uint64_t(offset) + (kernel.start - FW_FLASH_BASE), kernel.len, kernel_crc) ||
        !section_crc(fd, uint64_t(offset) + (rootfs.start - FW_FLASH_BASE), rootfs.len, rootfs_crc) ||
        !defcfg_crc(fd, uint64_t(offset) + (defcfg.start - FW_FLASH_BASE), defcfg.len, defcfg_crc_value))
        return 0;

    const uint32_t kernel_stored = vr_getBe32(tag + FWTAG_KERNEL_CHKSUM);
    const uint32_t rootfs_stored = vr_getBe32(tag + FWTAG_ROOTFS_CHKSUM);
    const uint32_t defcfg_stored = vr_getBe32(tag + FWTAG_DEFCFG_CHKSUM);
    char chip[FWTAG_CHIP_ID_LEN + 1];
    vr_getFieldText(tag + FWTAG_CHIP_ID, FWTAG_CHIP_ID_LEN, chip, sizeof chip);
    printf("pTag->kernelChksum = %08x\n", unsigned(kernel_stored));
    printf("pTag->rootfsChksum = %08x\n", unsigned(rootfs_stored));
    printf("pTag->defcfgChksum = %08x\n", unsigned(defcfg_stored));
    printf("cal kernelChksum = %08x\n", unsigned(kernel_crc));
    printf("cal rootfsChksum = %08x\n", unsigned(rootfs_crc));
    printf("cal defcfgChksum = %08x\n", unsigned(defcfg_crc_value));
    printf("\n");
    printf("pTag->modelId = %08x\n", unsigned(vr_getBe32(tag + FWTAG_MODEL_ID)));
    printf("pTag->chipId = %s\n", chip);
    printf("len = %08x\n", unsigned(len));
    if (kernel_crc != kernel_stored || rootfs_crc != rootfs_stored || defcfg_crc_value != defcfg_stored) {
        printf("%s", kChecksumFailed);
        return 0;
    }

    unsigned char record[MRD_SIZE];
    if (!mrd) {
        if (!MRDread(record)) {
            printf("Fail to get MRD information!\n");
            return 0;
        }
        mrd = record;
    }
    if (vr_getBe32(tag + FWTAG_MODEL_ID) != vr_getBe32(mrd + MRD_MODEL_ID)) {
        printf("Illegal image! modelID failed.\n");
        return 0;
    }
    if (!same_text(tag + FWTAG_CHIP_ID, FWTAG_CHIP_ID_LEN, mrd + MRD_CHIP_ID, MRD_CHIP_ID_LEN)) {
        printf("Illegal image! chipID failed.\n");
        return 0;
    }
    return 1;
}

extern "C" int vr_fwValidation(const char *partition, int fd, uint32_t offset, uint32_t len)
{
    int size = vr_mtd_size(partition);
    if (size <= 0)
        return 0;
    return vr_fwValidateImage(partition, uint32_t(size), fd, offset, len, nullptr);
}

#include "fwpaths.h"

#include "flashlib.h"
#include "owners.h"
#include "sysroot.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace fwpath {

int fail(const std::string &msg)
{
    std::fprintf(stderr, "fwpath: %s\n", msg.c_str());
    return 1;
}

std::string device(const char *p)
{
    char out[PATH_MAX];
    return wy_path(out, sizeof out, p) ? out : "";
}

bool read_file(const std::string &path, size_t max, std::string &out)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    out.assign(max + 1, '\0');
    size_t n = std::fread(out.data(), 1, out.size(), f);
    bool ok = !std::ferror(f) && n <= max;
    std::fclose(f);
    out.resize(n);
    return ok;
}

namespace {

constexpr char kRunning[] = "/tmp/var/romfile.cfg";
constexpr char kRunningBoot[] = "/tmp/var/romfile.cfg.boot";
constexpr char kMinimal[] = "<ROMFILE>\n</ROMFILE>\n";
constexpr size_t kRunningMax = 1 << 20;

using Heap = wy::Heap<char>;

void put_be32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Durable and whole: a reader sees the old file or the new one.
bool replace_file(const std::string &path, const std::string &tmp, const std::string &data)
{
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = write(fd, data.data(), data.size()) == ssize_t(data.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

// The compressed file of `text`, padded with zero bytes so that even a short
// text leaves the in-place encoder room for its header and block overhead.
bool compress_text(const std::string &text, Bytes &file)
{
    uint32_t len = uint32_t(text.size() + text.size() / 16 + 1024);
    file.assign(len, 0);
    std::memcpy(file.data(), text.data(), text.size());
    if (vr_configFileLzEncoder(reinterpret_cast<char *>(file.data()), &len) != 0)
        return false;
    file.resize(CFG_COMPRESSED_HEADER_SIZE + len);
    return true;
}

// The ROM text of the firmware's default-configuration section, or "".
std::string firmware_default()
{
    unsigned char tag[FW_TAG_SIZE];
    if (!vr_getFWtag(tag))
        return "";
    uint32_t start = vr_getBe32(tag + FWTAG_DEFCFG_START), len = vr_getBe32(tag + FWTAG_DEFCFG_LEN);
    int size = vr_mtd_size("wylinux");
    if (start < FW_FLASH_BASE || size <= 0 || uint64_t(start - FW_FLASH_BASE) + len > uint64_t(size))
        return "";
    int fd = vr_open_mtd("wylinux", O_RDONLY);
    if (fd < 0)
        return "";
    // The decoder wants a heap buffer of at least 64 KiB.
    Heap buf(static_cast<char *>(std::calloc(len > ROMFILE_BLOCK_SIZE ? len : ROMFILE_BLOCK_SIZE, 1)));
    bool ok = buf && pread(fd, buf.get(), len, off_t(start - FW_FLASH_BASE)) == ssize_t(len);
    close(fd);
    if (!ok)
        return "";
    uint32_t limit = len;
    if (len >= CFG_COMPRESSED_HEADER_SIZE && isCompressedConfigFile(buf.get())) {
        char *p = buf.release();
        int rc = vr_configFileLzDecoder(&p, &limit);
        buf.reset(p);
        if (rc != 0)
            return "";
    }
    uint32_t text_len = vr_getRealRom(buf.get(), limit);
    return std::string(buf.get(), text_len);
}

} // namespace

bool compressed_file(const std::string &text, Bytes &file) { return compress_text(text, file); }

std::string firmware_default_text() { return firmware_default(); }

bool replace_running(const std::string &text)
{
    return replace_file(device(kRunning), device(kRunningBoot), text);
}

std::string default_config_text()
{
    return "<ROMFILE>\n"
           "<System_Entry reboot_type=\"\" upgrade_fw=\"0\"/>\n"
           "<DeviceInfo_Entry FwVer=\"1.0.0\"/>\n"
           "</ROMFILE>\n";
}

Bytes config_block(const std::string &text, uint32_t version, std::string &error)
{
    Bytes file;
    if (!compress_text(text, file) || file.size() > ROMFILE_TRAILER_OFFSET) {
        error = "configuration does not fit a copy";
        return {};
    }
    file.resize(ROMFILE_BLOCK_SIZE, 0);
    uint32_t text_len = vr_getRealRom(text.c_str(), uint32_t(text.size()));
    put_be32(file.data() + ROMFILE_TRAILER_OFFSET, crc32buf(text.data(), text_len));
    put_be32(file.data() + ROMFILE_TRAILER_OFFSET + 4, version);
    return file;
}

Bytes firmware_image(uint32_t model_id, const std::string &chip_id, const std::string &defcfg_text)
{
    constexpr uint32_t kTagArea = 256;
    constexpr uint32_t kKernelLen = 96 * 1024;
    constexpr uint32_t kRootfsLen = 160 * 1024;
    Bytes defcfg;
    compress_text(defcfg_text, defcfg);
    Bytes img(kTagArea + kKernelLen + kRootfsLen, 0);
    // Filler that is neither erased flash nor one repeated byte.
    uint32_t x = 0x2545F491u;
    for (uint32_t i = kTagArea; i < img.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        img[i] = uint8_t(x);
    }
    img.insert(img.end(), defcfg.begin(), defcfg.end());
    uint8_t *t = img.data();
    std::memcpy(t + FWTAG_CHIP_ID, chip_id.data(), std::min<size_t>(chip_id.size(), FWTAG_CHIP_ID_LEN));
    std::memcpy(t + FWTAG_FW_VERSION, "1.0.0", 5);
    put_be32(t + FWTAG_MODEL_ID, model_id);
    put_be32(t + FWTAG_KERNEL_START, FW_FLASH_BASE + kTagArea);
    put_be32(t + FWTAG_KERNEL_LEN, kKernelLen);
    put_be32(t + FWTAG_KERNEL_CHKSUM, crc32buf(t + kTagArea, kKernelLen));
    put_be32(t + FWTAG_ROOTFS_START, FW_FLASH_BASE + kTagArea + kKernelLen);
    put_be32(t + FWTAG_ROOTFS_LEN, kRootfsLen);
    put_be32(t + FWTAG_ROOTFS_CHKSUM, crc32buf(t + kTagArea + kKernelLen, kRootfsLen));
    put_be32(t + FWTAG_DEFCFG_START, FW_FLASH_BASE + kTagArea + kKernelLen + kRootfsLen);
    put_be32(t + FWTAG_DEFCFG_LEN, uint32_t(defcfg.size()));
    uint32_t text_len = vr_getRealRom(defcfg_text.c_str(), uint32_t(defcfg_text.size()));
    put_be32(t + FWTAG_DEFCFG_CHKSUM, crc32buf(defcfg_text.data(), text_len));
    return img;
}

int save()
{
    std::string running;
    if (!read_file(device(kRunning), kRunningMax, running))
        return fail("cannot read the running configuration");
    uint32_t text_len = vr_getRealRom(running.c_str(), uint32_t(running.size()));
    if (text_len == 0)
        return fail("the running configuration holds no ROM text");
    const std::string text = running.substr(0, text_len);
    int target = get_write_romfile_index();
    if (target != 1 && target != 2)
        return fail("no copy to write");
    const char *partition = target == 1 ? "romfile" : "second_romfile";

    std::string padded = text;
    padded.resize(text.size() + text.size() / 16 + 1024, '\0');
    uint32_t len = uint32_t(padded.size());
    char file[32];
    if (!vr_compressCfgBufferToFile(file, padded.data(), &len))
        return fail("cannot compress the configuration");
    if (len + CFG_COMPRESSED_HEADER_SIZE > ROMFILE_TRAILER_OFFSET)
        return fail("the compressed configuration does not fit a copy");
    if (!updateRomfileChecksumAndVersion(file, target))
        return fail("cannot stamp the configuration image");

    const std::string line = std::string("/userfs/bin/mtd -f write ") + file + " " + partition;
    std::fflush(stdout);
    wy_system(line.c_str()); // judged by reading the copy back
    uint32_t calc, stored, ver;
    if (!getRomfileChecksumAndVersion(partition, &calc, &stored, &ver) || calc != stored ||
        calc != crc32buf(text.data(), text.size()))
        return fail(std::string("the copy in ") + partition + " does not hold the configuration saved");
    std::fprintf(stderr, "fwpath: configuration saved to %s, version %u\n", partition, unsigned(ver));
    return 0;
}

int boot()
{
    std::string text, from;
    int index = get_read_romfile_index();
    if (index == 1 || index == 2) {
        const char *partition = index == 1 ? "romfile" : "second_romfile";
        char *block = nullptr;
        uint32_t text_len = 0;
        romfile_state st{};
        if (vr_readRomfileCopy(partition, &block, &text_len, &st)) {
            Heap owner(block);
            // The choice read the copy a moment ago; read now, it must still agree.
            if (text_len > 0 && st.calc == st.stored) {
                text.assign(block, text_len);
                from = std::string(partition) + ", version " + std::to_string(st.version);
            }
        }
    }
    if (text.empty()) {
        text = firmware_default();
        from = "the firmware's default configuration";
    }
    if (text.empty()) {
        text = kMinimal;
        from = "an empty configuration";
    }
    if (text.back() != '\n')
        text += '\n';
    if (!replace_file(device(kRunning), device(kRunningBoot), text))
        return fail(std::string("cannot write ") + kRunning + ": " + std::strerror(errno));
    std::fprintf(stderr, "fwpath: configuration loaded from %s\n", from.c_str());
    return 0;
}

int upgrade(const char *image)
{
    // Command lines run through the system root arrive with it in front.
    const char *root = wy_sysroot();
    size_t root_len = root ? std::strlen(root) : 0;
    if (root_len > 0 && std::strncmp(image, root, root_len) == 0 && image[root_len] == '/')
        image += root_len;
    const std::string path = image[0] == '/' ? device(image) : image;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(std::string("cannot open ") + image);
    struct stat st {};
    bool sized = fstat(fd, &st) == 0 && st.st_size > 0 && st.st_size <= INT32_MAX;
    int valid = sized && vr_fwValidation("wylinux", fd, 0, uint32_t(st.st_size));
    close(fd);
    if (!valid)
        return fail(std::string("firmware image ") + image + " refused");
    // An image reaching into the last erase block carries ROM-D along.
    uint32_t len = uint32_t(st.st_size);
    if (!isFwFitInWithRomd(image, &len, 0))
        return fail(std::string("firmware image ") + image + " and ROM-D do not fit together");
    const std::string line = std::string("/userfs/bin/mtd -f write ") + image + " wylinux";
    std::fflush(stdout);
    wy_system(line.c_str());
    std::string want, got;
    int dev = vr_open_mtd("wylinux", O_RDONLY);
    bool same = dev >= 0 && read_file(path, len, want) && want.size() == len;
    if (same) {
        got.assign(want.size(), '\0');
        same = pread(dev, got.data(), got.size(), 0) == ssize_t(got.size()) && got == want;
    }
    if (dev >= 0)
        close(dev);
    if (!same)
        return fail("wylinux does not hold the image written");
    std::fprintf(stderr, "fwpath: firmware written\n");
    return 0;
}

} // namespace fwpath

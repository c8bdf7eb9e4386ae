// The firmware's ROM-D paths that the simulator plays: the store's upload of a
// configuration file into ROM-D, and the restore to the default configuration.
#include "fwpaths.h"

#include "flashlib.h"
#include "sysroot.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace fwpath {
namespace {

constexpr char kBlockFile[] = "/tmp/romd_upload.bin";
constexpr size_t kFileMax = 1 << 20;

bool write_file(const std::string &path, const Bytes &data)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = write(fd, data.data(), data.size()) == ssize_t(data.size());
    return close(fd) == 0 && ok;
}

} // namespace

Bytes romd_block(const Bytes &data, uint32_t erase)
{
    if (data.empty() || data.size() > ROMD_MAX_LEN || erase < ROMD_TRAILER_SIZE ||
        data.size() > erase - ROMD_TRAILER_SIZE)
        return {};
    Bytes block(erase, 0xFF);
    char trailer[ROMD_TRAILER_SIZE + 1] = {};
    std::snprintf(trailer, sizeof trailer, "%s%zu>", ROMD_TRAILER_TAG, data.size());
    std::memcpy(block.data() + erase - ROMD_TRAILER_SIZE, trailer, ROMD_TRAILER_SIZE);
    std::memcpy(block.data() + erase - ROMD_TRAILER_SIZE - data.size(), data.data(), data.size());
    return block;
}

int upload_romd(const char *file)
{
    // Command lines run through the system root arrive with it in front.
    const char *root = wy_sysroot();
    size_t root_len = root ? std::strlen(root) : 0;
    if (root_len > 0 && std::strncmp(file, root, root_len) == 0 && file[root_len] == '/')
        file += root_len;
    std::string content;
    const std::string path = file[0] == '/' ? device(file) : file;
    if (!read_file(path, kFileMax, content))
        return fail(std::string("cannot read ") + file);
    uint32_t text_len = vr_getRealRom(content.c_str(), uint32_t(content.size()));
    if (text_len == 0)
        return fail(std::string(file) + " holds no ROM text");
    const std::string text = content.substr(0, text_len);
    Bytes packed;
    if (!compressed_file(text, packed))
        return fail("cannot compress the configuration");
    int erase = vr_mtd_size("romd");
    Bytes block = erase > 0 ? romd_block(packed, uint32_t(erase)) : Bytes();
    if (block.empty())
        return fail("the configuration does not fit the ROM-D block");
    const std::string tmp = device(kBlockFile);
    if (!write_file(tmp, block))
        return fail(std::string("cannot write ") + kBlockFile);
    const std::string line = std::string("/userfs/bin/mtd -f write ") + kBlockFile + " romd";
    std::fflush(stdout);
    wy_system(line.c_str()); // judged by reading ROM-D back
    unlink(tmp.c_str());
    if (vr_getRomdChksum() != crc32buf(text.data(), text.size()))
        return fail("ROM-D does not hold the configuration uploaded");
    std::fprintf(stderr, "fwpath: configuration written to ROM-D\n");
    return 0;
}

std::string default_text()
{
    // ROM-D, where a unit carries one, is the default it is restored to.
    std::string text;
    if (isRomdExist()) {
        // The decoder wants a heap buffer of at least 64 KiB.
        char *buf = static_cast<char *>(std::calloc(ROMD_MAX_LEN, 1));
        uint32_t len = ROMD_MAX_LEN;
        bool ok = buf && vr_getRomdBuf(reinterpret_cast<unsigned char *>(buf));
        if (ok && isCompressedConfigFile(buf))
            ok = vr_configFileLzDecoder(&buf, &len) == 0;
        if (ok)
            text.assign(buf, vr_getRealRom(buf, len));
        std::free(buf);
    }
    if (text.empty())
        text = firmware_default_text();
    return text;
}

int restore()
{
    std::string text = default_text();
    if (text.empty())
        return fail("no default configuration to restore");
    if (text.back() != '\n')
        text += '\n';
    if (!replace_running(text))
        return fail("cannot write the running configuration: " + std::string(std::strerror(errno)));
    std::fprintf(stderr, "fwpath: default configuration restored\n");
    return 0;
}

} // namespace fwpath

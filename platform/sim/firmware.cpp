#include "firmware.h"

#include "fwpaths.h"
#include "layout.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace gwsim {
namespace {

const Partition &partition(const char *name)
{
    for (const Partition &p : kPartitions)
        if (std::strcmp(p.name, name) == 0)
            return p;
    return kPartitions[0];
}

bool read_limited(const std::string &path, size_t limit, std::vector<uint8_t> &out, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (out.size() > limit) {
        error = path + " is larger than its partition (" + std::to_string(limit) + " bytes)";
        return false;
    }
    return true;
}

// The library reports its compression on standard output; gwsim's own
// output stays quiet.
class QuietStdout {
public:
    QuietStdout()
    {
        std::fflush(stdout);
        saved_ = dup(1);
        int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            dup2(null, 1);
            close(null);
        }
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        if (saved_ >= 0) {
            dup2(saved_, 1);
            close(saved_);
        }
    }
    QuietStdout(const QuietStdout &) = delete;
    QuietStdout &operator=(const QuietStdout &) = delete;

private:
    int saved_;
};

bool put(const FlashImage &image, const char *name, const std::vector<uint8_t> &bytes, std::string &error)
{
    return image.poke(partition(name).offset, bytes, error);
}

} // namespace

bool flash_contents(const Profile &profile, const CreateOptions &opt, FlashContents &out, std::string &error)
{
    QuietStdout quiet;
    // ROM-D, the last block of "wylinux", stays erased: no firmware reaches it.
    const uint32_t firmware_room = partition("wylinux").size - partition("romd").size;
    if (opt.firmware_file.empty())
        out.firmware = fwpath::firmware_image(profile.model_id, profile.chip_id, fwpath::default_config_text());
    else if (!read_limited(opt.firmware_file, firmware_room, out.firmware, error))
        return false;
    if (opt.romfile_file.empty()) {
        out.romfile = fwpath::config_block(fwpath::default_config_text(), 0, error);
        if (out.romfile.empty())
            return false;
    } else if (!read_limited(opt.romfile_file, partition("romfile").size, out.romfile, error)) {
        return false;
    }
    return opt.second_romfile_file.empty() ||
           read_limited(opt.second_romfile_file, partition("second_romfile").size, out.second_romfile, error);
}

bool fill_flash(const FlashImage &image, const FlashContents &contents, std::string &error)
{
    return put(image, "wylinux", contents.firmware, error) && put(image, "romfile", contents.romfile, error) &&
           put(image, "second_romfile", contents.second_romfile, error);
}

bool boot_device(const DevicePaths &d)
{
    const std::string prog = d.root() + "/sbin/fwpath";
    if (access(prog.c_str(), X_OK) != 0)
        return true;
    pid_t pid = fork();
    if (pid < 0) {
        std::fprintf(stderr, "gwsim: fork: %s\n", std::strerror(errno));
        return false;
    }
    if (pid == 0) {
        int log = open(d.log().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (log < 0 || null < 0)
            _exit(126);
        dup2(null, 0);
        dup2(log, 1);
        dup2(log, 2);
        const std::string root = "WY_SYSROOT=" + d.root();
        const std::string path = "PATH=" + d.root() + "/userfs/bin:" + d.root() + "/sbin:" + d.root() +
                                 "/bin:/usr/bin:/bin";
        const char *envp[] = {root.c_str(), path.c_str(), nullptr};
        const char *argv[] = {prog.c_str(), "boot", nullptr};
        execve(prog.c_str(), const_cast<char **>(argv), const_cast<char **>(envp));
        _exit(127);
    }
    int st = 0;
    while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) {
        std::fprintf(stderr, "gwsim: the boot path failed; see %s\n", d.log().c_str());
        return false;
    }
    return true;
}

} // namespace gwsim

#include "simtest.h"

#include "cmdlog.h"
#include "flashimg.h"
#include "layout.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace simtest {
namespace {

void remove_tree(const std::string &dir)
{
    auto rm = [](const char *path, const struct stat *, int type, struct FTW *) {
        if (type == FTW_DP)
            rmdir(path);
        else
            unlink(path);
        return 0;
    };
    // FTW_MOUNT: never walk into a mount that failed to go away.
    nftw(dir.c_str(), rm, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

void write_all(const std::string &path, const std::string &bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
    if (!f.flush())
        throw std::runtime_error("cannot write " + path);
}

} // namespace

std::string Gateway::gwsim_path()
{
    if (const char *env = std::getenv("WY_GWSIM"); env && *env)
        return env;
    return WY_GWSIM_PATH;
}

RunResult Gateway::gwsim(const std::vector<std::string> &args) const
{
    std::vector<std::string> argv{gwsim_path()};
    argv.insert(argv.end(), args.begin(), args.end());
    return wytest::run(argv, "");
}

Gateway::Gateway(const std::string &profile)
{
    char tmpl[] = "/tmp/wysim.XXXXXX";
    if (!mkdtemp(tmpl))
        throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    dir_ = tmpl;
    // Marks the directory as ours: the daemon removes it if this process dies.
    write_all(dir_ + "/.temporary", "");
    write_all(dir_ + "/profile.txt", profile);
    const std::string gw = gwsim_path();
    RunResult c = wytest::run({gw, "create", dir_, "--profile", dir_ + "/profile.txt"}, "");
    RunResult s;
    if (c.status == 0)
        s = wytest::run({gw, "start", dir_, "--owner", std::to_string(getpid())}, "");
    if (c.status != 0 || s.status != 0) {
        std::string why = c.status != 0 ? "gwsim create: " + c.err : "gwsim start: " + s.err;
        wytest::run({gw, "stop", dir_}, "");
        remove_tree(dir_);
        throw std::runtime_error(why);
    }
}

Gateway::~Gateway()
{
    wytest::run({gwsim_path(), "stop", dir_}, "");
    remove_tree(dir_);
}

std::string Gateway::root() const { return dir_ + "/root"; }

std::string Gateway::path(const std::string &device_path) const { return root() + device_path; }

RunResult Gateway::run(const std::vector<std::string> &argv, const std::string &input) const
{
    std::vector<std::string> args{gwsim_path(), "run", dir_, "--"};
    args.insert(args.end(), argv.begin(), argv.end());
    return wytest::run(args, input);
}

std::vector<uint8_t> Gateway::flash(uint32_t offset, uint32_t length) const
{
    gwsim::FlashImage image;
    std::string error;
    if (!image.open(dir_ + "/flash.bin", false, error))
        throw std::runtime_error(error);
    if (offset > gwsim::kFlashSize || length > gwsim::kFlashSize - offset)
        throw std::out_of_range("flash range outside the 8 MiB image");
    std::vector<uint8_t> bytes(length);
    long n = image.read(offset, bytes);
    if (n != static_cast<long>(length))
        throw std::runtime_error("short read of the flash image");
    return bytes;
}

void Gateway::poke_flash(uint32_t offset, const std::vector<uint8_t> &bytes) const
{
    gwsim::FlashImage image;
    std::string error;
    if (!image.open(dir_ + "/flash.bin", true, error) || !image.poke(offset, bytes, error))
        throw std::runtime_error(error);
}

std::vector<std::string> Gateway::calls() const
{
    std::vector<std::string> lines;
    std::ifstream in(dir_ + "/calls.log");
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Gateway::cmd_lines() const
{
    std::ifstream in(dir_ + "/cmdnode.log", std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    std::vector<std::string> lines;
    if (!gwsim::cmdlog_parse(ss.str(), lines))
        throw std::runtime_error("malformed command node record in " + dir_);
    return lines;
}

void Gateway::cmd_node_refuses(const std::string &what) const
{
    const std::string flag = dir_ + "/cmdnode.refuse";
    if (what.empty()) {
        if (unlink(flag.c_str()) != 0 && errno != ENOENT)
            throw std::runtime_error("cannot remove " + flag);
        return;
    }
    if (what != "open" && what != "write")
        throw std::invalid_argument("the command node refuses \"open\" or \"write\"");
    write_all(flag, what);
}

std::string Gateway::read_file(const std::string &device_path) const
{
    std::ifstream in(path(device_path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path(device_path));
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Gateway::write_file(const std::string &device_path, const std::string &bytes) const
{
    // Some entries of root/bin are links to the host's own tools: replace the
    // link, never write through it.
    const std::string p = path(device_path);
    struct stat st {};
    if (lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && unlink(p.c_str()) != 0)
        throw std::runtime_error("cannot replace link " + p);
    write_all(p, bytes);
}

bool Gateway::exists(const std::string &device_path) const
{
    struct stat st {};
    return lstat(path(device_path).c_str(), &st) == 0;
}

} // namespace simtest

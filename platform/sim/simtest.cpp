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

// Runs argv with the caller's environment, feeding `input`, collecting output.
RunResult spawn(const std::vector<std::string> &argv, const std::string &input)
{
    RunResult r;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        std::vector<char *> args;
        for (const auto &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::fprintf(stderr, "exec %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // A command that ignores its input must not stop us with SIGPIPE.
    struct sigaction ign {}, old {};
    ign.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ign, &old);
    size_t written = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    int open_outputs = 2;
    while (open_outputs > 0 || in[1] >= 0) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                (i == 0 ? out[0] : err[0]) = -1;
                --open_outputs;
            }
        }
        if (in[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = write(in[1], input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<size_t>(n);
            if (n < 0 && errno != EINTR && errno != EAGAIN)
                written = input.size();
            if (written == input.size()) {
                close(in[1]);
                in[1] = -1;
            }
        }
    }
    sigaction(SIGPIPE, &old, nullptr);
    int st = 0;
    while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    r.status = WIFSIGNALED(st) ? 128 + WTERMSIG(st) : WEXITSTATUS(st);
    return r;
}

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
    return spawn(argv, "");
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
    RunResult c = spawn({gw, "create", dir_, "--profile", dir_ + "/profile.txt"}, "");
    RunResult s;
    if (c.status == 0)
        s = spawn({gw, "start", dir_, "--owner", std::to_string(getpid())}, "");
    if (c.status != 0 || s.status != 0) {
        std::string why = c.status != 0 ? "gwsim create: " + c.err : "gwsim start: " + s.err;
        spawn({gw, "stop", dir_}, "");
        remove_tree(dir_);
        throw std::runtime_error(why);
    }
}

Gateway::~Gateway()
{
    spawn({gwsim_path(), "stop", dir_}, "");
    remove_tree(dir_);
}

std::string Gateway::root() const { return dir_ + "/root"; }

std::string Gateway::path(const std::string &device_path) const { return root() + device_path; }

RunResult Gateway::run(const std::vector<std::string> &argv, const std::string &input) const
{
    std::vector<std::string> args{gwsim_path(), "run", dir_, "--"};
    args.insert(args.end(), argv.begin(), argv.end());
    return spawn(args, input);
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

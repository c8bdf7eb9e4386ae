#include "device.h"

#include "firmware.h"
#include "flashimg.h"
#include "profile.h"
#include "web.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <ftw.h>
#include <signal.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace gwsim {
namespace {

// Host tools linked into root/bin, so that command lines naming /bin/cp and
// the like (rewritten to ROOT/bin/cp) find them.
constexpr const char *kHostTools[] = {
    "sh", "cat", "cp", "rm", "mv", "ls", "echo", "mkdir", "rmdir", "chmod", "sleep", "true",
    "false", "dd", "od", "hexdump", "grep", "sed", "head", "tail", "wc", "touch", "test",
    "printf", "cmp", "kill", "ps"};

constexpr const char *kDefaultAdslInfo =
    "ADSL link status: up\n"
    "Modulation: G.992.5 (ADSL2+)\n"
    "Annex: A\n"
    "Near-end SNR margin: 9.5 dB\n"
    "Far-end SNR margin: 10.1 dB\n"
    "Near-end attenuation: 18.0 dB\n"
    "Far-end attenuation: 9.5 dB\n"
    "Downstream rate: 16000 kbps\n"
    "Upstream rate: 1024 kbps\n";

void say(const std::string &msg) { std::fprintf(stderr, "gwsim: %s\n", msg.c_str()); }

bool write_text(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

bool read_text(const std::string &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

bool safe_path(const std::string &p)
{
    for (char c : p)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '/' ||
              c == '-'))
            return false;
    return !p.empty() && p[0] == '/';
}

std::string unescape_mount(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            out += static_cast<char>(std::strtol(s.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Runs fusermount3 with `args`; true on exit status 0.
bool fusermount(const std::vector<const char *> &args)
{
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        std::vector<const char *> argv{"fusermount3"};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.push_back(nullptr);
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        execvp("fusermount3", const_cast<char **>(argv.data()));
        _exit(127);
    }
    int st = 0;
    while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(st) && WEXITSTATUS(st) == 0;
}

pid_t read_pid(const DevicePaths &d)
{
    std::string text;
    if (!read_text(d.pidfile(), text))
        return 0;
    long v = std::strtol(text.c_str(), nullptr, 10);
    return v > 0 && v < INT_MAX ? static_cast<pid_t>(v) : 0;
}

// Alive and not a zombie (a container's init may not reap).
bool alive(pid_t pid)
{
    std::string stat;
    if (pid <= 0 || !read_text("/proc/" + std::to_string(pid) + "/stat", stat))
        return false;
    size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z' &&
           stat[paren + 2] != 'X';
}

// The process is this device's daemon (guards against a reused pid).
bool is_our_daemon(pid_t pid, const DevicePaths &d)
{
    std::string cmdline;
    if (!alive(pid) || !read_text("/proc/" + std::to_string(pid) + "/cmdline", cmdline))
        return false;
    std::vector<std::string> args;
    std::string cur;
    for (char c : cmdline) {
        if (c == '\0') {
            args.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return args.size() >= 3 && args[1] == "serve" && args[2] == d.dir;
}

bool wait_gone(pid_t pid, std::chrono::milliseconds limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (alive(pid)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool mounts_answer(const DevicePaths &d)
{
    struct stat st {};
    return is_mounted(d.proc_mount()) && is_mounted(d.dev_mount()) &&
           stat((d.proc_mount() + "/wyci_cmd").c_str(), &st) == 0 &&
           stat((d.dev_mount() + "/mtd0").c_str(), &st) == 0;
}

// Kills a leftover daemon and unmounts whatever is still mounted.
void clean_stale(const DevicePaths &d)
{
    pid_t pid = read_pid(d);
    if (is_our_daemon(pid, d)) {
        kill(pid, SIGKILL);
        wait_gone(pid, std::chrono::seconds(5));
    }
    for (const auto &mp : {d.dev_mount(), d.proc_mount()})
        if (is_mounted(mp) && !unmount(mp))
            say("could not unmount " + mp);
    unlink(d.pidfile().c_str());
}

std::string find_host_tool(const char *name)
{
    for (const char *dir : {"/bin/", "/usr/bin/", "/sbin/", "/usr/sbin/"}) {
        std::string p = std::string(dir) + name;
        if (access(p.c_str(), X_OK) == 0)
            return p;
    }
    return "";
}

std::vector<std::string> default_fwroots()
{
    std::vector<std::string> roots;
    if (const char *env = std::getenv("WY_FWROOT"); env && *env) {
        std::string s = env;
        size_t start = 0;
        while (start <= s.size()) {
            size_t colon = s.find(':', start);
            if (colon == std::string::npos)
                colon = s.size();
            if (colon > start)
                roots.push_back(s.substr(start, colon - start));
            start = colon + 1;
        }
    }
    if (roots.empty())
        roots.push_back(self_dir() + "/../fwroot");
    return roots;
}

bool copy_tree(const std::string &from, const std::string &to)
{
    std::error_code ec;
    if (!fs::is_directory(from, ec)) {
        say("firmware tree " + from + " is not a directory (build the project first)");
        return false;
    }
    // Later trees override files of earlier ones, including host-tool links.
    for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        fs::path rel = fs::relative(it->path(), from, ec);
        fs::path dst = fs::path(to) / rel;
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::create_directories(dst, ec);
            continue;
        }
        if (fs::is_symlink(dst, ec) || fs::exists(dst, ec))
            fs::remove(dst, ec);
        fs::copy(it->path(), dst, fs::copy_options::copy_symlinks, ec);
        if (ec)
            break;
    }
    if (ec) {
        say("copying " + from + ": " + ec.message());
        return false;
    }
    return true;
}

} // namespace

std::string self_dir()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    buf[n] = '\0';
    return fs::path(buf).parent_path().string();
}

std::string device_dir(const std::string &dir)
{
    std::error_code ec;
    // Symlinks resolved: the kernel lists mount points by their real path.
    fs::path abs = fs::weakly_canonical(fs::absolute(dir, ec), ec).lexically_normal();
    std::string s = abs.string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    if (ec || !safe_path(s)) {
        say("device directory \"" + dir + "\" must be a path of [A-Za-z0-9._/-] only");
        return "";
    }
    return s;
}

bool is_mounted(const std::string &mountpoint)
{
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ss(line);
        std::string id, parent, devno, root, mp;
        ss >> id >> parent >> devno >> root >> mp;
        if (unescape_mount(mp) == mountpoint)
            return true;
    }
    return false;
}

bool unmount(const std::string &mp)
{
    if (umount2(mp.c_str(), 0) == 0 || fusermount({"-u", "-q", mp.c_str()}))
        return true;
    // Busy or unreachable: detach now; the kernel drops it when the last user lets go.
    return umount2(mp.c_str(), MNT_DETACH) == 0 || fusermount({"-u", "-z", "-q", mp.c_str()}) ||
           !is_mounted(mp);
}

bool remove_tree(const std::string &dir)
{
    auto rm = [](const char *path, const struct stat *, int type, struct FTW *) {
        if (type == FTW_DP)
            return rmdir(path) == 0 || errno == ENOENT ? 0 : -1;
        return unlink(path) == 0 || errno == ENOENT ? 0 : -1;
    };
    // FTW_MOUNT: never descend into a file system still mounted below dir.
    return nftw(dir.c_str(), rm, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT) == 0;
}

int create_device(const DevicePaths &d, const CreateOptions &opt)
{
    std::error_code ec;
    if (fs::exists(d.root(), ec)) {
        say(d.dir + " already holds a device (" + d.root() + " exists)");
        return 1;
    }
    Profile profile;
    if (!opt.profile_file.empty()) {
        std::string text, error;
        if (!read_text(opt.profile_file, text)) {
            say("cannot read profile " + opt.profile_file + ": " + std::strerror(errno));
            return 1;
        }
        if (!apply_profile(text, profile, error)) {
            say(opt.profile_file + ": " + error);
            return 1;
        }
    }
    FlashContents contents;
    std::string flash_error;
    if (!flash_contents(profile, opt, contents, flash_error)) {
        say(flash_error);
        return 1;
    }
    std::string table = opt.cmdtable_file.empty() ? self_dir() + "/../share/gwsim/cmdtable.txt"
                                                  : opt.cmdtable_file;
    std::string table_text;
    if (!read_text(table, table_text)) {
        say("cannot read the command table " + table);
        return 1;
    }
    const std::string r = d.root();
    for (const char *sub : {"tmp", "var/tmp", "tmp/var", "userfs/bin", "userfs/cgi-bin", "lib",
                            "sbin", "bin", "proc/wysoc", "dev"}) {
        fs::create_directories(r + "/" + sub, ec);
        if (ec) {
            say("cannot create " + r + "/" + sub + ": " + ec.message());
            return 1;
        }
    }
    for (const char *tool : kHostTools) {
        std::string host = find_host_tool(tool);
        if (!host.empty())
            fs::create_symlink(host, r + "/bin/" + tool, ec);
    }
    for (const auto &tree : opt.fwroots.empty() ? default_fwroots() : opt.fwroots)
        if (!copy_tree(tree, r))
            return 1;

    std::string error;
    FlashImage image;
    auto boot = bootloader_image(profile);
    if (!write_text(r + "/proc/mtd", proc_mtd_text()) || !write_text(d.cmdtable(), table_text) ||
        !write_text(d.adslinfo(), kDefaultAdslInfo) || !write_text(d.calls(), "") ||
        !create_erased_image(d.flash(), error) || !image.open(d.flash(), true, error) ||
        !image.poke(kPartitions[0].offset, boot, error) || !fill_flash(image, contents, error)) {
        say("cannot set up " + d.dir + (error.empty() ? "" : ": " + error));
        return 1;
    }
    return 0;
}

static bool is_device(const DevicePaths &d)
{
    struct stat st {};
    if (stat(d.flash().c_str(), &st) == 0 && stat(d.root().c_str(), &st) == 0)
        return true;
    say(d.dir + " is not a device directory (run gwsim create first)");
    return false;
}

int start_device(const DevicePaths &d, pid_t owner)
{
    if (!is_device(d))
        return 1;
    if (is_our_daemon(read_pid(d), d) && mounts_answer(d))
        return 0;
    clean_stale(d);

    std::string self = self_dir() + "/gwsim";
    std::string owner_text = std::to_string(owner);
    pid_t pid = fork();
    if (pid < 0) {
        say(std::string("fork: ") + std::strerror(errno));
        return 1;
    }
    if (pid == 0) {
        setsid();
        int null = open("/dev/null", O_RDONLY);
        int log = open(d.log().c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (null < 0 || log < 0)
            _exit(126);
        dup2(null, 0);
        dup2(log, 1);
        dup2(log, 2);
        closefrom(3);
        const char *argv[] = {self.c_str(), "serve", d.dir.c_str(),
                              owner > 0 ? "--owner" : nullptr, owner_text.c_str(), nullptr};
        execv(self.c_str(), const_cast<char **>(argv));
        _exit(127);
    }
    write_text(d.pidfile(), std::to_string(pid) + "\n");
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!mounts_answer(d)) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid ||
            std::chrono::steady_clock::now() > end) {
            std::string log;
            read_text(d.log(), log);
            say("the file system daemon did not come up; its log:\n" + log);
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            clean_stale(d);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Power on: the firmware loads its running configuration from flash.
    return boot_device(d) ? 0 : 1;
}

bool device_running(const DevicePaths &d)
{
    return is_our_daemon(read_pid(d), d) && mounts_answer(d);
}

int stop_device(const DevicePaths &d)
{
    // The web server goes with the gateway.
    bool ok = stop_web(d) == 0;
    pid_t pid = read_pid(d);
    bool ours = is_our_daemon(pid, d);
    for (const auto &mp : {d.dev_mount(), d.proc_mount()})
        if (is_mounted(mp) && !unmount(mp)) {
            say("could not unmount " + mp);
            ok = false;
        }
    // Both mounts gone ends the daemon's loops; give it a moment, then insist.
    if (ours && !wait_gone(pid, std::chrono::seconds(3))) {
        kill(pid, SIGTERM);
        if (!wait_gone(pid, std::chrono::seconds(2))) {
            kill(pid, SIGKILL);
            wait_gone(pid, std::chrono::seconds(2));
        }
    }
    for (const auto &mp : {d.dev_mount(), d.proc_mount()})
        if (is_mounted(mp) && !unmount(mp))
            ok = false;
    unlink(d.pidfile().c_str());
    return ok ? 0 : 1;
}

int run_in_device(const DevicePaths &d, const std::vector<std::string> &argv)
{
    // Without its mounts a command would meet no command node and no flash,
    // and a name the device does not shadow would be the host's own program.
    if (!is_device(d))
        return kRunRefused;
    if (!mounts_answer(d)) {
        say(d.dir + " is not started (run gwsim start " + d.dir + " first)");
        return kRunRefused;
    }
    const std::string path = d.root() + "/userfs/bin:" + d.root() + "/sbin:" + d.root() +
                             "/bin:/usr/bin:/bin";
    std::string cmd = argv[0];
    if (cmd.find('/') == std::string::npos) {
        std::string found;
        size_t start = 0;
        while (found.empty() && start < path.size()) {
            size_t colon = path.find(':', start);
            if (colon == std::string::npos)
                colon = path.size();
            std::string cand = path.substr(start, colon - start) + "/" + cmd;
            struct stat st {};
            if (stat(cand.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                access(cand.c_str(), X_OK) == 0)
                found = cand;
            start = colon + 1;
        }
        if (found.empty()) {
            say(cmd + ": command not found in the device");
            return 127;
        }
        cmd = found;
    }
    std::string env_root = "WY_SYSROOT=" + d.root();
    std::string env_path = "PATH=" + path;
    const char *envp[] = {env_root.c_str(), env_path.c_str(), nullptr};
    std::vector<const char *> args;
    for (const auto &a : argv)
        args.push_back(a.c_str());
    args.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0) {
        say(std::string("fork: ") + std::strerror(errno));
        return 126;
    }
    if (pid == 0) {
        execve(cmd.c_str(), const_cast<char **>(args.data()), const_cast<char **>(envp));
        std::fprintf(stderr, "gwsim: %s: %s\n", cmd.c_str(), std::strerror(errno));
        _exit(126);
    }
    // The child owns the terminal's signals; we only wait for it.
    signal(SIGINT, SIG_IGN);
    signal(SIGQUIT, SIG_IGN);
    int st = 0;
    while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(st))
        return 128 + WTERMSIG(st);
    return WEXITSTATUS(st);
}

} // namespace gwsim

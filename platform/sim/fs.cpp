// The simulated kernel's files: root/proc/wysoc (the command node and the ADSL
// information file) and root/dev (the MTD character devices over the flash
// image). One daemon process, one FUSE session per mount, each on its thread.
#define FUSE_USE_VERSION 35
#include <fuse3/fuse.h>

#include "cmdlog.h"
#include "cmdtable.h"
#include "device.h"
#include "flashimg.h"
#include "layout.h"
#include "web.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sys/ioctl.h>
#include <mtd/mtd-user.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sstream>
#include <sys/signalfd.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace gwsim {
namespace {

constexpr size_t kMaxLine = 4096;       // a command node write beyond this is refused
constexpr size_t kMaxAdslInfo = 65536;

bool read_file(const std::string &path, std::string &text);

// ---- /proc/wysoc ------------------------------------------------------------

struct ProcState {
    CmdTable table;
    std::string adslinfo_path;
    std::string cmdlog_path;
    std::string refuse_path;
    std::string last_line;  // the line last written, by any writer
};

enum class ProcNode { none, cmd, adslinfo };

struct NodeHandle {
    ProcNode node;
    std::string written;  // what this open file wrote so far
    std::string answer;   // what reads of this open file return
    bool answered = false;
    bool refuse_write = false;
    size_t recorded = 0;  // how much of `written` the record holds
};

ProcState &proc_state() { return *static_cast<ProcState *>(fuse_get_context()->private_data); }

ProcNode proc_node(const char *path)
{
    if (std::strcmp(path, "/wyci_cmd") == 0)
        return ProcNode::cmd;
    if (std::strcmp(path, "/wysupport_adslinfo") == 0)
        return ProcNode::adslinfo;
    return ProcNode::none;
}

NodeHandle *node_handle(fuse_file_info *fi) { return reinterpret_cast<NodeHandle *>(fi->fh); }

void fill_common(struct stat *st)
{
    st->st_uid = getuid();
    st->st_gid = getgid();
    st->st_nlink = 1;
}

int proc_getattr(const char *path, struct stat *st, fuse_file_info *)
{
    *st = {};
    fill_common(st);
    if (std::strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0555;
        st->st_nlink = 2;
        return 0;
    }
    switch (proc_node(path)) {
    case ProcNode::cmd:
        st->st_mode = S_IFREG | 0666;
        return 0;
    case ProcNode::adslinfo:
        st->st_mode = S_IFREG | 0444;
        return 0;
    default:
        return -ENOENT;
    }
}

int proc_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t, fuse_file_info *,
                 fuse_readdir_flags)
{
    if (std::strcmp(path, "/") != 0)
        return -ENOTDIR;
    for (const char *name : {".", "..", "wyci_cmd", "wysupport_adslinfo"})
        fill(buf, name, nullptr, 0, fuse_fill_dir_flags{});
    return 0;
}

// What a test asked the command node to refuse, looked up at every open.
CmdRefusal current_refusal()
{
    std::string text;
    if (!read_file(proc_state().refuse_path, text))
        return CmdRefusal::none;
    return cmd_refusal(text);
}

// Appends what this open file wrote to the record, once it is closed.
void record_line(NodeHandle *h)
{
    if (h->node != ProcNode::cmd || h->written.size() == h->recorded)
        return;
    h->recorded = h->written.size();
    std::string rec = cmdlog_escape(h->written) + "\n";
    FILE *f = std::fopen(proc_state().cmdlog_path.c_str(), "ab");
    bool ok = f && std::fwrite(rec.data(), 1, rec.size(), f) == rec.size();
    if (f && std::fclose(f) != 0)
        ok = false;
    if (!ok)
        std::fprintf(stderr, "gwsim: cannot record to %s\n", proc_state().cmdlog_path.c_str());
}

int proc_open(const char *path, fuse_file_info *fi)
{
    ProcNode node = proc_node(path);
    if (node == ProcNode::none)
        return -ENOENT;
    if (node == ProcNode::adslinfo && (fi->flags & O_ACCMODE) != O_RDONLY)
        return -EACCES;
    CmdRefusal refusal = node == ProcNode::cmd ? current_refusal() : CmdRefusal::none;
    if (refusal == CmdRefusal::open)
        return -EACCES;
    auto h = std::make_unique<NodeHandle>();
    h->node = node;
    h->refuse_write = refusal == CmdRefusal::write;
    if (node == ProcNode::adslinfo) {
        std::ifstream in(proc_state().adslinfo_path, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        h->answer = ss.str().substr(0, kMaxAdslInfo);
        h->answered = true;
    }
    // Answers are made per read, not cached by the kernel: sizes here are 0.
    fi->direct_io = 1;
    fi->fh = reinterpret_cast<uint64_t>(h.release());
    return 0;
}

int proc_read(const char *, char *buf, size_t size, off_t off, fuse_file_info *fi)
{
    NodeHandle *h = node_handle(fi);
    if (!h->answered) {
        // The slot belongs to the line last written before this file's first read.
        ProcState &s = proc_state();
        h->answer = std::to_string(slot_for_line(s.table, s.last_line)) + "\n";
        h->answered = true;
    }
    if (off < 0 || static_cast<size_t>(off) >= h->answer.size())
        return 0;
    size_t n = std::min(size, h->answer.size() - static_cast<size_t>(off));
    std::memcpy(buf, h->answer.data() + off, n);
    return static_cast<int>(n);
}

int proc_write(const char *, const char *buf, size_t size, off_t, fuse_file_info *fi)
{
    NodeHandle *h = node_handle(fi);
    if (h->node != ProcNode::cmd)
        return -EACCES;
    if (h->refuse_write)
        return -EIO;
    if (size > kMaxLine - h->written.size())
        return -EFBIG;
    h->written.append(buf, size);
    proc_state().last_line = h->written;
    return static_cast<int>(size);
}

int proc_truncate(const char *path, off_t, fuse_file_info *)
{
    // fopen(.., "w") truncates; the node has no contents to lose.
    return proc_node(path) == ProcNode::cmd ? 0 : -EACCES;
}

// Sent on every close() before it returns, so the record is complete when
// the writer's fclose() is.
int proc_flush(const char *, fuse_file_info *fi)
{
    record_line(node_handle(fi));
    return 0;
}

int proc_release(const char *, fuse_file_info *fi)
{
    record_line(node_handle(fi));
    delete node_handle(fi);
    return 0;
}

// ---- /dev ------------------------------------------------------------------

struct DevState {
    FlashImage image;
};

DevState &dev_state() { return *static_cast<DevState *>(fuse_get_context()->private_data); }

constexpr uint64_t kNullHandle = 1000;

// /mtdN -> N, /null -> kNullHandle, else -1.
long dev_node(const char *path)
{
    if (std::strcmp(path, "/null") == 0)
        return kNullHandle;
    if (std::strncmp(path, "/mtd", 4) == 0 && path[4] >= '0' && path[4] <= '9' && path[5] == '\0' &&
        static_cast<size_t>(path[4] - '0') < kPartitions.size())
        return path[4] - '0';
    return -1;
}

int dev_getattr(const char *path, struct stat *st, fuse_file_info *)
{
    *st = {};
    fill_common(st);
    if (std::strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
        return 0;
    }
    long n = dev_node(path);
    if (n < 0)
        return -ENOENT;
    if (n == static_cast<long>(kNullHandle)) {
        st->st_mode = S_IFREG | 0666;
        return 0;
    }
    st->st_mode = S_IFREG | 0444;
    st->st_size = kPartitions[n].size;
    return 0;
}

int dev_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t, fuse_file_info *,
                fuse_readdir_flags)
{
    if (std::strcmp(path, "/") != 0)
        return -ENOTDIR;
    fill(buf, ".", nullptr, 0, fuse_fill_dir_flags{});
    fill(buf, "..", nullptr, 0, fuse_fill_dir_flags{});
    for (size_t i = 0; i < kPartitions.size(); ++i)
        fill(buf, ("mtd" + std::to_string(i)).c_str(), nullptr, 0, fuse_fill_dir_flags{});
    fill(buf, "null", nullptr, 0, fuse_fill_dir_flags{});
    return 0;
}

int dev_open(const char *path, fuse_file_info *fi)
{
    long n = dev_node(path);
    if (n < 0)
        return -ENOENT;
    // Flash is written only by the flash tool.
    if (n != static_cast<long>(kNullHandle) && (fi->flags & O_ACCMODE) != O_RDONLY)
        return -EROFS;
    // No page cache: a read right after the flash tool returns sees its work.
    fi->direct_io = 1;
    fi->keep_cache = 0;
    fi->fh = static_cast<uint64_t>(n);
    return 0;
}

int dev_read(const char *, char *buf, size_t size, off_t off, fuse_file_info *fi)
{
    if (fi->fh == kNullHandle)
        return 0;
    const Partition &p = kPartitions[fi->fh];
    if (off < 0 || static_cast<uint64_t>(off) >= p.size)
        return 0;
    size_t n = std::min<size_t>(size, p.size - static_cast<uint32_t>(off));
    long r = dev_state().image.read(p.offset + static_cast<uint32_t>(off),
                                    {reinterpret_cast<uint8_t *>(buf), n});
    return static_cast<int>(r);
}

int dev_write(const char *, const char *, size_t size, off_t, fuse_file_info *fi)
{
    return fi->fh == kNullHandle ? static_cast<int>(size) : -EROFS;
}

int dev_truncate(const char *path, off_t, fuse_file_info *)
{
    return dev_node(path) == static_cast<long>(kNullHandle) ? 0 : -EROFS;
}

int dev_ioctl(const char *, unsigned int cmd, void *, fuse_file_info *fi, unsigned int flags,
              void *data)
{
    if (flags & FUSE_IOCTL_COMPAT)
        return -ENOSYS;
    if (fi->fh == kNullHandle || cmd != MEMGETINFO)
        return -ENOTTY;
    const Partition &p = kPartitions[fi->fh];
    mtd_info_user info{};
    info.type = MTD_NORFLASH;
    info.flags = MTD_CAP_NORFLASH;
    info.size = p.size;
    info.erasesize = kEraseSize;
    info.writesize = 1;
    info.oobsize = 0;
    std::memcpy(data, &info, sizeof info);
    return 0;
}

// The MEMGETINFO answer as text, for callers that cannot issue the ioctl
// (qemu-user does not translate MTD requests): "type=3 flags=3072 ...".
constexpr const char *kMtdInfoXattr = "user.gwsim.mtdinfo";

std::string mtd_info_text(const Partition &p)
{
    char text[128];
    std::snprintf(text, sizeof text, "type=%u flags=%u size=%u erasesize=%u writesize=1 oobsize=0",
                  static_cast<unsigned>(MTD_NORFLASH), static_cast<unsigned>(MTD_CAP_NORFLASH),
                  p.size, kEraseSize);
    return text;
}

int reply_xattr(const std::string &value, char *out, size_t size)
{
    if (size == 0)
        return static_cast<int>(value.size());
    if (size < value.size())
        return -ERANGE;
    std::memcpy(out, value.data(), value.size());
    return static_cast<int>(value.size());
}

int dev_getxattr(const char *path, const char *name, char *value, size_t size)
{
    long n = dev_node(path);
    if (n < 0)
        return -ENOENT;
    if (n == static_cast<long>(kNullHandle) || std::strcmp(name, kMtdInfoXattr) != 0)
        return -ENODATA;
    return reply_xattr(mtd_info_text(kPartitions[n]), value, size);
}

int dev_listxattr(const char *path, char *list, size_t size)
{
    long n = dev_node(path);
    if (n < 0)
        return -ENOENT;
    if (n == static_cast<long>(kNullHandle))
        return 0;
    return reply_xattr(std::string(kMtdInfoXattr) + '\0', list, size);
}

// ---- the daemon --------------------------------------------------------------

void *keep_private(fuse_conn_info *, fuse_config *cfg)
{
    cfg->kernel_cache = 0;
    cfg->direct_io = 1;
    return fuse_get_context()->private_data;
}

fuse_operations proc_ops()
{
    fuse_operations ops{};
    ops.init = keep_private;
    ops.getattr = proc_getattr;
    ops.readdir = proc_readdir;
    ops.open = proc_open;
    ops.read = proc_read;
    ops.write = proc_write;
    ops.truncate = proc_truncate;
    ops.flush = proc_flush;
    ops.release = proc_release;
    return ops;
}

fuse_operations dev_ops()
{
    fuse_operations ops{};
    ops.init = keep_private;
    ops.getattr = dev_getattr;
    ops.readdir = dev_readdir;
    ops.open = dev_open;
    ops.read = dev_read;
    ops.write = dev_write;
    ops.truncate = dev_truncate;
    ops.ioctl = dev_ioctl;
    ops.getxattr = dev_getxattr;
    ops.listxattr = dev_listxattr;
    return ops;
}

struct Mount {
    fuse *f = nullptr;
    std::string mountpoint;
    bool mounted = false;
};

bool mount_one(Mount &m, const fuse_operations &ops, void *state, const char *fsname)
{
    std::string opts = std::string("fsname=") + fsname + ",subtype=gwsim";
    const char *argv[] = {"gwsim", "-o", opts.c_str()};
    fuse_args args = FUSE_ARGS_INIT(3, const_cast<char **>(argv));
    m.f = fuse_new(&args, &ops, sizeof ops, state);
    fuse_opt_free_args(&args);
    if (!m.f) {
        std::fprintf(stderr, "gwsim: fuse_new failed for %s\n", m.mountpoint.c_str());
        return false;
    }
    if (fuse_mount(m.f, m.mountpoint.c_str()) != 0) {
        std::fprintf(stderr, "gwsim: cannot mount %s\n", m.mountpoint.c_str());
        return false;
    }
    m.mounted = true;
    return true;
}

bool read_file(const std::string &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

int open_owner(pid_t owner)
{
    if (owner <= 0)
        return -1;
    return static_cast<int>(syscall(SYS_pidfd_open, owner, 0));
}

} // namespace

int serve_device(const DevicePaths &d, pid_t owner)
{
    ProcState proc;
    DevState dev;
    std::string text, error;
    proc.adslinfo_path = d.adslinfo();
    proc.cmdlog_path = d.cmdlog();
    proc.refuse_path = d.cmd_refuse();
    if (!read_file(d.cmdtable(), text) || !parse_cmdtable(text, proc.table, error)) {
        std::fprintf(stderr, "gwsim: command table %s: %s\n", d.cmdtable().c_str(),
                     error.empty() ? std::strerror(errno) : error.c_str());
        return 1;
    }
    if (!dev.image.open(d.flash(), false, error)) {
        std::fprintf(stderr, "gwsim: %s\n", error.c_str());
        return 1;
    }

    // Signals are taken through a signalfd; the FUSE threads never see them.
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    int sfd = signalfd(-1, &set, SFD_CLOEXEC);
    int done[2];
    if (sfd < 0 || pipe2(done, O_CLOEXEC) != 0) {
        std::perror("gwsim: signalfd/pipe");
        return 1;
    }
    int owner_fd = open_owner(owner);
    if (owner > 0 && owner_fd < 0) {
        std::fprintf(stderr, "gwsim: owner %d is gone\n", static_cast<int>(owner));
        return 1;
    }

    Mount mounts[2];
    mounts[0].mountpoint = d.proc_mount();
    mounts[1].mountpoint = d.dev_mount();
    bool up = mount_one(mounts[0], proc_ops(), &proc, "wysoc") &&
              mount_one(mounts[1], dev_ops(), &dev, "wydev");
    std::thread loops[2];
    int running = 0;
    if (up) {
        for (int i = 0; i < 2; ++i) {
            loops[i] = std::thread([&m = mounts[i], fd = done[1]] {
                fuse_loop(m.f);
                char c = 'x';
                (void)!write(fd, &c, 1);
            });
            ++running;
        }
        std::fprintf(stderr, "gwsim: serving %s (pid %d)\n", d.dir.c_str(), getpid());
    }

    bool owner_gone = false;
    while (up) {
        pollfd fds[3] = {{sfd, POLLIN, 0}, {done[0], POLLIN, 0}, {owner_fd, POLLIN, 0}};
        if (poll(fds, owner_fd >= 0 ? 3 : 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents) {
            signalfd_siginfo si{};
            (void)!read(sfd, &si, sizeof si);
            std::fprintf(stderr, "gwsim: signal %u, stopping\n", si.ssi_signo);
            break;
        }
        if (fds[2].revents) {
            owner_gone = true;
            std::fprintf(stderr, "gwsim: owner %d exited, stopping\n", static_cast<int>(owner));
            break;
        }
        if (fds[1].revents)
            break;  // one mount went away: take the other down too
    }

    stop_web(d);  // no web interface outlives its gateway
    for (auto &m : mounts)
        if (m.mounted && is_mounted(m.mountpoint))
            unmount(m.mountpoint);
    // A lazily detached mount may keep a loop busy; do not wait for ever.
    bool all_done = true;
    while (running > 0) {
        pollfd p{done[0], POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0) {
            all_done = false;
            break;
        }
        char c;
        if (read(done[0], &c, 1) == 1)
            --running;
    }
    if (owner_gone && access(d.temporary_mark().c_str(), F_OK) == 0)
        remove_tree(d.dir);
    if (!all_done) {
        std::fprintf(stderr, "gwsim: a mount is still busy; exiting without waiting\n");
        std::fflush(stderr);
        _exit(0);
    }
    for (int i = 0; i < 2; ++i)
        if (loops[i].joinable())
            loops[i].join();
    for (auto &m : mounts) {
        if (!m.f)
            continue;
        // Already unmounted: this only closes the session (the kernel reports it
        // gone) and frees what fuse_mount kept.
        if (m.mounted)
            fuse_unmount(m.f);
        fuse_destroy(m.f);
    }
    std::fprintf(stderr, "gwsim: stopped\n");
    return up ? 0 : 1;
}

} // namespace gwsim

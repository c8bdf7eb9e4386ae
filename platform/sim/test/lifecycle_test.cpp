// Start and stop of a simulated gateway, and recovery from crashes.
#include "simtest.h"

#include <gtest/gtest.h>

#include <cstring>

#include <chrono>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

bool mounted(const std::string &mountpoint)
{
    std::ifstream in("/proc/self/mountinfo");
    for (std::string line; std::getline(in, line);)
        if (line.find(" " + mountpoint + " ") != std::string::npos)
            return true;
    return false;
}

pid_t daemon_pid(const simtest::Gateway &gw)
{
    std::ifstream in(gw.dir() + "/gwsim.pid");
    pid_t pid = 0;
    in >> pid;
    return pid;
}

bool process_gone(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t paren = stat.rfind(')');
    return paren == std::string::npos || stat[paren + 2] == 'Z';
}

// True once f() holds; false when it still does not after a minute.
template <class F>
bool eventually(F f)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!f()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(Lifecycle, StopUnmountsAndStartAgainServesTheSameFlash)
{
    simtest::Gateway gw;
    gw.poke_flash(0x20000, {0x12, 0x34});
    pid_t pid = daemon_pid(gw);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(gw.gwsim({"stop", gw.dir()}).status, 0);
    EXPECT_FALSE(mounted(gw.path("/dev")));
    EXPECT_FALSE(mounted(gw.path("/proc/wysoc")));
    EXPECT_TRUE(eventually([&] { return process_gone(pid); }));
    EXPECT_EQ(gw.gwsim({"stop", gw.dir()}).status, 0);  // stopping twice is harmless

    ASSERT_EQ(gw.gwsim({"start", gw.dir()}).status, 0);
    ASSERT_EQ(gw.gwsim({"start", gw.dir()}).status, 0);  // already running: nothing to do
    EXPECT_EQ(gw.read_file("/dev/mtd1").substr(0, 2), "\x12\x34");
}

TEST(Lifecycle, StartRecoversFromAKilledDaemon)
{
    simtest::Gateway gw;
    pid_t pid = daemon_pid(gw);
    ASSERT_GT(pid, 0);
    kill(pid, SIGKILL);
    ASSERT_TRUE(eventually([&] { return process_gone(pid); }));
    // The mounts are left behind, dead: "Transport endpoint is not connected",
    // or "Software caused connection abort" once the kernel has aborted them.
    EXPECT_EQ(open(gw.path("/dev/mtd0").c_str(), O_RDONLY), -1);
    EXPECT_TRUE(errno == ENOTCONN || errno == ECONNABORTED) << strerror(errno);

    auto r = gw.gwsim({"start", gw.dir()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(gw.read_file("/dev/mtd0").size(), 0x20000u);
    gw.write_file("/proc/wysoc/wyci_cmd", "wyci ATBT 1");
    EXPECT_EQ(gw.read_file("/proc/wysoc/wyci_cmd"), "5\n");

    // Killed again, then stopped: stop alone clears the dead mounts too.
    kill(daemon_pid(gw), SIGKILL);
    ASSERT_EQ(gw.gwsim({"stop", gw.dir()}).status, 0);
    EXPECT_FALSE(mounted(gw.path("/dev")));
    EXPECT_FALSE(mounted(gw.path("/proc/wysoc")));
}

TEST(Lifecycle, StopDetachesAMountThatIsStillInUse)
{
    simtest::Gateway gw;
    // A reader keeps /dev/mtd2 open while the device stops.
    auto hold = gw.run({"sh", "-c", "exec 3<$WY_SYSROOT/dev/mtd2; (sleep 2 <&3 >/dev/null 2>&1 &) ; echo ok"});
    ASSERT_EQ(hold.out, "ok\n") << hold.err;
    ASSERT_EQ(gw.gwsim({"stop", gw.dir()}).status, 0);
    EXPECT_FALSE(mounted(gw.path("/dev")));
    ASSERT_EQ(gw.gwsim({"start", gw.dir()}).status, 0);
    EXPECT_EQ(gw.read_file("/dev/mtd3").size(), 0x10000u);
}

TEST(Lifecycle, AnAbortedTestLeavesNothingBehind)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A test process that dies without running any destructor.
        auto *gw = new simtest::Gateway();
        std::string dir = gw->dir();
        (void)!write(fds[1], dir.data(), dir.size());
        close(fds[1]);
        raise(SIGKILL);
    }
    close(fds[1]);
    char buf[256] = {};
    ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    int st = 0;
    waitpid(child, &st, 0);
    ASSERT_GT(n, 0);
    const std::string dir(buf, static_cast<size_t>(n));
    // The daemon sees its owner go, unmounts and removes the device.
    struct stat s {};
    EXPECT_TRUE(eventually([&] { return stat(dir.c_str(), &s) != 0; })) << dir;
    EXPECT_FALSE(mounted(dir + "/root/dev"));
    EXPECT_FALSE(mounted(dir + "/root/proc/wysoc"));
}

TEST(Lifecycle, RunAndShellRefuseADeviceThatIsNotThereOrNotStarted)
{
    simtest::Gateway gw;
    const std::string marker = gw.dir() + "/ran";
    const std::string touch = "touch " + marker;
    ASSERT_EQ(gw.gwsim({"stop", gw.dir()}).status, 0);
    const struct {
        std::string dir;
        const char *says;
    } cases[] = {
        {gw.dir(), "is not started"},
        {gw.dir() + "/root", "is not a device directory"},
    };
    for (const auto &c : cases) {
        for (const auto &args : {std::vector<std::string>{"run", c.dir, "--", "sh", "-c", touch},
                                 std::vector<std::string>{"shell", c.dir}}) {
            auto r = gw.gwsim(args);
            EXPECT_EQ(r.status, 125) << c.dir << " " << args[0];
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        }
        EXPECT_NE(access(marker.c_str(), F_OK), 0) << c.dir;
    }
    ASSERT_EQ(gw.gwsim({"start", gw.dir()}).status, 0);
    EXPECT_EQ(gw.run({"sh", "-c", touch}).status, 0);
    EXPECT_EQ(access(marker.c_str(), F_OK), 0);
}

TEST(Lifecycle, DeviceDirectoryWithUnsafeCharactersIsRefused)
{
    simtest::Gateway gw;
    for (const char *dir : {"/tmp/has space", "/tmp/semi;colon", "/tmp/dollar$x"}) {
        auto r = gw.gwsim({"create", dir});
        EXPECT_EQ(r.status, 2) << dir;
        EXPECT_NE(r.err.find("[A-Za-z0-9._/-]"), std::string::npos) << dir;
        struct stat st {};
        EXPECT_NE(stat(dir, &st), 0) << dir;
    }
}

} // namespace

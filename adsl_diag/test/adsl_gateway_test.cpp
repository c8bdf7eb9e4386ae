// adsl_diag and idle_stub as programs inside a simulated gateway, against its
// command node, its ADSL information node and its /tmp.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "adsl_diag.h"
#include "lockwatch.h"
#include "simtest.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;

namespace {

constexpr char kDiag[] = "/tmp/adslFileDiag";
constexpr char kResult[] = "DELT done\nHLOG 12 -28.5 dB\nQLN 12 -140.0 dBm/Hz\n";
const std::string kTooLong = "command line too long: at most 79 characters\n";

struct Case {
    const char *what;
    std::vector<std::string> args;  // after the program's path
    std::string refuse;             // what the command node refuses ("" nothing)
    const char *lock;               // what lies at /tmp/adsllockfd: "", "dir", "symlink"
    bool with_result;               // a DELT result file lies in /tmp
    std::string out;                // expected output; "@info" for the ADSL information
    bool sent;                      // the line reached the node
    bool result_left;               // the result file is still there afterwards
};

} // namespace

// Called through its path, so the first word sent is that path in every build
// (an emulator may replace a bare argv[0] by the path it found).
TEST(AdslDiag, CommandsAgainstTheGatewayNodes)
{
    simtest::Gateway gw;
    const std::string prog = gw.path("/userfs/bin/adsl_diag");
    const std::string info = gw.read_file("/proc/wysoc/wysupport_adslinfo");
    ASSERT_NE(info, "");
    // Fills the line up to `total` characters with one argument.
    auto filler = [&](size_t total) { return std::string(total - prog.size() - 1, 'f'); };
    const std::string lock_error = "\r\nopen lock file error!";
    const std::string node_error = "open /proc/wysoc/wyci_cmd fail\n";
    const std::string write_error = "write /proc/wysoc/wyci_cmd fail\n";
    const std::string result_out = std::string(kResult) + "\r\n";

    const std::vector<Case> cases = {
        {"delt show", {"delt", "show"}, "", "", true, result_out, true, false},
        {"delt status", {"delt", "status"}, "", "", true, result_out, true, false},
        {"status delt", {"status", "delt"}, "", "", true, "", true, true},
        {"delt alone", {"delt"}, "", "", true, "", true, true},
        {"no delt", {"show"}, "", "", true, "@info", true, true},
        {"no words", {}, "", "", false, "@info", true, false},
        {"result missing", {"delt", "show"}, "", "", false, "\r\nopen file error!", true, false},
        {"lock unopenable", {"snr"}, "", "dir", false, lock_error + "@info", true, false},
        {"lock unopenable, delt", {"delt", "show"}, "", "dir", true, lock_error + result_out, true, false},
        {"lock file a planted link", {"snr"}, "", "symlink", false, lock_error + "@info", true, false},
        {"node refuses opening", {"delt", "show"}, "open", "", true, node_error, false, true},
        {"node refuses opening, no delt", {"snr"}, "open", "", false, node_error, false, false},
        {"node refuses writing", {"delt", "status"}, "write", "", true, write_error, false, true},
        {"79 characters", {filler(79)}, "", "", false, "@info", true, false},
        {"80 characters", {filler(80)}, "", "", true, kTooLong, false, true},
        {"far too long", {"delt", "show", std::string(200, 'x')}, "", "", true, kTooLong, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(gw.path("/tmp/adsllockfd"));
        std::filesystem::remove(gw.path("/tmp/planted"));
        if (std::string(c.lock) == "dir")
            std::filesystem::create_directory(gw.path("/tmp/adsllockfd"));
        if (std::string(c.lock) == "symlink")
            std::filesystem::create_symlink(gw.path("/tmp/planted"), gw.path("/tmp/adsllockfd"));
        std::filesystem::remove(gw.path(kDiag));
        if (c.with_result)
            gw.write_file(kDiag, kResult);
        gw.cmd_node_refuses(c.refuse);
        const size_t before = gw.cmd_lines().size();

        std::vector<std::string> argv{prog};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        simtest::RunResult r = gw.run(argv);
        gw.cmd_node_refuses("");

        EXPECT_EQ(r.status, 0) << r.err;
        std::string want = c.out;
        if (size_t at = want.find("@info"); at != std::string::npos)
            want.replace(at, 5, info);
        EXPECT_EQ(r.out, want);

        std::string line = prog;
        for (const std::string &a : c.args)
            line += " " + a;
        std::vector<std::string> sent = gw.cmd_lines();
        sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
        EXPECT_EQ(sent, c.sent ? std::vector<std::string>{line} : std::vector<std::string>{});
        EXPECT_EQ(gw.exists(kDiag), c.result_left);
        EXPECT_FALSE(gw.exists("/tmp/planted"));  // a planted link is never followed
    }
    // The lock file is made once and kept.
    struct stat st {};
    ASSERT_EQ(stat(gw.path("/tmp/adsllockfd").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// The line as argv[0] gives it, bare name or path: in this process, where the
// arguments are exactly what the test passes.
TEST(AdslDiag, SendsArgvZeroAsInvoked)
{
    simtest::Gateway gw;
    setenv("WY_SYSROOT", gw.root().c_str(), 1);
    gw.write_file(kDiag, "bare\n");
    const struct {
        std::vector<std::string> argv;
        std::string out;
    } cases[] = {
        {{"adsl", "delt", "show"}, "bare\n\r\n"},
        {{"/userfs/bin/adsl", "delt", "show"}, "\r\nopen file error!"},  // removed by the first
        {{"adsl", "delt"}, ""},
    };
    for (auto c : cases) {
        std::vector<char *> argv;
        for (std::string &w : c.argv)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        CaptureStdout();
        EXPECT_EQ(adsl_main(static_cast<int>(c.argv.size()), argv.data()), 0);
        EXPECT_EQ(GetCapturedStdout(), c.out) << c.argv[0];
    }
    unsetenv("WY_SYSROOT");
    EXPECT_EQ(gw.cmd_lines(), (std::vector<std::string>{"adsl delt show", "/userfs/bin/adsl delt show",
                                                        "adsl delt"}));
}

// While another process holds the lock, a run has sent nothing; once it is
// released, the run sends its line and prints its result.
TEST(AdslDiag, RunsAreSerialisedByTheLockFile)
{
    simtest::Gateway gw;
    gw.write_file(kDiag, kResult);
    const std::string lock = gw.path("/tmp/adsllockfd");
    int fd = open(lock.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(adsl_lock_wait(fd), 0);

    // The run's output goes to a file; its status comes back through waitpid.
    const std::string out_path = gw.dir() + "/run.out";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        std::string gwsim = simtest::Gateway::gwsim_path();
        std::string prog = gw.path("/userfs/bin/adsl_diag");
        execl(gwsim.c_str(), gwsim.c_str(), "run", gw.dir().c_str(), "--", prog.c_str(), "delt",
              "show", static_cast<char *>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(lockwatch::wait_for_waiter(lockwatch::inode_of(lock)))
        << "adsl_diag never waited for the lock";
    EXPECT_TRUE(gw.cmd_lines().empty());
    EXPECT_TRUE(gw.exists(kDiag));

    ASSERT_EQ(set_file_lock(fd, F_SETLK, F_UNLCK, 0, SEEK_SET, 0), 0);
    int st = 0;
    ASSERT_EQ(waitpid(pid, &st, 0), pid);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    close(fd);
    EXPECT_EQ(gw.cmd_lines(),
              std::vector<std::string>{gw.path("/userfs/bin/adsl_diag") + " delt show"});
    std::ifstream in(out_path, std::ios::binary);
    std::string out((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(out, std::string(kResult) + "\r\n");
    EXPECT_FALSE(gw.exists(kDiag));
}

TEST(IdleStub, EndsAtOnceWithStatusZero)
{
    simtest::Gateway gw;
    for (const std::vector<std::string> &argv :
         {std::vector<std::string>{"idle_stub"}, {"idle_stub", "any", "words"}}) {
        simtest::RunResult r = gw.run(argv);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
    }
    EXPECT_TRUE(gw.cmd_lines().empty());
}

// The tool's pieces in this process: the command line, the choice of output,
// the result file's copy and the lock wait.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "wytest/temproot.h"
#include "adsl_diag.h"
#include "lockwatch.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;

namespace {

std::string built(std::vector<std::string> words)
{
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    char line[80];
    return adsl_build_line(static_cast<int>(words.size()), argv.data(), line, sizeof line)
               ? line
               : "(refused)";
}

} // namespace

TEST(AdslLine, ProgramAsInvokedThenEachWord)
{
    const std::string w68(68, 'w');
    struct Case {
        std::vector<std::string> argv;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{"adsl", "delt", "show"}, "adsl delt show"},
        {{"/userfs/bin/adsl", "delt", "show"}, "/userfs/bin/adsl delt show"},  // path kept
        {{"adsl"}, "adsl"},
        {{}, ""},
        {{"adsl", "two words", ""}, "adsl two words "},
        {{"adsl", w68, "show"}, "adsl " + w68 + " show"},  // 78 characters
        {{"adsl", w68, "shows"}, "adsl " + w68 + " shows"}, // 79: fits
        {{"adsl", w68, "showss"}, "(refused)"},             // 80
        {{"/a/very/long/directory/of/tools/adsl", w68}, "(refused)"},
        {{std::string(79, 'p')}, std::string(79, 'p')},
        {{std::string(80, 'p')}, "(refused)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(built(c.argv), c.line) << (c.argv.empty() ? "(no argv)" : c.argv[0]);

    char tiny[1] = {'x'};
    std::string name = "adsl";
    char *argv[] = {name.data(), nullptr};
    EXPECT_FALSE(adsl_build_line(1, argv, tiny, sizeof tiny));
    EXPECT_EQ(tiny[0], '\0');
}

TEST(AdslLine, OutputChosenByDeltAndWhatFollowsIt)
{
    const struct {
        const char *line;
        AdslOutput out;
    } cases[] = {
        {"adsl delt show", AdslOutput::diag},
        {"adsl delt status", AdslOutput::diag},
        {"adsl status delt", AdslOutput::none},  // nothing after "delt"
        {"adsl delt", AdslOutput::none},
        {"adsl show delt", AdslOutput::none},
        {"adsl deltshow", AdslOutput::diag},     // substrings, not words
        {"adsl delt x statusy", AdslOutput::diag},
        {"/tmp/delt/adsl show", AdslOutput::diag}, // argv[0] counts too
        {"adsl status", AdslOutput::info},
        {"adsl DELT show", AdslOutput::info},      // case matters
        {"adsl del t show", AdslOutput::info},
        {"", AdslOutput::info},
    };
    for (const auto &c : cases)
        EXPECT_EQ(adsl_output_for(c.line), c.out) << "\"" << c.line << "\"";
}

// fileToStdout over plain files under a temporary system root.
class AdslFiles : public wytest::RootTest {
protected:
    std::string copy(const std::string &device_path, int *rc)
    {
        CaptureStdout();
        *rc = fileToStdout(device_path.c_str());
        return GetCapturedStdout();
    }
};

TEST_F(AdslFiles, CopiedChunkByChunkThenCrLf)
{
    const std::string a256(256, 'a');
    struct Case {
        std::string bytes;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"", "\r\n"},
        {"SNR 6.1 dB\nATTN 20 dB\n", "SNR 6.1 dB\nATTN 20 dB\n\r\n"},
        {a256, a256 + "\r\n"},                    // one full chunk
        {a256 + "b", a256 + "b\r\n"},             // and one byte more
        {std::string(1000, 'c'), std::string(1000, 'c') + "\r\n"},
        // A NUL ends its chunk's output; the next chunk prints from its start.
        {"ab" + std::string(1, '\0') + std::string(253, 'x') + "next", "abnext\r\n"},
        {std::string(300, 'd') + '\0' + "tail", std::string(256, 'd') + std::string(44, 'd') + "\r\n"},
        {std::string(1, '\0') + "hidden", "\r\n"},
    };
    for (const Case &c : cases) {
        put("/tmp/adslFileDiag", c.bytes);
        int rc = -7;
        EXPECT_EQ(copy("/tmp/adslFileDiag", &rc), c.out) << c.bytes.size() << " bytes";
        EXPECT_EQ(rc, 0);
        EXPECT_TRUE(exists("/tmp/adslFileDiag"));  // copying never removes
    }
}

TEST_F(AdslFiles, UnopenableFileIsReported)
{
    std::filesystem::create_directories(path("/tmp/dir"));
    chmod(path("/tmp/dir").c_str(), 0755);
    for (const char *p : {"/tmp/adslFileDiag", "/tmp/no/such/dir/file", "relative"}) {
        int rc = 0;
        EXPECT_EQ(copy(p, &rc), "\r\nopen file error!") << p;
        EXPECT_EQ(rc, -1) << p;
    }
    // A FIFO in its place ends the copy instead of blocking the run.
    ASSERT_EQ(mkfifo(path("/tmp/fifo").c_str(), 0600), 0);
    int rc = -7;
    EXPECT_EQ(copy("/tmp/fifo", &rc), "\r\n");
    EXPECT_EQ(rc, 0);
}

// Whatever is left in place of the result file, only a regular file's bytes
// are copied: a device that never ends must not keep the run, and the lock,
// for ever. Each copy runs in a child, so an endless one fails the case at
// the deadline instead of hanging the test.
TEST_F(AdslFiles, OnlyARegularFileIsCopied)
{
    put("/tmp/plain", "SNR 6.1 dB\n");
    struct Case {
        const char *name;
        const char *target; // what /tmp/adslFileDiag links to
        std::string out;
    } cases[] = {
        {"link to a regular file", "plain", "SNR 6.1 dB\n\r\n"},
        {"link to /dev/zero", "/dev/zero", "\r\n"},
    };
    for (const Case &c : cases) {
        link(c.target, "/tmp/adslFileDiag");
        const std::string out = path("/copy.out");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (!freopen(out.c_str(), "w", stdout))
                _exit(3);
            int rc = fileToStdout("/tmp/adslFileDiag");
            fflush(stdout);
            _exit(rc == 0 ? 0 : 1);
        }
        int st = 0;
        pid_t done = 0;
        for (auto end = std::chrono::steady_clock::now() + lockwatch::kDeadline;
             done == 0 && std::chrono::steady_clock::now() < end;)
            if ((done = waitpid(child, &st, WNOHANG)) == 0)
                usleep(10000);
        if (done == 0) {
            kill(child, SIGKILL);
            waitpid(child, &st, 0);
            ADD_FAILURE() << c.name << ": the copy did not end";
            continue;
        }
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << c.name;
        EXPECT_EQ(get("/copy.out"), c.out) << c.name;
    }
}

TEST_F(AdslFiles, LockCoversTheWholeFileExclusively)
{
    const std::string lock = path("/tmp/lock");
    put("/tmp/lock", "");
    int fd = open(lock.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(adsl_lock_wait(fd), 0);
    // Another process sees one write lock from 0 to the end, held by us.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int cfd = open(lock.c_str(), O_RDWR);
        struct flock probe = {};
        probe.l_type = F_RDLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = 12345;
        probe.l_len = 1;
        bool ok = cfd >= 0 && fcntl(cfd, F_GETLK, &probe) == 0 && probe.l_type == F_WRLCK &&
                  probe.l_start == 0 && probe.l_len == 0 && probe.l_pid == getppid() &&
                  set_file_lock(cfd, F_SETLK, F_RDLCK, 0, SEEK_SET, 0) == -1;
        _exit(ok ? 0 : 1);
    }
    int st = 0;
    ASSERT_EQ(waitpid(child, &st, 0), child);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    EXPECT_EQ(set_file_lock(fd, F_SETLK, F_UNLCK, 0, SEEK_SET, 0), 0);
    close(fd);
}

namespace {
int signal_pipe = -1;
void note_signal(int)
{
    char c = 's';
    (void)!write(signal_pipe, &c, 1);
}
} // namespace

// A wait cut short by a signal goes back to waiting: the run must not go on
// without the lock while another run holds it.
TEST_F(AdslFiles, LockWaitSurvivesSignals)
{
    const std::string lock = path("/tmp/lock");
    put("/tmp/lock", "");
    int fd = open(lock.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(adsl_lock_wait(fd), 0);
    const ino_t ino = lockwatch::inode_of(lock);

    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        signal_pipe = report[1];
        struct sigaction sa = {};
        sa.sa_handler = note_signal;  // no SA_RESTART: the wait returns EINTR
        sigaction(SIGUSR1, &sa, nullptr);
        int cfd = open(lock.c_str(), O_RDWR);
        int rc = cfd >= 0 ? adsl_lock_wait(cfd) : -1;
        char c = rc == 0 ? 'L' : 'E';
        (void)!write(report[1], &c, 1);
        _exit(0);
    }
    close(report[1]);
    ASSERT_TRUE(lockwatch::wait_for_waiter(ino)) << "the child never waited for the lock";
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(kill(child, SIGUSR1), 0);
        // The handler has run once 's' arrives; the interrupted request is gone
        // by then, so a waiter seen afterwards is the wait taken up again.
        EXPECT_EQ(lockwatch::read_byte(report[0]), 's') << "round " << round;
        ASSERT_TRUE(lockwatch::wait_for_waiter(ino)) << "round " << round;
    }
    EXPECT_EQ(set_file_lock(fd, F_SETLK, F_UNLCK, 0, SEEK_SET, 0), 0);
    EXPECT_EQ(lockwatch::read_byte(report[0]), 'L');
    int st = 0;
    waitpid(child, &st, 0);
    close(report[0]);
    close(fd);
}

#include <stdlib.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "ci.h"
#include "gw.h"
#include "simtest.h"

using namespace gwtest;
using wytest::CaptureStdout;
using wytest::GetCapturedStdout;

namespace {

std::vector<std::string> seen;
int seen_n = -1;

int recorder(int n, char **p)
{
    seen_n = n;
    seen.clear();
    for (int i = 0; i <= n; ++i)
        seen.push_back(p[i] ? p[i] : "(null)");
    return 0;
}

// ci_main in this process, against the simulated node, with a recording
// handler in one slot.
class InProcess : public ::testing::Test {
protected:
    void SetUp() override { setenv("WY_SYSROOT", gw_.root().c_str(), 1); }
    void TearDown() override { unsetenv("WY_SYSROOT"); }

    std::string run(int slot, std::vector<std::string> words)
    {
        std::vector<char *> argv;
        for (std::string &w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        ci_handler saved = ci_func[slot];
        ci_func[slot] = recorder;
        seen_n = -1;
        CaptureStdout();
        ci_main(static_cast<int>(words.size()), argv.data());
        ci_func[slot] = saved;
        return GetCapturedStdout();
    }

    simtest::Gateway gw_;
};

} // namespace

TEST_F(InProcess, HandlerGetsTheWordsAfterTheProgramName)
{
    EXPECT_EQ(run(5, {"/userfs/bin/wyci", "ATBT", "a b", "c"}), "");
    EXPECT_EQ(seen_n, 3);
    EXPECT_EQ(seen, (std::vector<std::string>{"ATBT", "a b", "c", "(null)"}));

    EXPECT_EQ(run(10, {"wyci", "ATShowWpaPsk"}), "");
    EXPECT_EQ(seen_n, 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"ATShowWpaPsk", "(null)"}));
}

TEST_F(InProcess, NothingRunsForAnswerZero)
{
    // The node answers 0 for these; slot 0 is never called.
    for (const char *word : {"NoSuchCommand", "version2", "atbt"}) {
        EXPECT_EQ(run(0, {"wyci", word}), "") << word;
        EXPECT_EQ(seen_n, -1) << word;
    }
    EXPECT_EQ(run(0, {"wyci"}), "");
    EXPECT_EQ(seen_n, -1);
}

TEST(Dispatch, ThroughTheProgram)
{
    simtest::Gateway gw;
    struct Case {
        std::vector<std::string> words;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"NoSuchCommand"}, ""},
        {{"ATButtonTest", "1"}, "\nOK\n"},                      // slot 7
        {{"erase", "romd"}, "Clear ROM-D success.\n\nOK\n"}, // slot 11
        {{}, ""},
        {{"ATBT"}, "\nOK\n"},
        {{"version", "x"}, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(wyci(gw, c.words), c.out) << (c.words.empty() ? "(none)" : c.words[0]);
    EXPECT_EQ(gw.run({gw.path("/userfs/bin/wyci"), "ATBT", "1"}).out, "\nOK\n");
    EXPECT_EQ(gw.read_file("/tmp/vorna_atbt"), "\x01");

    simtest::RunResult v = gw.run({"wyci", "version"});
    EXPECT_EQ(v.out.substr(0, 32), "\r\n wyci version: wyci V1.1.0.0 (");
}

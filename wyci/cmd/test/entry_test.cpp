#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wytest/capture.h"

#include "wytest/temproot.h"
#include "ci.h"

using wytest::CaptureStdout;
using wytest::GetCapturedStdout;

namespace {

struct Argv {
    explicit Argv(std::vector<std::string> words) : words_(std::move(words))
    {
        for (std::string &w : words_)
            ptrs_.push_back(w.data());
        ptrs_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words_.size()); }
    char **argv() { return ptrs_.data(); }

    std::vector<std::string> words_;
    std::vector<char *> ptrs_;
};

std::string built(std::vector<std::string> words)
{
    Argv a(std::move(words));
    char line[80];
    return ci_build_line(a.argc(), a.argv(), line, sizeof line) ? line : "(refused)";
}

std::string run_main(std::vector<std::string> words)
{
    Argv a(std::move(words));
    CaptureStdout();
    EXPECT_EQ(ci_main(a.argc(), a.argv()), 0);
    return GetCapturedStdout();
}

} // namespace

TEST(CommandLine, BuiltFromProgramNameAndWords)
{
    const std::string w71(71, 'w');
    struct Case {
        std::vector<std::string> argv;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{"/userfs/bin/wyci", "ATBT", "1"}, "wyci ATBT 1"},
        {{"wyci", "ATBT", "1"}, "wyci ATBT 1"},
        {{"wyci"}, "wyci"},
        {{"./x/"}, ""}, // nothing after the last '/'
        {{"wyci", "two words", "x"}, "wyci two words x"},
        {{"wyci", ""}, "wyci "},
        {{"wyci", w71, "ab"}, "wyci " + w71 + " ab"},          // 79 characters: fits
        {{"wyci", w71, "abc"}, "(refused)"},                  // 80 characters
        {{"/a/very/long/dir/wyci", w71, "ab"}, "wyci " + w71 + " ab"},
        {{"wyci", std::string(200, 'z')}, "(refused)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(built(c.argv), c.line) << c.argv[0];
}

TEST(CommandLine, AnswerReadsByAtoiRules)
{
    struct Case {
        const char *answer;
        int slot;
    };
    const Case cases[] = {
        {"5\n", 5},     {"5", 5},     {" 12\n", 12}, {"+3", 3},   {"-2", -2},
        {"0", 0},       {"", 0},      {"abc", 0},    {"7x", 7},   {"\n9", 9},
        {"99999999999", 0},           {"2147483647", 2147483647},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ci_atoi(c.answer), c.slot) << "answer \"" << c.answer << "\"";
}

// Slot 0 is never dispatched (answer 0 runs nothing); called directly, it
// says what it is.
TEST(Table, PlaceholderSaysWhatItIs)
{
    CaptureStdout();
    EXPECT_EQ(ci_func[0](0, nullptr), 0);
    EXPECT_EQ(GetCapturedStdout(), "I am dummy!!\n");
}

// A plain file as the node: what wyci writes stays there, and reading it back
// gives the line itself, which has no leading digits and so runs nothing.
class NodeFile : public wytest::RootTest {
protected:
    void SetUp() override
    {
        wytest::RootTest::SetUp();
        std::filesystem::create_directories(path("/proc/wysoc"));
    }
};

TEST_F(NodeFile, VersionAloneNeverTouchesTheNode)
{
    std::filesystem::remove_all(path("/proc/wysoc"));
    const std::string out = run_main({"/userfs/bin/wyci", "version"});
    EXPECT_TRUE(std::regex_match(out, std::regex("\r\n wyci version: wyci V1\\.1\\.0\\.0 "
                                                 "\\((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                                 "[ 1-3][0-9] [0-9]{4}-[0-2][0-9]:[0-5][0-9]:[0-6][0-9]\\)\n")))
        << out;
    EXPECT_FALSE(exists("/proc/wysoc"));
    EXPECT_EQ(run_main({"wyci", "version", "x"}), "open /proc/wysoc/wyci_cmd fail\n");
    EXPECT_EQ(run_main({"wyci"}), "open /proc/wysoc/wyci_cmd fail\n");
}

TEST_F(NodeFile, LineIsWrittenWholeWithoutNewline)
{
    EXPECT_EQ(run_main({"/userfs/bin/wyci", "ATBT", "1"}), "");
    EXPECT_EQ(get("/proc/wysoc/wyci_cmd"), "wyci ATBT 1");
    EXPECT_EQ(run_main({"wyci", "version", "now"}), "");
    EXPECT_EQ(get("/proc/wysoc/wyci_cmd"), "wyci version now");
    EXPECT_EQ(run_main({"wyci"}), "");
    EXPECT_EQ(get("/proc/wysoc/wyci_cmd"), "wyci");
    // No program name: an empty line, read back as an empty answer.
    EXPECT_EQ(run_main({"/"}), "");
    EXPECT_EQ(get("/proc/wysoc/wyci_cmd"), "");
}

TEST_F(NodeFile, OverlongLineIsRefusedAndNotSent)
{
    put("/proc/wysoc/wyci_cmd", "before");
    const std::string out = run_main({"wyci", "ATWriteWpaPsk", std::string(70, 'k')});
    EXPECT_EQ(out, "command line too long: at most 79 characters\n\nERROR\n");
    EXPECT_EQ(get("/proc/wysoc/wyci_cmd"), "before");
}

TEST_F(NodeFile, WriteThatFailsRunsNothing)
{
    link("/dev/full", "/proc/wysoc/wyci_cmd");
    EXPECT_EQ(run_main({"wyci", "ATBT", "1"}), "write /proc/wysoc/wyci_cmd fail\n");
    EXPECT_FALSE(exists("/tmp/vorna_atbt"));
}

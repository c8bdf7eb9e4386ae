// fwrule_list against stored fixtures: each page byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "testroot.h"

namespace {

std::string slurp(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    EXPECT_TRUE(f.good()) << path;
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The line where two texts first differ, for a readable failure.
std::string first_difference(const std::string &want, const std::string &got)
{
    size_t i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i])
        ++i;
    size_t line_start = want.rfind('\n', i == 0 ? 0 : i - 1);
    line_start = line_start == std::string::npos ? 0 : line_start + 1;
    return "at byte " + std::to_string(i) + "\nwant: " + want.substr(line_start, 160) +
           "\ngot:  " + got.substr(line_start, 160);
}

} // namespace

class FwruleList : public testing::TestWithParam<const char *> {};

TEST_P(FwruleList, PrintsThePageOfTheStore)
{
    std::string dir = std::string(PAGES_TESTDATA) + "/fwrule_list/";
    testroot::TempRoot root;
    root.write_store_text(slurp(dir + GetParam() + ".cfg"));
    std::string before = root.read(testroot::kStoreFile);
    auto r = testroot::run({FWRULE_LIST});
    std::string want = slurp(dir + GetParam() + ".html");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out == want) << first_difference(want, r.out);
    // The page only reads.
    EXPECT_EQ(root.read(testroot::kStoreFile), before);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FwruleList,
                         testing::Values("no_entry0", "three_rules", "fifty_five_rules", "gap_at_3",
                                         "direction_na", "direction_missing", "address_forms",
                                         "schedule_rate_tcp", "lang_yes_turkey", "lang_no_turkey",
                                         "lang_lower_yes", "lang_no_node", "hostile_values",
                                         "attributes_missing"));

// A store that cannot be read still gives a whole page: heading row and footer,
// status 0, as for a store without rules.
TEST(FwruleListStore, UnreadableStoreGivesTheEmptyTable)
{
    std::string want = slurp(std::string(PAGES_TESTDATA) + "/fwrule_list/no_entry0.html");
    for (const char *text : {"garbage", "<ROMFILE><Firewall_LANtoLAN_Entry0 Active=\"Yes\">"}) {
        testroot::TempRoot root;
        root.write_store_text(text);
        auto r = testroot::run({FWRULE_LIST});
        EXPECT_EQ(r.status, 0) << text;
        EXPECT_TRUE(r.out == want) << text << "\n" << first_difference(want, r.out);
    }
}

// Row counts on their own, so a wrong expected file cannot hide a wrong count.
TEST(FwruleListRows, RowCounts)
{
    struct Case {
        const char *name;
        size_t rows;
    } cases[] = {{"fifty_five_rules", 50}, {"gap_at_3", 3}, {"no_entry0", 0}, {"three_rules", 3}};
    for (const auto &c : cases) {
        testroot::TempRoot root;
        root.write_store_text(slurp(std::string(PAGES_TESTDATA) + "/fwrule_list/" + c.name + ".cfg"));
        auto r = testroot::run({FWRULE_LIST});
        size_t rows = 0;
        for (size_t at = r.out.find("<tr class=\"tabcolor"); at != std::string::npos;
             at = r.out.find("<tr class=\"tabcolor", at + 1))
            ++rows;
        EXPECT_EQ(rows, c.rows) << c.name;
    }
}

// fwrule_list against stored fixtures: each page byte for byte.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "golden.h"
#include "testroot.h"

using golden::first_difference;
using golden::slurp;

class FwruleList : public testing::TestWithParam<const char *> {};

TEST_P(FwruleList, PrintsThePageOfTheStore)
{
    std::string dir = std::string(PAGES_TESTDATA) + "/fwrule_list/";
    testroot::TempRoot root;
    root.write_store_text(slurp(dir + GetParam() + ".cfg"));
    std::string before = root.get(testroot::kStoreFile);
    auto r = wytest::run({FWRULE_LIST});
    std::string want = slurp(dir + GetParam() + ".html");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out == want) << first_difference(want, r.out);
    // The page only reads.
    EXPECT_EQ(root.get(testroot::kStoreFile), before);
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
        auto r = wytest::run({FWRULE_LIST});
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
        auto r = wytest::run({FWRULE_LIST});
        size_t rows = 0;
        for (size_t at = r.out.find("<tr class=\"tabcolor"); at != std::string::npos;
             at = r.out.find("<tr class=\"tabcolor", at + 1))
            ++rows;
        EXPECT_EQ(rows, c.rows) << c.name;
    }
}

// Another process renumbers the rules again and again, each version of the
// store whole (rule k at entry (k + v) % 50 in version v). Every page printed
// meanwhile shows each of the 50 rules exactly once: it renders from one
// version of the store.
TEST(FwruleListStore, PageWhileWritersRenumberShowsEveryRuleOnce)
{
    constexpr int kRules = 50;
    testroot::TempRoot root;
    auto version = [&](int v) {
        testroot::Store s{{"WebCurSet_Entry", {{"firewalldir_id", "LANtoWAN"}}}};
        for (int k = 0; k < kRules; ++k)
            s["Firewall_LANtoWAN_Entry" + std::to_string((k + v) % kRules)] = {
                {"Active", "Yes"}, {"Service", "Rule" + std::to_string(k) + "[TCP:80]"}};
        return s;
    };
    root.write_store(version(0));

    pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        for (int v = 1;; v = v % (kRules - 1) + 1)
            root.write_store(version(v));
    }
    // The writer has started once the first rule has moved.
    bool moved = false;
    for (int i = 0; i < 2000 && !moved; ++i) {
        testroot::Store s = root.read_store();
        moved = s["Firewall_LANtoWAN_Entry0"]["Service"] != "Rule0[TCP:80]" &&
                !s["Firewall_LANtoWAN_Entry0"]["Service"].empty();
        if (!moved)
            usleep(5000);
    }

    int bad_pages = 0;
    std::string example;
    for (int page = 0; page < 40 && moved; ++page) {
        auto r = wytest::run({FWRULE_LIST});
        int seen[kRules] = {};
        int rows = 0;
        for (size_t at = r.out.find("<tr class=\"tabcolor"); at != std::string::npos;
             at = r.out.find("<tr class=\"tabcolor", at + 1))
            ++rows;
        for (size_t at = r.out.find(">Rule"); at != std::string::npos; at = r.out.find(">Rule", at + 1)) {
            int k = std::atoi(r.out.c_str() + at + 5);
            if (k >= 0 && k < kRules)
                ++seen[k];
        }
        bool once = rows == kRules;
        for (int k = 0; k < kRules; ++k)
            once = once && seen[k] == 1;
        if (!once && bad_pages++ == 0)
            example = r.out;
    }
    kill(writer, SIGKILL);
    int st = 0;
    waitpid(writer, &st, 0);
    ASSERT_TRUE(moved) << "the writer never wrote";
    EXPECT_EQ(bad_pages, 0) << "first such page:\n" << example;
}

// The WAN, routing and filter list pages against stored fixtures: each page
// byte for byte, as make_wan_pages_cases.py puts it together.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "golden.h"
#include "testroot.h"

namespace {

using golden::first_difference;
using golden::slurp;

std::string program(const std::string &page)
{
    return std::string(PAGES_BIN) + "/" + page;
}

std::string fixture(const std::string &page, const std::string &name, const char *ext)
{
    return std::string(PAGES_TESTDATA) + "/" + page + "/" + name + ext;
}

struct Case {
    const char *page;
    const char *fixture;
};

std::ostream &operator<<(std::ostream &o, const Case &c)
{
    return o << c.page << "/" << c.fixture;
}

} // namespace

class WanPages : public testing::TestWithParam<Case> {};

TEST_P(WanPages, PrintsThePageOfTheStore)
{
    const Case &c = GetParam();
    testroot::TempRoot root;
    root.write_store_text(slurp(fixture(c.page, c.fixture, ".cfg")));
    std::string before = root.get(testroot::kStoreFile);
    auto r = wytest::run({program(c.page)});
    std::string want = slurp(fixture(c.page, c.fixture, ".html"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out == want) << first_difference(want, r.out);
    // What a failed read leaves in the buffer is never shown.
    EXPECT_EQ(r.out.find("no attribute information"), std::string::npos);
    EXPECT_EQ(r.out.find("no node information"), std::string::npos);
    // The page only reads.
    EXPECT_EQ(root.get(testroot::kStoreFile), before);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, WanPages,
    testing::Values(Case{"portbind_list", "members_of_each_kind"}, Case{"portbind_list", "no_member"},
                    Case{"portbind_list", "long_name"}, Case{"portbind_list", "hostile_values"},
                    Case{"wan_pvc_list", "circuits"}, Case{"wan_pvc_list", "empty_store"},
                    Case{"wan_pvc_list", "hostile_values"}, Case{"wan_node_list", "nodes"},
                    Case{"wan_node_list", "named_circuit_0"}, Case{"wan_node_list", "empty_store"},
                    Case{"wan_node_list", "hostile_values"}, Case{"fwservice_list", "indices_0_1_3"},
                    Case{"fwservice_list", "attributes_missing"},
                    Case{"fwservice_list", "twenty_five"}, Case{"fwservice_list", "no_entry0"},
                    Case{"fwservice_list", "hostile_values"}, Case{"url_filter_list", "states"},
                    Case{"url_filter_list", "long_url"}, Case{"url_filter_list", "empty_store"},
                    Case{"url_filter_list", "hostile_values"}, Case{"ipv6_route_list", "routes"},
                    Case{"ipv6_route_list", "empty_store"}, Case{"ipv6_route_list", "hostile_values"},
                    Case{"ipv4_route_list", "routes"}, Case{"ipv4_route_list", "empty_store"},
                    Case{"ipv4_route_list", "hostile_values"}),
    [](const testing::TestParamInfo<Case> &info) {
        return std::string(info.param.page) + "_" + info.param.fixture;
    });

// A store that cannot be read gives the page of a store that holds nothing:
// every row its defaults, status 0.
TEST(WanPagesStore, UnreadableStoreGivesThePageOfAnEmptyStore)
{
    const Case empty[] = {
        {"portbind_list", "no_member"},     {"wan_pvc_list", "empty_store"},
        {"wan_node_list", "empty_store"},   {"fwservice_list", "no_entry0"},
        {"url_filter_list", "empty_store"}, {"ipv6_route_list", "empty_store"},
        {"ipv4_route_list", "empty_store"},
    };
    for (const Case &c : empty) {
        std::string want = slurp(fixture(c.page, c.fixture, ".html"));
        for (const char *text : {"garbage", "<ROMFILE><Wan_PVC0 Active=\"Yes\">", ""}) {
            testroot::TempRoot root;
            root.write_store_text(text);
            auto r = wytest::run({program(c.page)});
            EXPECT_EQ(r.status, 0) << c.page << " " << text;
            EXPECT_TRUE(r.out == want) << c.page << " " << text << "\n" << first_difference(want, r.out);
        }
    }
}

// Row counts on their own, so a wrong expected file cannot hide a wrong count.
TEST(WanPagesRows, RowCounts)
{
    struct RowCase {
        Case c;
        const char *row_start;
        size_t rows;
    } cases[] = {
        {{"portbind_list", "members_of_each_kind"}, "<tr><td align=\"center\" class=\"tabdata\">", 4},
        {{"portbind_list", "no_member"}, "<tr><td align=\"center\" class=\"tabdata\">", 0},
        {{"fwservice_list", "indices_0_1_3"}, "<tr class=\"tabcolor", 2},
        {{"fwservice_list", "twenty_five"}, "<tr class=\"tabcolor", 20},
        {{"fwservice_list", "no_entry0"}, "<tr class=\"tabcolor", 0},
        {{"url_filter_list", "states"}, "<tr class=\"tabcolor", 7},
        {{"wan_pvc_list", "circuits"}, "<tr class=\"tabcolor", 8},
        {{"wan_node_list", "nodes"}, "<tr class=\"tabcolor", 8},
        {{"ipv6_route_list", "routes"}, "<tr class=\"tabcolor", 16},
        {{"ipv4_route_list", "empty_store"}, "<tr class=\"tabcolor", 16},
    };
    for (const auto &rc : cases) {
        testroot::TempRoot root;
        root.write_store_text(slurp(fixture(rc.c.page, rc.c.fixture, ".cfg")));
        auto r = wytest::run({program(rc.c.page)});
        size_t rows = 0;
        for (size_t at = r.out.find(rc.row_start); at != std::string::npos;
             at = r.out.find(rc.row_start, at + 1))
            ++rows;
        EXPECT_EQ(rows, rc.rows) << rc.c;
    }
}

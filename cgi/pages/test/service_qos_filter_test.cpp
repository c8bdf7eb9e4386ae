// The service selector, the QoS queue page and the two packet filter pages
// against stored fixtures: each page byte for byte, then a few properties
// checked on their own so that a wrong expected file cannot hide them.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "golden.h"
#include "testroot.h"

namespace {

struct Fixture {
    const char *page;
    const char *name;
};

void PrintTo(const Fixture &f, std::ostream *os)
{
    *os << f.page << "/" << f.name;
}

std::string fixture(const Fixture &f, const char *ext)
{
    return golden::slurp(std::string(PAGES_TESTDATA) + "/" + f.page + "/" + f.name + ext);
}

wytest::RunResult run_page(const Fixture &f)
{
    testroot::TempRoot root;
    root.write_store_text(fixture(f, ".cfg"));
    std::string before = root.get(testroot::kStoreFile);
    auto r = wytest::run({std::string(PAGES_BIN) + "/" + f.page});
    // Pages only read.
    EXPECT_EQ(root.get(testroot::kStoreFile), before) << f.page << " " << f.name;
    return r;
}

std::string fixture_name(const testing::TestParamInfo<Fixture> &info)
{
    return std::string(info.param.page) + "_" + info.param.name;
}

} // namespace

class Golden : public testing::TestWithParam<Fixture> {};

TEST_P(Golden, PrintsThePageOfTheStore)
{
    const Fixture &f = GetParam();
    auto r = run_page(f);
    std::string want = fixture(f, ".html");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out == want) << golden::first_difference(want, r.out);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, Golden,
    testing::Values(
        Fixture{"qos_queue_list", "empty_store"}, Fixture{"fwservice_select", "empty_store"},
        Fixture{"ipmacfilter_list", "empty_store"}, Fixture{"ipv6macfilter_list", "empty_store"},
        Fixture{"qos_queue_list", "wrr"}, Fixture{"qos_queue_list", "wrr_percent_footer"},
        Fixture{"qos_queue_list", "priority_rate_percent"}, Fixture{"qos_queue_list", "priority_rate_absolute"},
        Fixture{"qos_queue_list", "priority_no_rate_column"}, Fixture{"qos_queue_list", "hiding_texts"},
        Fixture{"qos_queue_list", "hiding_texts_2"}, Fixture{"qos_queue_list", "qos_common_missing"},
        Fixture{"qos_queue_list", "cells_unreadable"}, Fixture{"qos_queue_list", "cells_unreadable_wrr"},
        Fixture{"qos_queue_list", "hostile_values"}, Fixture{"qos_queue_list", "hostile_values_percent"},
        Fixture{"qos_queue_list", "long_values"},
        Fixture{"fwservice_select", "no_action"}, Fixture{"fwservice_select", "action_2_builtin"},
        Fixture{"fwservice_select", "action_2_user"}, Fixture{"fwservice_select", "action_2_open_bracket"},
        Fixture{"fwservice_select", "action_4"}, Fixture{"fwservice_select", "action_2_service_unreadable"},
        Fixture{"fwservice_select", "action_2_preselect_case"}, Fixture{"fwservice_select", "twenty_five_users"},
        Fixture{"fwservice_select", "port_forms"}, Fixture{"fwservice_select", "list_ends_at_na_name"},
        Fixture{"fwservice_select", "list_ends_at_empty_name"}, Fixture{"fwservice_select", "list_ends_at_gap"},
        Fixture{"fwservice_select", "no_user_services"}, Fixture{"fwservice_select", "lang_yes_turkey"},
        Fixture{"fwservice_select", "hostile_values"}, Fixture{"fwservice_select", "long_values"},
        Fixture{"ipmacfilter_list", "indices_0_and_5"}, Fixture{"ipmacfilter_list", "reduced_form"},
        Fixture{"ipmacfilter_list", "form_flag_0"}, Fixture{"ipmacfilter_list", "form_flag_yes"},
        Fixture{"ipmacfilter_list", "form_flag_1_space"}, Fixture{"ipmacfilter_list", "form_flag_elsewhere"},
        Fixture{"ipmacfilter_list", "empty_values"}, Fixture{"ipmacfilter_list", "empty_values_reduced"},
        Fixture{"ipmacfilter_list", "twenty_rules"}, Fixture{"ipmacfilter_list", "hostile_values"},
        Fixture{"ipmacfilter_list", "hostile_values_reduced"},
        Fixture{"ipv6macfilter_list", "indices_0_and_5"}, Fixture{"ipv6macfilter_list", "icmpv6_type_words"},
        Fixture{"ipv6macfilter_list", "empty_values"}, Fixture{"ipv6macfilter_list", "no_rules"},
        Fixture{"ipv6macfilter_list", "hostile_values"}),
    fixture_name);

// How many rows or options, and which ones are marked, counted on the output.
TEST(PageShape, RowsAndSelections)
{
    struct Case {
        Fixture f;
        const char *marker;
        size_t count;
    } cases[] = {
        {{"fwservice_select", "twenty_five_users"}, "<option value=", 64 + 20},
        {{"fwservice_select", "twenty_five_users"}, "value=\"S19[TCP/1019]\"selected>", 1},
        {{"fwservice_select", "action_2_builtin"}, "value=\"HTTP[TCP/80]\"selected>", 1},
        {{"fwservice_select", "action_4"}, "\"selected>", 0},
        {{"fwservice_select", "no_user_services"}, "<option value=", 64},
        {{"fwservice_select", "port_forms"}, ">Game[UDP/5000:5100]</option>", 1},
        {{"fwservice_select", "port_forms"}, ">Game[UDP/5000]</option>", 1},
        {{"qos_queue_list", "priority_rate_percent"}, "<tr class=tabcolor1>", 2},
        {{"qos_queue_list", "priority_rate_percent"}, "<tr class=tabcolor2>", 1},
        {{"qos_queue_list", "priority_rate_percent"}, ">30%</td>", 1},
        {{"qos_queue_list", "wrr"}, "width=\"20%\">default</td>", 1},
        {{"qos_queue_list", "qos_common_missing"}, "<tr class=", 0},
        {{"qos_queue_list", "cells_unreadable"}, "information", 0},
        {{"ipmacfilter_list", "indices_0_and_5"}, "<tr class=\"tabcolor1\"><td align=center>1</td>", 1},
        {{"ipmacfilter_list", "indices_0_and_5"}, "<tr class=\"tabcolor2\"><td align=center>6</td>", 1},
        {{"ipmacfilter_list", "twenty_rules"}, "<tr class=\"tabcolor", 16},
        {{"ipmacfilter_list", "reduced_form"}, "<td align=", 2 * 5},
        {{"ipmacfilter_list", "indices_0_and_5"}, "<td align=", 2 * 10},
        {{"ipv6macfilter_list", "icmpv6_type_words"}, ">listener report v2</td>", 1},
        {{"ipv6macfilter_list", "icmpv6_type_words"}, "<td align=center>N/A</td>", 3},
    };
    for (const auto &c : cases) {
        auto r = run_page(c.f);
        EXPECT_EQ(golden::count(r.out, c.marker), c.count) << c.f.page << " " << c.f.name << ": " << c.marker;
    }
}

// Stored markup never reaches a page as markup: the hostile fixtures hold
// "<b>", "<script>", "<img", "</td>" and quotes in every printed value.
TEST(PageShape, HostileValuesComeOutEscaped)
{
    const Fixture hostile[] = {
        {"qos_queue_list", "hostile_values"}, {"qos_queue_list", "hostile_values_percent"},
        {"fwservice_select", "hostile_values"}, {"ipmacfilter_list", "hostile_values"},
        {"ipmacfilter_list", "hostile_values_reduced"}, {"ipv6macfilter_list", "hostile_values"},
    };
    for (const Fixture &f : hostile) {
        auto r = run_page(f);
        for (const char *raw : {"<b>", "<script>alert", "<img", "\"it's\"", "<130>", "</td><script>"})
            EXPECT_EQ(golden::count(r.out, raw), 0u) << f.page << " " << f.name << ": " << raw;
        EXPECT_GT(golden::count(r.out, "&lt;"), 0u) << f.page << " " << f.name;
    }
}

// A store that cannot be read gives each page whole, as a store holding
// nothing does, with status 0.
TEST(PageShape, UnreadableStoreGivesTheEmptyPage)
{
    for (const char *page : {"qos_queue_list", "fwservice_select", "ipmacfilter_list", "ipv6macfilter_list"}) {
        std::string want = fixture({page, "empty_store"}, ".html");
        for (const char *text : {"garbage", "<ROMFILE><QoS_Common Queue1=\"Yes\">"}) {
            testroot::TempRoot root;
            root.write_store_text(text);
            auto r = wytest::run({std::string(PAGES_BIN) + "/" + page});
            EXPECT_EQ(r.status, 0) << page << " " << text;
            EXPECT_TRUE(r.out == want) << page << " " << text << "\n" << golden::first_difference(want, r.out);
        }
    }
}

// The LAN-side list pages against stored fixtures, each page byte for byte,
// and the row count rule they share.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "row_count.h"
#include "golden.h"
#include "testroot.h"

namespace {

using golden::first_difference;
using golden::slurp;

struct Golden {
    const char *page;
    const char *fixture;
    int status; // exit status; 255 is the page's -1
};

std::ostream &operator<<(std::ostream &os, const Golden &g)
{
    return os << g.page << "/" << g.fixture;
}

} // namespace

class LanPage : public testing::TestWithParam<Golden> {};

TEST_P(LanPage, PrintsThePageOfTheStore)
{
    const Golden &g = GetParam();
    std::string dir = std::string(PAGES_TESTDATA) + "/" + g.page + "/";
    testroot::TempRoot root;
    root.write_store_text(slurp(dir + g.fixture + ".cfg"));
    std::string before = root.get(testroot::kStoreFile);
    auto r = wytest::run({std::string(PAGES_BIN) + "/" + g.page});
    std::string want = slurp(dir + g.fixture + ".html");
    EXPECT_EQ(r.status, g.status);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out == want) << first_difference(want, r.out);
    // The page only reads.
    EXPECT_EQ(root.get(testroot::kStoreFile), before);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, LanPage,
    testing::Values(
        Golden{"dhcp_static_list", "lease_states", 0}, Golden{"dhcp_static_list", "unset_never_match", 0},
        Golden{"dhcp_static_list", "count_missing", 255}, Golden{"dhcp_static_list", "count_huge", 0},
        Golden{"dhcp_static_list", "hostile_values", 0},
        Golden{"dhcp_lease_list", "na_between", 0}, Golden{"dhcp_lease_list", "count_na", 0},
        Golden{"dhcp_lease_list", "count_missing", 255}, Golden{"dhcp_lease_list", "count_huge", 0},
        Golden{"dhcp_lease_list", "hostile_values", 0},
        Golden{"dhcp6_lease_list", "na_between", 0}, Golden{"dhcp6_lease_list", "count_missing", 255},
        Golden{"dhcp6_lease_list", "count_huge", 0}, Golden{"dhcp6_lease_list", "hostile_values", 0},
        Golden{"wlan_ssid_list", "four_bssids", 0}, Golden{"wlan_ssid_list", "words_turkish", 0},
        Golden{"wlan_ssid_list", "count_missing", 255}, Golden{"wlan_ssid_list", "count_huge", 0},
        Golden{"wlan_ssid_list", "hostile_values", 0},
        Golden{"wifi_station_list", "stations", 0}, Golden{"wifi_station_list", "count_missing", 255},
        Golden{"wifi_station_list", "count_huge", 0}, Golden{"wifi_station_list", "hostile_values", 0},
        Golden{"samba_user_list", "no_users", 0}, Golden{"samba_user_list", "users", 0},
        Golden{"samba_user_list", "hostile_values", 0},
        Golden{"usb_printer_list", "printers_2_and_7", 0}, Golden{"usb_printer_list", "no_devices", 0},
        Golden{"usb_printer_list", "hostile_values", 0}));

TEST(RowCount, ParsesDecimalTextBoundedByTheMaximum)
{
    struct Case {
        const char *text;
        int max, count;
    } cases[] = {
        {"3", 64, 3},          {"0", 64, 0},           {"064", 64, 64},
        {"65", 64, 64},        {"2000000000", 64, 64}, {"99999999999999999999", 254, 254},
        {"", 64, 0},           {"N/A", 64, 0},         {"-1", 64, 0},
        {"-2000000000", 64, 0}, {"+3", 64, 0},         {" 3", 64, 0},
        {"3 ", 64, 0},         {"12abc", 64, 0},       {"99999999999999999999x", 64, 0},
        {"0x10", 64, 0},       {"7", 0, 0},            {"2147483647", 2147483647, 2147483647},
    };
    for (const auto &c : cases)
        EXPECT_EQ(row_count_parse(c.text, c.max), c.count) << "\"" << c.text << "\" max " << c.max;
}

// Unreadable is a failed read; a readable "N/A" is a count of 0.
TEST(RowCount, OnlyAFailedReadIsUnreadable)
{
    struct Case {
        bool node, attr;
        const char *value;
        bool readable;
        int count;
    } cases[] = {
        {false, false, "", false, 0}, {true, false, "", false, 0}, {true, true, "N/A", true, 0},
        {true, true, "", true, 0},    {true, true, "5", true, 5},  {true, true, "500", true, 64},
    };
    for (const auto &c : cases) {
        testroot::TempRoot root;
        testroot::Store s{{"Other", {{"NUM", "9"}}}};
        if (c.node) {
            s["Counted"]["Unrelated"] = "1";
            if (c.attr)
                s["Counted"]["NUM"] = c.value;
        }
        root.write_store(s);
        int count = -7;
        EXPECT_EQ(row_count_read("Counted", "NUM", 64, &count), c.readable) << c.node << c.attr << c.value;
        if (c.readable) {
            EXPECT_EQ(count, c.count) << c.value;
        }
    }
}

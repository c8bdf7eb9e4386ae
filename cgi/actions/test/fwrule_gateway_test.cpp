// The rule action and the rule list page inside a simulated gateway, as the
// web interface runs them: delete a rule, then list what is left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simtest.h"

namespace {

size_t count(const std::string &s, const std::string &what)
{
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(FwruleGateway, DeleteThenList)
{
    simtest::Gateway gw;
    std::string setup = "set -e; w=$WY_SYSROOT/userfs/bin/wyapi\n"
                        "$w set WebCurSet_Entry firewalldir_id WANtoLAN\n"
                        "$w set Firewall_Common WANtoLANNum 3\n";
    for (int i = 0; i < 3; ++i) {
        std::string node = " Firewall_WANtoLAN_Entry" + std::to_string(i) + " ";
        setup += "$w set" + node + "Active Yes\n";
        setup += "$w set" + node + "SrcIPAddrType SingleAddr\n";
        setup += "$w set" + node + "SrcStartIPAddr 10.0.0." + std::to_string(i) + "\n";
    }
    auto s = gw.run({"sh", "-c", setup});
    ASSERT_EQ(s.status, 0) << s.err;

    auto del = gw.run({"sh", "-c", "$WY_SYSROOT/userfs/cgi-bin/fwrule_action Delete 0"});
    EXPECT_EQ(del.status, 0) << del.err;
    EXPECT_EQ(del.out, "Delete actions");

    auto page = gw.run({"sh", "-c", "$WY_SYSROOT/userfs/cgi-bin/fwrule_list"});
    EXPECT_EQ(page.status, 0) << page.err;
    EXPECT_EQ(page.out.rfind("Content-Type: text/html\n\n", 0), 0u);
    EXPECT_EQ(count(page.out, "<tr class=\"tabcolor"), 2u);
    EXPECT_EQ(count(page.out, "align=center>10.0.0.0</td>"), 0u);
    EXPECT_EQ(count(page.out, "align=center>10.0.0.1</td>"), 1u);
    EXPECT_EQ(count(page.out, "align=center>10.0.0.2</td>"), 1u);

    auto counter = gw.run({"wyapi", "get", "Firewall_Common", "WANtoLANNum"});
    EXPECT_EQ(counter.out, "2\n");
    auto last = gw.run({"wyapi", "get", "Firewall_WANtoLAN_Entry2", "Active"});
    EXPECT_EQ(last.status, 1);
}

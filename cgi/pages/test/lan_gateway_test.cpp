// The LAN-side pages as installed in a simulated gateway, over the device's
// own store as the web interface's programs leave it.
#include <gtest/gtest.h>

#include <string>

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

// A static entry is shown live while its lease runs and editable once the
// lease has expired; the lease list shows the same lease.
TEST(LanGateway, StaticEntryFollowsItsLease)
{
    simtest::Gateway gw;
    auto s = gw.run({"sh", "-c",
                     "set -e; w=$WY_SYSROOT/userfs/bin/wyapi\n"
                     "$w set Dhcpd MaxStaticNum 1\n"
                     "$w set Dhcpd_Entry0 IP 192.168.1.20\n"
                     "$w set Dhcpd_Entry0 MAC 00:AA:BB:CC:DD:EE\n"
                     "$w set DhcpLease LeaseNum 2\n"
                     "$w set DhcpLease_Entry1 HostName 'tv<1>'\n"
                     "$w set DhcpLease_Entry1 IP 192.168.1.20\n"
                     "$w set DhcpLease_Entry1 MAC 00:AA:BB:CC:DD:EE\n"
                     "$w set DhcpLease_Entry1 ExpireTime 12:0:0\n"});
    ASSERT_EQ(s.status, 0) << s.err;

    auto live = gw.run({"sh", "-c", "$WY_SYSROOT/userfs/cgi-bin/dhcp_static_list"});
    EXPECT_EQ(live.status, 0) << live.err;
    EXPECT_EQ(count(live.out, "../i_active_on.gif"), 1u);
    EXPECT_EQ(count(live.out, "LAN_ClientInfo.asp?Index=0"), 0u);

    auto leases = gw.run({"sh", "-c", "$WY_SYSROOT/userfs/cgi-bin/dhcp_lease_list"});
    EXPECT_EQ(leases.status, 0) << leases.err;
    EXPECT_EQ(count(leases.out, "<tr class=\"tabcolor2\"><td width=\"15\" align=\"center\">1</td>"), 1u);
    EXPECT_EQ(count(leases.out, ">tv&lt;1&gt;</td>"), 1u);

    auto e = gw.run({"wyapi", "set", "DhcpLease_Entry1", "ExpireTime", "0:0:0"});
    ASSERT_EQ(e.status, 0) << e.err;
    auto expired = gw.run({"sh", "-c", "$WY_SYSROOT/userfs/cgi-bin/dhcp_static_list"});
    EXPECT_EQ(expired.status, 0) << expired.err;
    EXPECT_EQ(count(expired.out, "../i_active_off.gif"), 1u);
    EXPECT_EQ(count(expired.out, "LAN_ClientInfo.asp?Index=0"), 1u);
}

// Every page is installed; on a store without its list, a page that takes
// its rows from a count ends after the heading row with status -1, the
// others print their fixed table.
TEST(LanGateway, PagesOnAStoreWithoutTheirLists)
{
    simtest::Gateway gw;
    struct Case {
        const char *page;
        int status;
        const char *last;
    } cases[] = {
        {"dhcp_static_list", 255, "<span id='Modify'></span></td></tr>\n"},
        {"dhcp_lease_list", 255, "<span id='Mac_Address'></span></td>\n"},
        {"dhcp6_lease_list", 255, "<span id='IPv6_Client_DUID'></span></td>\n"},
        {"wlan_ssid_list", 255, "<span id='Modify'></span></td></tr>\n"},
        {"wifi_station_list", 255, "<span id='Asso_Time'></span></td>\n"},
        {"samba_user_list", 0, "Multi_Language(0);</script></html>\n"},
        {"usb_printer_list", 0, "Multi_Language(0);</script></html>\n"},
    };
    for (const auto &c : cases) {
        auto r = gw.run({"sh", "-c", std::string("$WY_SYSROOT/userfs/cgi-bin/") + c.page});
        EXPECT_EQ(r.status, c.status) << c.page << "\n" << r.err;
        EXPECT_EQ(r.out.rfind("Content-Type: text/html\n\n", 0), 0u) << c.page;
        std::string last = c.last;
        EXPECT_TRUE(r.out.size() >= last.size() && r.out.compare(r.out.size() - last.size(), last.size(), last) == 0)
            << c.page << " ends in: " << r.out.substr(r.out.size() > 80 ? r.out.size() - 80 : 0);
    }
}

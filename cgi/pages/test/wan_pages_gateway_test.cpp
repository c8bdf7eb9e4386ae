// The WAN, routing and filter list pages inside a simulated gateway, installed
// where the web server runs them, over values set through the store's command
// line as the web interface sets them.
#include <gtest/gtest.h>

#include <string>

#include "simtest.h"

TEST(WanPagesGateway, PagesShowWhatTheCommandLineStored)
{
    simtest::Gateway gw;
    auto s = gw.run({"sh", "-c",
                     "set -e; w=$WY_SYSROOT/userfs/bin/wyapi\n"
                     "$w set PortBind_Entry2 e3 Yes\n"
                     "$w set PortBind_Entry2 Name 'IPTV & <VoIP>'\n"
                     "$w set Wan_PVC1 Active Yes\n"
                     "$w set Wan_PVC1 VPI 8\n"
                     "$w set Wan_PVC1 VCI 35\n"
                     "$w set DeviceInfo_PVC1 WanIP 100.64.0.9\n"
                     "$w set FWService_Entry0 ServiceName \"Bob's game\"\n"
                     "$w set FWService_Entry0 ServicePortType rangePort\n"
                     "$w set FWService_Entry0 StartPort 7000\n"
                     "$w set FWService_Entry0 EndPort 7100\n"
                     "$w set UrlFilter_Entry1 Activate 1\n"
                     "$w set UrlFilter_Entry1 URL 'ads.example/?a=1&b=2'\n"
                     "$w set IPv6Route_Entry0 DST_IP 2001:db8::\n"
                     "$w set Route_Entry3 Gateway 192.168.1.254\n"});
    ASSERT_EQ(s.status, 0) << s.err;

    struct Case {
        const char *page;
        const char *shows;
    } cases[] = {
        {"portbind_list", "<td align=\"center\" class=\"tabdata\">IPTV &amp; &lt;VoIP&gt;</td>"
                          "<td align=\"center\" class=\"tabdata\">eth3,</td></tr>\n"},
        {"wan_pvc_list", "<td width=\"20%\" align=\"center\">100.64.0.9</td>\n"},
        {"wan_node_list", "<td width=\"15%\" align=\"center\">8/35</td>\n"},
        {"fwservice_list", "<td width=\"25%\" align=\"center\">Bob&#39;s game</td>\n"},
        {"fwservice_list", "<td width=\"25%\" align=center>7000-7100</td>\n"},
        {"url_filter_list", "<td align=center width=7%>2</td><td align=center width=7%>Yes</td>"
                            "<td align=center width=95%>ads.example/?a=1&amp;b=2</td>"},
        {"ipv6_route_list", "<strong>1</strong></div></td><td width=\"20%\"><div align=\"center\">"
                            "2001:db8::</div></td>"},
        {"ipv4_route_list", "<div align=\"center\">192.168.1.254</div></td>"},
    };
    for (const Case &c : cases) {
        auto page = gw.run({"sh", "-c", std::string("$WY_SYSROOT/userfs/cgi-bin/") + c.page});
        EXPECT_EQ(page.status, 0) << c.page << ": " << page.err;
        EXPECT_EQ(page.out.rfind("Content-Type: text/html\n\n", 0), 0u) << c.page;
        EXPECT_NE(page.out.find(c.shows), std::string::npos) << c.page << " lacks " << c.shows;
        EXPECT_TRUE(page.out.ends_with("</script></html>\n")) << c.page;
    }
}

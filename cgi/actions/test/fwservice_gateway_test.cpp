// The service action, the service selector, the QoS queue page and the packet
// filter pages inside a simulated gateway, as the web interface runs them.
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

simtest::RunResult cgi(const simtest::Gateway &gw, const std::string &line)
{
    return gw.run({"sh", "-c", "$WY_SYSROOT/userfs/cgi-bin/" + line});
}

} // namespace

TEST(FwserviceGateway, ListDeleteList)
{
    simtest::Gateway gw;
    std::string setup = "set -e; w=$WY_SYSROOT/userfs/bin/wyapi\n"
                        "$w set Firewall_Common ServiceNum 3\n"
                        "$w set WebCurSet_Entry firewallrule_action 2\n"
                        "$w set Firewall_Direction_Entry Service 'Svc2[TCP/8002]'\n";
    for (int i = 0; i < 3; ++i) {
        std::string node = " FWService_Entry" + std::to_string(i) + " ";
        setup += "$w set" + node + "ServiceName Svc" + std::to_string(i) + "\n";
        setup += "$w set" + node + "Protocol TCP\n";
        setup += "$w set" + node + "ServicePortType singlePort\n";
        setup += "$w set" + node + "StartPort 800" + std::to_string(i) + "\n";
    }
    auto s = gw.run({"sh", "-c", setup});
    ASSERT_EQ(s.status, 0) << s.err;

    auto before = cgi(gw, "fwservice_select");
    EXPECT_EQ(before.status, 0) << before.err;
    EXPECT_EQ(before.out.rfind("Content-Type: text/html\n\n", 0), 0u);
    EXPECT_EQ(count(before.out, "<option value="), 64u + 3u);
    EXPECT_EQ(count(before.out, "<option value=\"Svc2[TCP/8002]\"selected>"), 1u);

    auto del = cgi(gw, "fwservice_action Delete 1");
    EXPECT_EQ(del.status, 0) << del.err;
    EXPECT_EQ(del.out, "");

    auto after = cgi(gw, "fwservice_select");
    EXPECT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(count(after.out, "<option value="), 64u + 2u);
    EXPECT_EQ(count(after.out, ">Svc0[TCP/8000]</option>"), 1u);
    EXPECT_EQ(count(after.out, ">Svc1[TCP/8001]</option>"), 0u);
    EXPECT_EQ(count(after.out, "<option value=\"Svc2[TCP/8002]\"selected>"), 1u);
    EXPECT_EQ(gw.run({"wyapi", "get", "Firewall_Common", "ServiceNum"}).out, "2\n");
    EXPECT_EQ(gw.run({"wyapi", "get", "FWService_Entry2", "ServiceName"}).status, 1);

    // Out of range now: nothing changes.
    auto refused = cgi(gw, "fwservice_action Delete 2");
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(gw.run({"wyapi", "get", "Firewall_Common", "ServiceNum"}).out, "2\n");
    EXPECT_EQ(gw.run({"wyapi", "get", "FWService_Entry1", "ServiceName"}).out, "Svc2\n");
}

TEST(FwserviceGateway, QosAndFilterPages)
{
    simtest::Gateway gw;
    auto s = gw.run({"sh", "-c",
                     "set -e; w=$WY_SYSROOT/userfs/bin/wyapi\n"
                     "$w set QoS_Common Discipline SP\n"
                     "$w set QoS_Common QoSRateLimit Yes\n"
                     "$w set QoS_Common QoSRatePercent Yes\n"
                     "$w set QoS_Common Queue1 Yes\n"
                     "$w set QoS_Common QueueSP1 1\n"
                     "$w set QoS_Common QueueRate1 30\n"
                     "$w set QoS_Common Queue3 Yes\n"
                     "$w set IpMacFilter_Entry2 Active Yes\n"
                     "$w set IpMacFilter_Entry2 MacAddr 00:11:22:33:44:55\n"
                     "$w set Ipv6MacFilter_Entry0 Active No\n"
                     "$w set Ipv6MacFilter_Entry0 ICMPv6Type 143\n"});
    ASSERT_EQ(s.status, 0) << s.err;

    auto qos = cgi(gw, "qos_queue_list");
    EXPECT_EQ(qos.status, 0) << qos.err;
    EXPECT_EQ(count(qos.out, "<tr class=tabcolor"), 2u);
    EXPECT_EQ(count(qos.out, ">30%</td>"), 1u);
    EXPECT_EQ(count(qos.out, ">No limit</td>"), 1u);
    EXPECT_EQ(count(qos.out, "Multi_Language1(0,\"SP\",\"Yes\");"), 1u);

    auto v4 = cgi(gw, "ipmacfilter_list");
    EXPECT_EQ(v4.status, 0) << v4.err;
    EXPECT_EQ(count(v4.out, "<tr class=\"tabcolor1\"><td align=center>3</td>"), 1u);
    EXPECT_EQ(count(v4.out, "<td align=center>00:11:22:33:44:55</td>"), 1u);

    auto v6 = cgi(gw, "ipv6macfilter_list");
    EXPECT_EQ(v6.status, 0) << v6.err;
    EXPECT_EQ(count(v6.out, "<td align=center>listener report v2</td>"), 1u);
    EXPECT_EQ(count(v6.out, "<tr class=\"tabcolor"), 1u);
}

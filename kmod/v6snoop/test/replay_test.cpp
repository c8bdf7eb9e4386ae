// Real MLD traffic of the Linux IPv6 stack (captured by capture.sh), replayed
// through the forward hook: one capture per bridge port p1..p4.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "replay.h"

namespace {

using v6replay::Decision;
using v6replay::Membership;

std::vector<v6replay::PortInput> captures()
{
    std::vector<v6replay::PortInput> in;
    for (const char *p : {"p1", "p2", "p3", "p4"})
        in.push_back({p, std::string(V6SNOOP_CAPTURES) + "/" + p + ".pcap"});
    return in;
}

// The hosts' MAC addresses, from the frames each port received.
std::map<std::string, std::string> host_macs()
{
    std::map<std::string, std::string> m;
    for (const auto &in : captures()) {
        v6replay::Capture c = v6replay::read_pcap(in.path);
        EXPECT_TRUE(c.error.empty()) << c.error;
        EXPECT_FALSE(c.packets.empty());
        if (c.packets.empty() || c.packets[0].bytes.size() < 12)
            continue;
        const uint8_t *s = c.packets[0].bytes.data() + 6;
        char buf[18];
        std::snprintf(buf, sizeof buf, "%02x:%02x:%02x:%02x:%02x:%02x", s[0], s[1], s[2], s[3], s[4], s[5]);
        m[in.name] = buf;
    }
    return m;
}

const Decision *find(const std::vector<Decision> &ds, const std::string &what)
{
    for (const Decision &d : ds)
        if (d.what == what)
            return &d;
    return nullptr;
}

std::vector<std::string> sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

class Replay : public ::testing::TestWithParam<unsigned long> {};

TEST_P(Replay, LinuxHostsAreLearntOnTheirPortsAndDataFollowsMembership)
{
    auto mac = host_macs();
    v6replay::Outcome out = v6replay::replay(captures(), GetParam());
    ASSERT_TRUE(out.error.empty()) << out.error;
    ASSERT_FALSE(out.decisions.empty());

    // Just before the first data: every join of the four hosts learnt on its
    // own port, and none of the link-local groups (solicited-node) they joined.
    const Decision *phase1 = find(out.decisions, "UDP ff05::1:3 \"phase1\"");
    ASSERT_NE(phase1, nullptr);
    std::vector<Membership> want = {{"p1", "33:33:00:01:00:03", mac["p1"]},
                                    {"p2", "33:33:00:01:00:03", mac["p2"]},
                                    {"p2", "33:33:00:01:00:05", mac["p2"]},
                                    {"p3", "33:33:00:02:00:07", mac["p3"]}};
    std::vector<Membership> have = phase1->table;
    auto by_key = [](const Membership &a, const Membership &b) {
        return std::tie(a.port, a.group, a.host) < std::tie(b.port, b.group, b.host);
    };
    std::sort(have.begin(), have.end(), by_key);
    EXPECT_EQ(have, want);

    struct Data {
        const char *what;
        std::vector<std::string> copies;
    };
    const Data data[] = {
        {"UDP ff05::1:3 \"phase1\"", {"p1", "p2"}},
        {"UDP ff0e::1:5 \"phase1\"", {"p2"}},
        {"UDP ff0e::2:7 \"phase1\"", {"p3"}},
        {"UDP ff0e::9:9 \"phase1\"", {}},
        // After h1's Done, h2's leave of ff0e::1:5 and h3's BLOCK record.
        {"UDP ff05::1:3 \"phase2\"", {"p2"}},
        {"UDP ff0e::1:5 \"phase2\"", {}},
        {"UDP ff0e::2:7 \"phase2\"", {}},
        {"UDP ff0e::9:9 \"phase2\"", {}},
    };
    for (const Data &d : data) {
        SCOPED_TRACE(d.what);
        const Decision *x = find(out.decisions, d.what);
        ASSERT_NE(x, nullptr);
        EXPECT_EQ(x->port, "p4");
        EXPECT_EQ(x->result, 1);
        EXPECT_EQ(sorted(x->copies), d.copies);
    }

    // h1's Done is held back: h2 still listens to the group.
    const Decision *done = find(out.decisions, "MLDv1 done ff05::1:3");
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->port, "p1");
    EXPECT_EQ(done->result, 1);

    // Every report, query and other frame went on through the bridge.
    for (const Decision &d : out.decisions) {
        if (d.what.rfind("UDP", 0) != 0 && d.what.rfind("MLDv1 done", 0) != 0) {
            EXPECT_EQ(d.result, 0) << d.what;
        }
    }

    // At the end only h2's membership of ff05::1:3 remains, aged from its last
    // report to the last frame.
    uint64_t last_report = 0;
    for (const Decision &d : out.decisions)
        if (d.port == "p2" && d.what.rfind("MLDv2 report", 0) == 0 && d.what.find("ff05::1:3") != std::string::npos)
            last_report = d.usec;
    const uint64_t elapsed = out.decisions.back().usec * 100 / 1000000 - last_report * 100 / 1000000;
    std::string host;
    for (int i = 0; i < 6; i++) {
        char b[8];
        std::snprintf(b, sizeof b, "%s0x%x", i ? " " : "",
                      unsigned(std::stoul(mac["p2"].substr(3 * size_t(i), 2), nullptr, 16)));
        host += b;
    }
    EXPECT_EQ(out.show, "MLD snooping Status:On\n"
                        "MLD snooping List Age is:150\n"
                        "***********MLD snooping list Start***********\n"
                        "Dev:p2, Group:0x33 0x33 0x0 0x1 0x0 0x3, Host:" + host +
                        ", Age Left:" + std::to_string((15000 - elapsed) / 100) + "\n"
                        "***********MLD snooping list End***********\n");
}

INSTANTIATE_TEST_SUITE_P(StartTicks, Replay, ::testing::Values(0x10000ul, 0xffffff00ul));

TEST(Pcap, RejectsMalformedFiles)
{
    std::vector<uint8_t> ok = {0xd4, 0xc3, 0xb2, 0xa1, 2, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               0xff, 0xff, 0, 0, 1, 0, 0, 0};
    struct Case {
        const char *name;
        std::vector<uint8_t> file;
        bool ok;
        size_t packets;
    };
    auto with = [&](std::vector<uint8_t> tail) {
        std::vector<uint8_t> f = ok;
        f.insert(f.end(), tail.begin(), tail.end());
        return f;
    };
    std::vector<uint8_t> big_endian = {0xa1, 0xb2, 0xc3, 0xd4, 0, 2, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0,
                                       0, 0, 0xff, 0xff, 0, 0, 0, 1,
                                       0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0, 2, 0xab, 0xcd};
    std::vector<uint8_t> not_pcap = ok;
    not_pcap[0] = 0x0a;
    std::vector<uint8_t> linktype_raw = ok;
    linktype_raw[20] = 101;
    const Case cases[] = {
        {"header only", ok, true, 0},
        {"one record", with({1, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0, 3, 0, 0, 0, 7, 8, 9}), true, 1},
        {"big-endian file", big_endian, true, 1},
        {"short header", std::vector<uint8_t>(ok.begin(), ok.begin() + 23), false, 0},
        {"not pcap", not_pcap, false, 0},
        {"link type not Ethernet", linktype_raw, false, 0},
        {"truncated record header", with({1, 0, 0, 0}), false, 0},
        {"record past the end", with({1, 0, 0, 0, 5, 0, 0, 0, 9, 0, 0, 0, 9, 0, 0, 0, 7}), false, 0},
        {"record above the snapshot limit", with({1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0x10, 0}), false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        v6replay::Capture cap = v6replay::parse_pcap(c.file);
        EXPECT_EQ(cap.error.empty(), c.ok) << cap.error;
        EXPECT_EQ(cap.packets.size(), c.packets);
    }
    v6replay::Capture be = v6replay::parse_pcap(big_endian);
    ASSERT_EQ(be.packets.size(), 1u);
    EXPECT_EQ(be.packets[0].usec, 1000005u);
    EXPECT_EQ(be.packets[0].bytes, (std::vector<uint8_t>{0xab, 0xcd}));
}

} // namespace

// The forward and deliver hooks over crafted frames.
#include <algorithm>

#include "fixture.h"

namespace v6test {
namespace {

using namespace frames;

class Hooks : public Bridge {
protected:
    void reset_table()
    {
        br_mldsnoop_cleanup_hook();
        br_mldsnoop_start_hook();
        br_mldsnoop_enable_hook(1);
        wyk_rcu_grace_period();
        wyk_sent_clear();
    }

    void learn(int i, const Mac &host, const char *group)
    {
        ASSERT_EQ(forward(i, mld_v1(131, host, ip6(group), ip6(group))), 0);
    }

    static std::vector<std::pair<std::string, int>> sorted(std::vector<std::pair<std::string, int>> v)
    {
        std::sort(v.begin(), v.end());
        return v;
    }
};

Bytes with_bytes(Bytes f, size_t at, std::initializer_list<uint8_t> bytes)
{
    std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<long>(at));
    return f;
}

Bytes cut(Bytes f, size_t n)
{
    f.resize(n);
    return f;
}

TEST_F(Hooks, SingleFramesFromAnEmptyTable)
{
    const Bytes report = mld_v1(131, kHostA, ip6("ff05::1:3"), ip6("ff05::1:3"));
    struct Case {
        const char *name;
        int port;
        Bytes frame;
        std::vector<Entry> learnt;
    };
    const std::vector<Case> cases = {
        {"v1 report to ff05 (site scope) is recorded", 0, report, {entry(0, "ff05::1:3", kHostA)}},
        {"v1 report to ff0e (global scope) is recorded", 1, mld_v1(131, kHostB, ip6("ff0e::1:3"), ip6("ff0e::1:3")),
         {entry(1, "ff0e::1:3", kHostB)}},
        {"v1 report to ff02 (link scope) is not", 0, mld_v1(131, kHostA, ip6("ff02::1:3"), ip6("ff02::1:3")), {}},
        {"v1 report to ff01 (interface scope) is not", 0, mld_v1(131, kHostA, ip6("ff01::3"), ip6("ff01::3")), {}},
        {"v1 report with hop limit 64", 0, mld_v1(131, kHostA, ip6("ff05::1:3"), ip6("ff05::1:3"), 64), {}},
        {"v1 report with payload length 31", 0, mld_v1(131, kHostA, ip6("ff05::1:3"), ip6("ff05::1:3"), 1, 31), {}},
        {"v1 report from the bridge device (no port)", -1, report, {}},
        {"v1 query", 0, mld_v1(130, kHostA, ip6("ff02::1"), Addr{}), {}},
        {"v2 query", 0, mld_v2_query(kHostA), {}},
        {"EtherType IPv4 to a 33-33 address", 0, with_bytes(report, 12, {0x08, 0x00}), {}},
        {"VLAN-tagged frame", 0, with_bytes(report, 12, {0x81, 0x00}), {}},
        {"destination not 33-33", 0, with_bytes(report, 0, {0x01, 0x00, 0x5e}), {}},
        {"neighbour solicitation", 0, neighbour_solicitation(kHostA, ip6("fe80::2")), {}},
        {"v2 report, EXCLUDE with no sources", 2, mld_v2(kHostC, {{2, ip6("ff05::10")}}),
         {entry(2, "ff05::10", kHostC)}},
        {"Ethernet header only", 0, cut(report, 14), {}},
        {"IPv6 fixed header only", 0, cut(report, 54), {}},
        {"report cut before its ICMPv6 type", 0, cut(report, 14 + 48), {}},
        {"v2 report cut inside its record count", 0, cut(mld_v2(kHostA, {{2, ip6("ff05::10")}}), 14 + 55), {}},
        {"v2 report cut inside its first record", 0, cut(mld_v2(kHostA, {{2, ip6("ff05::10")}}), 14 + 75), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        reset_table();
        EXPECT_EQ(forward(c.port, c.frame), 0);
        EXPECT_EQ(table(), c.learnt);
        EXPECT_EQ(wyk_sent_count(), 0u);
    }
}

TEST_F(Hooks, DisabledLeavesEveryFrameToTheBridge)
{
    learn(0, kHostA, "ff05::1:3");
    br_mldsnoop_enable_hook(0);
    const std::vector<Bytes> frames = {
        mld_v1(131, kHostB, ip6("ff05::2"), ip6("ff05::2")),
        mld_v1(132, kHostA, ip6("ff02::2"), ip6("ff05::1:3")),
        mld_v2(kHostB, {{6, ip6("ff05::1:3"), 1}}),
        udp(kHostC, ip6("ff05::1:3")),
        udp(kHostC, ip6("ff0e::9:9")),
    };
    for (const Bytes &f : frames) {
        EXPECT_EQ(forward(2, f), 0);
        bool consumed = true;
        EXPECT_EQ(deliver(f, &consumed), 0);
        EXPECT_FALSE(consumed);
    }
    EXPECT_EQ(table(), std::vector<Entry>{entry(0, "ff05::1:3", kHostA)});
    EXPECT_EQ(wyk_sent_count(), 0u);
}

TEST_F(Hooks, DoneIsHeldBackWhileOtherMembersRemain)
{
    learn(0, kHostA, "ff05::1:3");
    learn(1, kHostB, "ff05::1:3");
    const Bytes done_c = mld_v1(132, kHostC, ip6("ff02::2"), ip6("ff05::1:3"));
    EXPECT_EQ(forward(2, done_c), 1) << "a Done from a non-member changes nothing";
    EXPECT_EQ(table().size(), 2u);

    EXPECT_EQ(forward(0, mld_v1(132, kHostA, ip6("ff02::2"), ip6("ff05::1:3"))), 1);
    EXPECT_EQ(table(), std::vector<Entry>{entry(1, "ff05::1:3", kHostB)});
    EXPECT_EQ(forward(1, mld_v1(132, kHostB, ip6("ff02::2"), ip6("ff05::1:3"))), 0);
    EXPECT_TRUE(table().empty());
    EXPECT_EQ(wyk_sent_count(), 0u);
}

TEST_F(Hooks, DoneOfOneOfTwoHostsBehindOnePort)
{
    learn(0, kHostA, "ff0e::1:5");
    learn(0, kHostB, "ff0e::1:5");
    EXPECT_EQ(forward(0, mld_v1(132, kHostB, ip6("ff02::2"), ip6("ff0e::1:5"))), 1);
    EXPECT_EQ(table(), std::vector<Entry>{entry(0, "ff0e::1:5", kHostA)});
}

TEST_F(Hooks, DeliverVariantConsumesTheDoneItHoldsBack)
{
    learn(0, kHostA, "ff05::1:3");
    bool consumed = false;
    // The bridge device's own Done: no port, so nothing is deleted, and the
    // group keeps its member.
    EXPECT_EQ(deliver(mld_v1(132, kHostC, ip6("ff02::2"), ip6("ff05::1:3")), &consumed), 1);
    EXPECT_TRUE(consumed);
    EXPECT_EQ(table().size(), 1u);
    EXPECT_EQ(deliver(mld_v1(132, kHostC, ip6("ff02::2"), ip6("ff05::77")), &consumed), 0);
    EXPECT_FALSE(consumed);
}

TEST_F(Hooks, MldV2RecordTypes)
{
    enum Kind { Add, Del, None };
    struct Case {
        uint8_t type;
        uint16_t sources;
        Kind kind;
    };
    const Case cases[] = {
        {1, 1, Add}, {1, 0, Del}, {2, 0, Add}, {2, 2, Add}, {3, 1, Add}, {3, 0, Del},
        {4, 0, Add}, {4, 1, Add}, {5, 1, Add}, {5, 0, Add}, {6, 1, Del}, {6, 0, Del},
        {0, 0, None}, {7, 1, None}, {255, 0, None},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "record type " << int(c.type) << ", " << c.sources << " sources");
        reset_table();
        // A member of ff05::20 already; the report also names ff05::21, new.
        ASSERT_EQ(forward(0, mld_v2(kHostA, {{2, ip6("ff05::20")}})), 0);
        wyk_advance(100);
        EXPECT_EQ(forward(0, mld_v2(kHostA, {{c.type, ip6("ff05::20"), c.sources},
                                             {c.type, ip6("ff05::21"), c.sources}})),
                  0);
        std::vector<Entry> want;
        if (c.kind == Add)
            want = {entry(0, "ff05::21", kHostA), entry(0, "ff05::20", kHostA)};
        else if (c.kind == None)
            want = {entry(0, "ff05::20", kHostA)};
        EXPECT_EQ(table(), want);
        if (c.kind == Add) {
            const mldsnoop_entry *oldest = list_entry(mldsnoop_list.list.prev, mldsnoop_entry, list);
            EXPECT_EQ(oldest->expires, jiffies + MLDSNOOP_DEFAULT_AGE) << "refreshed";
        }
    }
}

TEST_F(Hooks, MldV2MixedReportAddsOneGroupAndDeletesAnother)
{
    ASSERT_EQ(forward(1, mld_v2(kHostB, {{4, ip6("ff05::b")}})), 0);
    EXPECT_EQ(forward(1, mld_v2(kHostB, {{2, ip6("ff05::a")}, {3, ip6("ff05::b")}})), 0);
    EXPECT_EQ(table(), std::vector<Entry>{entry(1, "ff05::a", kHostB)});
}

TEST_F(Hooks, MldV2WalkSkipsLocalAndNonMulticastRecordsAndGoesOn)
{
    EXPECT_EQ(forward(0, mld_v2(kHostA, {{2, ip6("ff05::a")},
                                         {2, ip6("ff02::fb")},
                                         {4, ip6("ff01::1")},
                                         {2, ip6("2001:db8::1")},
                                         {4, ip6("ff0e::b"), 2},
                                         {5, ip6("ff0e::c"), 1}})),
              0);
    EXPECT_EQ(table(), (std::vector<Entry>{entry(0, "ff0e::c", kHostA), entry(0, "ff0e::b", kHostA),
                                           entry(0, "ff05::a", kHostA)}));
}

TEST_F(Hooks, MldV2WalkStopsWhereCountsRunPastThePayload)
{
    struct Case {
        const char *name;
        Bytes frame;
        std::vector<Entry> learnt;
    };
    Bytes short_payload = mld_v2(kHostA, {{2, ip6("ff05::a")}, {2, ip6("ff05::b")}});
    short_payload[18] = 0;
    short_payload[19] = 8 + 8 + 20; // the payload holds the first record only
    Bytes sources_past_end = mld_v2(kHostA, {{2, ip6("ff05::a")}, {2, ip6("ff05::b"), 1}, {2, ip6("ff05::c")}});
    sources_past_end[14 + 56 + 20 + 3] = 3; // claims three sources where one and a record follow
    const std::vector<Case> cases = {
        {"more records declared than present", mld_v2(kHostA, {{2, ip6("ff05::a")}, {2, ip6("ff05::b")}}, 40),
         {entry(0, "ff05::b", kHostA), entry(0, "ff05::a", kHostA)}},
        {"payload length ends before the second record", short_payload, {entry(0, "ff05::a", kHostA)}},
        {"source count runs past the end", sources_past_end, {entry(0, "ff05::a", kHostA)}},
        {"65535 records, none present", mld_v2(kHostA, {}, 65535), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        reset_table();
        EXPECT_EQ(forward(0, c.frame), 0);
        EXPECT_EQ(table(), c.learnt);
    }
}

TEST_F(Hooks, DataGoesToMemberPortsOnly)
{
    learn(0, kHostA, "ff05::1:3");
    learn(1, kHostB, "ff05::1:3");
    learn(1, kHostB, "ff0e::1:5");
    using Sent = std::vector<std::pair<std::string, int>>;

    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::1:3"))), 1);
    EXPECT_EQ(sorted(take_sent()), (Sent{{"lan1", 0}, {"lan2", 0}}));
    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::1:3"), "frag", 44)), 1) << "fragments take the data path";
    EXPECT_EQ(sorted(take_sent()), (Sent{{"lan1", 0}, {"lan2", 0}}));
    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff0e::1:5"))), 1);
    EXPECT_EQ(take_sent(), (Sent{{"lan2", 0}}));
    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff0e::9:9"))), 1) << "no member: no copy, and not flooded";
    EXPECT_TRUE(take_sent().empty());
    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::1:3"), "tcp", 6)), 0) << "neither UDP nor a fragment";
    EXPECT_TRUE(take_sent().empty());

    bool consumed = false;
    EXPECT_EQ(deliver(udp(kHostC, ip6("ff05::1:3")), &consumed), 1);
    EXPECT_TRUE(consumed);
    EXPECT_EQ(sorted(take_sent()), (Sent{{"lan1", 1}, {"lan2", 1}}));
    EXPECT_EQ(deliver(udp(kHostC, ip6("ff0e::9:9")), &consumed), 1);
    EXPECT_TRUE(consumed);
    EXPECT_TRUE(take_sent().empty());
}

TEST_F(Hooks, OneCopyPerMemberPortWhateverItsListeners)
{
    learn(2, kHostA, "ff0e::1:5");
    learn(0, kHostC, "ff0e::1:5");
    learn(2, kHostB, "ff0e::1:5");
    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff0e::1:5"))), 1);
    EXPECT_EQ(sorted(take_sent()), (std::vector<std::pair<std::string, int>>{{"lan1", 0}, {"lan3", 0}}));
    EXPECT_EQ(table().size(), 3u);
}

// More member ports than the send path remembers at once: still one copy each.
TEST_F(Hooks, OneCopyPerPortOnAWideBridge)
{
    std::vector<Port> wide(20);
    const Addr g = ip6("ff0e::1:5");
    for (size_t i = 0; i < wide.size(); i++) {
        std::snprintf(wide[i].dev.name, IFNAMSIZ, "wl%u", unsigned(i % 100));
        wide[i].port.dev = &wide[i].dev;
        ASSERT_EQ(br_mldsnoop_add(&wide[i].port, group_mac(g).data(), kHostA.data()), 1);
        ASSERT_EQ(br_mldsnoop_add(&wide[i].port, group_mac(g).data(), kHostB.data()), 1);
    }
    EXPECT_EQ(forward(3, udp(kHostC, g)), 1);
    auto sent = sorted(take_sent());
    EXPECT_EQ(sent.size(), wide.size());
    EXPECT_EQ(std::adjacent_find(sent.begin(), sent.end()), sent.end()) << "a port got two copies";
    br_mldsnoop_cleanup_hook(); // the ports go before the table would
    wyk_rcu_grace_period();
}

TEST_F(Hooks, FailedCopyLeavesTheFrameToTheBridge)
{
    learn(0, kHostA, "ff05::1:3");
    learn(1, kHostB, "ff05::1:3");
    for (unsigned long nth : {1ul, 2ul}) {
        SCOPED_TRACE(testing::Message() << "copy " << nth << " fails");
        wyk_skb_clone_fail_nth(nth);
        EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::1:3"))), 0);
        EXPECT_EQ(take_sent().size(), nth - 1) << "copies made before the failure stay sent";

        wyk_skb_clone_fail_nth(nth);
        bool consumed = true;
        EXPECT_EQ(deliver(udp(kHostC, ip6("ff05::1:3")), &consumed), 0);
        EXPECT_FALSE(consumed) << "the bridge still has to send it";
        EXPECT_EQ(take_sent().size(), nth - 1);
    }
}

TEST_F(Hooks, ReportNotRecordedWhenMemoryRunsOut)
{
    const Bytes report = mld_v1(131, kHostA, ip6("ff05::1:3"), ip6("ff05::1:3"));
    wyk_kmalloc_fail_nth(1);
    EXPECT_EQ(forward(0, report), 0);
    EXPECT_TRUE(table().empty());
    EXPECT_EQ(forward(0, report), 0);
    EXPECT_EQ(table(), std::vector<Entry>{entry(0, "ff05::1:3", kHostA)}) << "the next report tries again";
}

TEST_F(Hooks, FullTableFloodsGroupsItCouldNotRecord)
{
    mldsnoop_max_entries = 2;
    learn(0, kHostA, "ff05::1");
    learn(1, kHostB, "ff05::2");
    learn(2, kHostC, "ff05::3"); // refused: the table is full
    EXPECT_EQ(table().size(), 2u);
    EXPECT_EQ(br_mldsnoop_add(port(2), frames::group_mac(ip6("ff05::3")).data(), kHostC.data()), 0);

    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::3"))), 0) << "flooded: its listener is unknown";
    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::4"))), 0);
    bool consumed = true;
    EXPECT_EQ(deliver(udp(kHostC, ip6("ff05::3")), &consumed), 0);
    EXPECT_FALSE(consumed) << "the bridge floods it, so the module must not free it";
    EXPECT_TRUE(take_sent().empty());
    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::1"))), 1) << "recorded groups are still snooped";
    EXPECT_EQ(take_sent().size(), 1u);
    learn(0, kHostA, "ff05::1"); // a refresh at the bound still works
    EXPECT_EQ(table().size(), 2u);

    EXPECT_EQ(forward(0, mld_v1(132, kHostA, ip6("ff02::2"), ip6("ff05::1"))), 0);
    EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::3"))), 1) << "below the bound again";
    EXPECT_TRUE(take_sent().empty());
}

} // namespace
} // namespace v6test

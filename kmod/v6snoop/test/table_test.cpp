// The membership table: operations, ageing against the tick counter, show.
#include "fixture.h"

namespace v6test {
namespace {

using namespace frames;

class Table : public Bridge {
protected:
    const Mac g1 = group_mac(ip6("ff05::1:3"));
    const Mac g2 = group_mac(ip6("ff0e::1:5"));

    const mldsnoop_entry *head() { return list_entry(mldsnoop_list.list.next, mldsnoop_entry, list); }

    bool present(int i, const Mac &g, const Mac &h)
    {
        for (const Entry &e : table())
            if (e == Entry{ports_[i].dev.name, g, h})
                return true;
        return false;
    }

    // Advances one tick at a time until the entry is gone; the tick it went.
    unsigned long vanishes_after(int i, const Mac &g, const Mac &h, unsigned long limit)
    {
        for (unsigned long t = 1; t <= limit; t++) {
            wyk_advance(1);
            if (!present(i, g, h))
                return t;
        }
        return 0;
    }
};

TEST_F(Table, NullArgumentsTouchNothing)
{
    ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1);
    struct Args {
        net_bridge_port *p;
        const u8 *g;
        const u8 *h;
    };
    const Args cases[] = {{nullptr, g2.data(), kHostA.data()},
                          {port(0), nullptr, kHostA.data()},
                          {port(0), g1.data(), nullptr}};
    for (const Args &a : cases) {
        EXPECT_EQ(br_mldsnoop_update(a.p, a.g, a.h), 0);
        EXPECT_EQ(br_mldsnoop_add(a.p, a.g, a.h), 0);
        EXPECT_EQ(br_mldsnoop_del(a.p, a.g, a.h), 0);
    }
    EXPECT_EQ(table(), std::vector<Entry>{entry(0, "ff05::1:3", kHostA)});
}

TEST_F(Table, KeyIsPortGroupAndHost)
{
    EXPECT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1);
    wyk_advance(250);
    EXPECT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 0) << "a second report only refreshes";
    EXPECT_EQ(head()->expires, jiffies + MLDSNOOP_DEFAULT_AGE);
    EXPECT_EQ(br_mldsnoop_update(port(0), g2.data(), kHostA.data()), 0);
    EXPECT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostB.data()), 1);
    EXPECT_EQ(br_mldsnoop_add(port(1), g1.data(), kHostA.data()), 1);
    EXPECT_EQ(br_mldsnoop_add(port(0), g2.data(), kHostA.data()), 1);
    // Newest first.
    EXPECT_EQ(table(), (std::vector<Entry>{{"lan1", g2, kHostA}, {"lan2", g1, kHostA},
                                           {"lan1", g1, kHostB}, {"lan1", g1, kHostA}}));
    EXPECT_EQ(mldsnoop_count, 4u);

    EXPECT_EQ(br_mldsnoop_del(port(2), g1.data(), kHostA.data()), 1) << "nothing matched, still 1";
    EXPECT_EQ(table().size(), 4u);
    EXPECT_EQ(br_mldsnoop_del(port(0), g1.data(), kHostA.data()), 1);
    EXPECT_EQ(table(), (std::vector<Entry>{{"lan1", g2, kHostA}, {"lan2", g1, kHostA}, {"lan1", g1, kHostB}}));
    EXPECT_EQ(br_mldsnoop_empty(g1.data()), 0);
    EXPECT_EQ(br_mldsnoop_empty(group_mac(ip6("ff05::9")).data()), 1);
}

TEST_F(Table, UnlinkedEntryStaysReadableUntilTheGracePeriod)
{
    ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1);
    ASSERT_EQ(br_mldsnoop_add(port(0), g2.data(), kHostA.data()), 1);
    rcu_read_lock(); // a reader standing on the newest entry
    const mldsnoop_entry *e = head();
    EXPECT_EQ(br_mldsnoop_del(port(0), g2.data(), kHostA.data()), 1);
    EXPECT_EQ(entries_live(), 2u);
    EXPECT_EQ(std::memcmp(e->group, g2.data(), 6), 0);
    const mldsnoop_entry *next = list_entry(e->list.next, mldsnoop_entry, list);
    EXPECT_EQ(std::memcmp(next->group, g1.data(), 6), 0) << "the reader walks on";
    rcu_read_unlock();
    EXPECT_EQ(wyk_rcu_pending(), 1u);
    wyk_rcu_grace_period();
    EXPECT_EQ(entries_live(), 1u);
}

TEST_F(Table, GroupToMac)
{
    const Addr a = ip6("ff0e::1:2:3:4");
    u8 out[6] = {1, 2, 3, 4, 5, 6};
    mld_group_to_mac(a.data(), out);
    EXPECT_EQ(Mac(std::to_array(out)), (Mac{0x33, 0x33, 0x00, 0x03, 0x00, 0x04}));
    mld_group_to_mac(nullptr, out);
    mld_group_to_mac(a.data(), nullptr);
    EXPECT_EQ(Mac(std::to_array(out)), (Mac{0x33, 0x33, 0x00, 0x03, 0x00, 0x04}));
}

// An unrefreshed entry lapses at the first scan after `age`: between 150 and
// 160 s after its last report, whatever the phase of the 10 s scan, and also
// when the counter wraps in between.
TEST_F(Table, EntryLapsesBetween150And160SecondsAfterItsLastReport)
{
    struct Case {
        unsigned long start;
        unsigned long refresh_after;
    };
    const Case cases[] = {{kStart, 0},          {kStart, 1},          {kStart, 499},
                          {kStart, 999},        {kStart, 1000},       {0xffffffffUL - 100, 0},
                          {0xffffffffUL - 15500, 700}, {0xffffffffUL - 16005, 3}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << ", refreshed after " << c.refresh_after);
        br_mldsnoop_cleanup_hook();
        wyk_rcu_grace_period();
        wyk_set_jiffies(c.start);
        br_mldsnoop_start_hook();
        br_mldsnoop_enable_hook(1);
        ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1); // arms the scan
        wyk_advance(c.refresh_after);
        br_mldsnoop_add(port(0), g1.data(), kHostA.data());
        unsigned long gone = vanishes_after(0, g1, kHostA, 20000);
        EXPECT_GT(gone, 15000u);
        EXPECT_LE(gone, 16000u);
    }
}

TEST_F(Table, AgeZeroNeverLapses)
{
    br_mldsnoop_set_age_hook(nullptr, 0);
    ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1);
    EXPECT_EQ(vanishes_after(0, g1, kHostA, 100000), 0u);
    EXPECT_TRUE(timer_pending(&mldsnoop_list.query_timer)) << "the scan kept running";
}

// The lapse test of one scan, by how far the tick count is past the deadline:
// any distance behind it, taken as a signed 32-bit difference, also `age` and
// more; half the counter or more away counts as ahead.
TEST_F(Table, LapseTestByDistancePastTheDeadline)
{
    struct Case {
        int64_t past; // ticks past the deadline when the scan runs
        bool kept;
    };
    const Case cases[] = {{-1, true},         {0, true},           {1, false},
                          {14999, false},     {15000, false},      {40000, false},
                          {0x7fffffff, false}, {0x80000000, true}, {-0x7fffffff, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.past << " ticks past");
        wyk_set_jiffies(kStart);
        ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1);
        wyk_set_jiffies(static_cast<u32>(kStart + MLDSNOOP_DEFAULT_AGE + static_cast<uint64_t>(c.past)));
        br_mldsnoop_query_timeout(0);
        EXPECT_EQ(present(0, g1, kHostA), c.kept);
        br_mldsnoop_del(port(0), g1.data(), kHostA.data());
        EXPECT_TRUE(timer_pending(&mldsnoop_list.query_timer));
        EXPECT_EQ(mldsnoop_list.query_timer.expires, jiffies + MLDSNOOP_SCAN_TICKS) << "re-armed";
    }
    EXPECT_TRUE(table().empty());
}

TEST_F(Table, ScanReArmsOnAnEmptyTable)
{
    ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1);
    br_mldsnoop_del(port(0), g1.data(), kHostA.data());
    wyk_advance(MLDSNOOP_SCAN_TICKS);
    EXPECT_TRUE(timer_pending(&mldsnoop_list.query_timer));
    EXPECT_EQ(mldsnoop_list.query_timer.expires, jiffies + MLDSNOOP_SCAN_TICKS);
}

TEST_F(Table, ShowByteForByte)
{
    EXPECT_EQ(show(), "MLD snooping Status:On\n"
                      "MLD snooping List Age is:150\n"
                      "***********MLD snooping list Start***********\n"
                      "***********MLD snooping list End***********\n");

    const Mac mdns = {0x33, 0x33, 0x00, 0x00, 0x00, 0xfb};
    const Mac host = {0x00, 0x1a, 0x2b, 0xc0, 0xff, 0xee};
    ASSERT_EQ(br_mldsnoop_add(port(0), mdns.data(), host.data()), 1);
    wyk_advance(1234);
    ASSERT_EQ(br_mldsnoop_add(port(2), g1.data(), kHostB.data()), 1);
    br_mldsnoop_set_age_hook(nullptr, 12345);
    br_mldsnoop_enable_hook(0);
    EXPECT_EQ(show(), "MLD snooping Status:Off\n"
                      "MLD snooping List Age is:123\n"
                      "***********MLD snooping list Start***********\n"
                      "Dev:lan3, Group:0x33 0x33 0x0 0x1 0x0 0x3, Host:0x2 0x0 0x0 0x0 0x0 0xb, Age Left:150\n"
                      "Dev:lan1, Group:0x33 0x33 0x0 0x0 0x0 0xfb, Host:0x0 0x1a 0x2b 0xc0 0xff 0xee, Age Left:137\n"
                      "***********MLD snooping list End***********\n");

    // Past its deadline but not yet scanned: the unsigned difference.
    wyk_set_jiffies(kStart + MLDSNOOP_DEFAULT_AGE + 1);
    br_mldsnoop_del(port(2), g1.data(), kHostB.data());
    br_mldsnoop_set_age_hook(nullptr, -1);
    EXPECT_EQ(show(), "MLD snooping Status:Off\n"
                      "MLD snooping List Age is:42949672\n"
                      "***********MLD snooping list Start***********\n"
                      "Dev:lan1, Group:0x33 0x33 0x0 0x0 0x0 0xfb, Host:0x0 0x1a 0x2b 0xc0 0xff 0xee, Age Left:42949672\n"
                      "***********MLD snooping list End***********\n");
}

TEST_F(Table, EnableTakesOnlyZeroOrOne)
{
    for (unsigned v : {2u, 0xffffffffu, 100u}) {
        br_mldsnoop_enable_hook(v);
        EXPECT_EQ(mldsnoop_list.enabled, 1u);
    }
    br_mldsnoop_enable_hook(0);
    EXPECT_EQ(mldsnoop_list.enabled, 0u);
    br_mldsnoop_enable_hook(7);
    EXPECT_EQ(mldsnoop_list.enabled, 0u);
}

} // namespace
} // namespace v6test

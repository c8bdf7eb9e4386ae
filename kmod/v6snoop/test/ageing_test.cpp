// Ageing and show's seconds, written in HZ: this file is built at the
// platform's 100 ticks a second and again at another rate.

#include "fixture.h"

namespace v6test {
namespace {

using namespace frames;

constexpr u32 kScan = 10 * HZ;

// Each build names its suite after its rate, so the two runs stay apart.
#ifndef V6SNOOP_AGEING_SUITE
#define V6SNOOP_AGEING_SUITE Ageing
#endif

class V6SNOOP_AGEING_SUITE : public Bridge {
protected:
    const Mac anchor = group_mac(ip6("ff05::a"));
    const Mac g1 = group_mac(ip6("ff05::1:3"));

    bool present(const Mac &g)
    {
        const mldsnoop_entry *e;
        list_for_each_entry(e, &mldsnoop_list.list, list)
            if (std::memcmp(e->group, g.data(), 6) == 0)
                return true;
        return false;
    }

    // A fresh start at tick `t0` with `age`; a first report then arms the
    // scan, so scans run at t0 + k * kScan.
    void restart(u32 t0, u32 age)
    {
        br_mldsnoop_cleanup_hook();
        wyk_rcu_grace_period();
        wyk_set_jiffies(t0);
        br_mldsnoop_start_hook();
        br_mldsnoop_enable_hook(1);
        br_mldsnoop_set_age_hook(nullptr, static_cast<int>(age));
        ASSERT_EQ(br_mldsnoop_add(port(1), anchor.data(), kHostB.data()), 1);
    }
};

// Every entry with a non-zero age lapses at the first scan after its
// deadline and not before, whatever the age against the scan period, the
// scan's phase, or where the 32-bit counter wraps; with an age of 0 none does.
TEST_F(V6SNOOP_AGEING_SUITE, EntryLapsesAtTheFirstScanAfterItsDeadline)
{
    const u32 ages[] = {0, 1 * HZ, 5 * HZ, 10 * HZ, 150 * HZ};
    const u32 phases[] = {0, 1, kScan / 2, kScan - 1}; // report this long after the scan was armed
    for (u32 age : ages) {
        // Deadlines far from the wrap, on its last and first tick, just
        // before it, and past it for a report made before it.
        const u32 deadlines[] = {0x00100000, 0xfffffffe, 0xffffffff, 0, age / 2};
        for (u32 phase : phases) {
            for (u32 deadline : deadlines) {
                const u32 t0 = deadline - age - phase;
                SCOPED_TRACE(testing::Message() << "age " << age << " ticks, phase " << phase << ", deadline 0x"
                                                << std::hex << deadline << ", start 0x" << t0);
                restart(t0, age);
                wyk_advance(phase);
                ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1);
                ASSERT_EQ(static_cast<u32>(list_entry(mldsnoop_list.list.next, mldsnoop_entry, list)->expires),
                          deadline);
                if (age == 0) {
                    wyk_advance(200 * HZ);
                    EXPECT_TRUE(present(g1)) << "an age of 0 keeps every entry";
                    continue;
                }
                wyk_advance(age); // up to the deadline itself, scans included
                ASSERT_TRUE(present(g1)) << "gone before its deadline";
                // The scans from here: the first lands 1 to kScan ticks on.
                const u32 to_scan = kScan - (age + phase) % kScan;
                wyk_advance(to_scan - 1);
                EXPECT_TRUE(present(g1)) << "gone before the first scan after its deadline";
                wyk_advance(1);
                EXPECT_FALSE(present(g1)) << "kept past the first scan after its deadline";
                EXPECT_EQ(static_cast<u32>(jiffies - t0) % kScan, 0u) << "that tick is a scan's";
            }
        }
    }
}

TEST_F(V6SNOOP_AGEING_SUITE, DefaultAgeAndScanPeriodAreInSeconds)
{
    EXPECT_EQ(mldsnoop_list.age, 150u * HZ);
    ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), kHostA.data()), 1);
    EXPECT_TRUE(timer_pending(&mldsnoop_list.query_timer));
    EXPECT_EQ(static_cast<u32>(mldsnoop_list.query_timer.expires), static_cast<u32>(kStart + 10 * HZ));

    // Unrefreshed, the entry goes between 150 and 160 s after the report.
    unsigned long t = 0;
    while (present(g1) && t < 200 * HZ) {
        wyk_advance(1);
        t++;
    }
    EXPECT_GT(t, 150u * HZ);
    EXPECT_LE(t, 160u * HZ);
}

TEST_F(V6SNOOP_AGEING_SUITE, ShowPrintsSeconds)
{
    const Mac host = {0x00, 0x1a, 0x2b, 0xc0, 0xff, 0xee};
    ASSERT_EQ(br_mldsnoop_add(port(0), g1.data(), host.data()), 1);
    wyk_advance(13 * HZ + HZ / 2);
    const std::string shown = show();
    EXPECT_EQ(shown, "MLD snooping Status:On\n"
                     "MLD snooping List Age is:150\n"
                     "***********MLD snooping list Start***********\n"
                     "Dev:lan1, Group:0x33 0x33 0x0 0x1 0x0 0x3, Host:0x0 0x1a 0x2b 0xc0 0xff 0xee, Age Left:136\n"
                     "***********MLD snooping list End***********\n");
    // The bridge passes seconds times HZ.
    br_mldsnoop_set_age_hook(nullptr, 45 * HZ + HZ - 1);
    EXPECT_NE(show().find("List Age is:45\n"), std::string::npos);
}

} // namespace
} // namespace v6test

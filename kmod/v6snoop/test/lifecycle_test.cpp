// Load, start, cleanup and unload, and ports leaving the bridge.
#include <cctype>

#include "fixture.h"

namespace v6test {
namespace {

using namespace frames;

constexpr unsigned long kScanTicks = MLDSNOOP_SCAN_TICKS;

class Lifecycle : public Bridge {
protected:
    // Unloads the fixture's module and loads a fresh one (zeroed record, as the
    // loader leaves it), not started.
    int reload()
    {
        wyk_module_exit();
        wyk_reset(kStart);
        std::memset(&mldsnoop_list, 0, sizeof mldsnoop_list);
        return wyk_module_init();
    }

    static int hooks_set()
    {
        return (br_v6snoop_forward_hook != nullptr) + (br_v6snoop_deliver_hook != nullptr) +
               (br_mldsnoop_start_hook != nullptr) + (br_mldsnoop_cleanup_hook != nullptr) +
               (br_mldsnoop_enable_hook != nullptr) + (br_mldsnoop_set_age_hook != nullptr) +
               (br_mldsnoop_show_hook != nullptr) + (br_mldsnoop_del_port_hook != nullptr);
    }

    // "\r\nv6snoop V1.1.0.0 (May 10 2011-10:46:59)\n", with the build's date
    // and time as the compiler gives them. (std::regex draws false warnings
    // from GCC 12 in the sanitizer build.)
    static bool is_banner(const std::string &s)
    {
        const std::string head = "\r\nv6snoop V1.1.0.0 (", tail = ")\n";
        const std::string shape = "Aaa #9 9999-99:99:99"; // A upper, a lower, 9 digit, # space or digit
        if (s.size() != head.size() + shape.size() + tail.size() || s.compare(0, head.size(), head) != 0 ||
            s.compare(s.size() - tail.size(), tail.size(), tail) != 0)
            return false;
        for (size_t i = 0; i < shape.size(); i++) {
            const unsigned char c = static_cast<unsigned char>(s[head.size() + i]);
            const bool ok = shape[i] == 'A'   ? std::isupper(c)
                            : shape[i] == 'a' ? std::islower(c)
                            : shape[i] == '9' ? std::isdigit(c)
                            : shape[i] == '#' ? (c == ' ' || std::isdigit(c))
                                              : c == static_cast<unsigned char>(shape[i]);
            if (!ok)
                return false;
        }
        return true;
    }

    void report(int i, const Mac &host, const char *group)
    {
        ASSERT_EQ(forward(i, mld_v1(131, host, ip6(group), ip6(group))), 0);
    }
};

TEST_F(Lifecycle, LoadInstallsTheHooksAndPrintsTheBanner)
{
    ASSERT_EQ(reload(), 0);
    EXPECT_TRUE(is_banner(wyk_printk_text())) << wyk_printk_text();
    for (const char *bad : {"\r\nv6snoop V1.1.0.0 (May 10 2011 10:46:59)\n", "v6snoop V1.1.0.0 (May 10 2011-10:46:59)\n",
                            "\r\nv6snoop V1.1.0.0 (May 10 2011-10:46:59)", "\r\nv6snoop V1.1.0.0 (may 10 2011-10:46:59)\n"})
        EXPECT_FALSE(is_banner(bad)) << bad;
    EXPECT_TRUE(is_banner("\r\nv6snoop V1.1.0.0 (Dec  1 2026-09:05:00)\n"));
    EXPECT_STREQ(wyk_module_license, "GPL");
    EXPECT_EQ(br_v6snoop_forward_hook, &br_v6snoop_forward);
    EXPECT_EQ(br_v6snoop_deliver_hook, &br_v6snoop_deliver);
    EXPECT_EQ(br_mldsnoop_start_hook, &br_mldsnoop_start);
    EXPECT_EQ(br_mldsnoop_cleanup_hook, &br_mldsnoop_cleanup);
    EXPECT_EQ(br_mldsnoop_enable_hook, &br_mldsnoop_enable);
    EXPECT_EQ(br_mldsnoop_set_age_hook, &br_mldsnoop_set_age);
    EXPECT_EQ(br_mldsnoop_show_hook, &br_mldsnoop_show);
    EXPECT_EQ(br_mldsnoop_del_port_hook, &br_mldsnoop_del_port);
}

void other_show(void) {}

TEST_F(Lifecycle, LoadRefusedWhenAnyHookIsTaken)
{
    struct Hook {
        const char *name;
        void (*take)();
        bool (*still_taken)();
    };
    static int dummy_frame_hook_calls;
    static auto frame_hook = +[](sk_buff *, void *, const unsigned char *) { return ++dummy_frame_hook_calls; };
    static auto void_hook = +[]() {};
    static auto enable_hook = +[](unsigned) {};
    static auto set_age_hook = +[](net_bridge *, int) {};
    static auto del_port_hook = +[](net_bridge_port *) {};
    const Hook hooks[] = {
        {"forward", [] { br_v6snoop_forward_hook = frame_hook; }, [] { return br_v6snoop_forward_hook == frame_hook; }},
        {"deliver", [] { br_v6snoop_deliver_hook = frame_hook; }, [] { return br_v6snoop_deliver_hook == frame_hook; }},
        {"start", [] { br_mldsnoop_start_hook = void_hook; }, [] { return br_mldsnoop_start_hook == void_hook; }},
        {"cleanup", [] { br_mldsnoop_cleanup_hook = void_hook; }, [] { return br_mldsnoop_cleanup_hook == void_hook; }},
        {"enable", [] { br_mldsnoop_enable_hook = enable_hook; }, [] { return br_mldsnoop_enable_hook == enable_hook; }},
        {"set age", [] { br_mldsnoop_set_age_hook = set_age_hook; }, [] { return br_mldsnoop_set_age_hook == set_age_hook; }},
        {"show", [] { br_mldsnoop_show_hook = other_show; }, [] { return br_mldsnoop_show_hook == other_show; }},
        {"del port", [] { br_mldsnoop_del_port_hook = del_port_hook; },
         [] { return br_mldsnoop_del_port_hook == del_port_hook; }},
    };
    for (const Hook &h : hooks) {
        SCOPED_TRACE(h.name);
        wyk_module_exit();
        ASSERT_EQ(hooks_set(), 0);
        h.take();
        wyk_printk_clear();
        EXPECT_EQ(wyk_module_init(), -EBUSY);
        EXPECT_TRUE(h.still_taken());
        EXPECT_EQ(hooks_set(), 1) << "no other hook written";
        EXPECT_NE(std::string(wyk_printk_text()).find("already in use"), std::string::npos);
        EXPECT_EQ(std::string(wyk_printk_text()).find("v6snoop V1"), std::string::npos) << "no banner";
        br_v6snoop_forward_hook = nullptr;
        br_v6snoop_deliver_hook = nullptr;
        br_mldsnoop_start_hook = nullptr;
        br_mldsnoop_cleanup_hook = nullptr;
        br_mldsnoop_enable_hook = nullptr;
        br_mldsnoop_set_age_hook = nullptr;
        br_mldsnoop_show_hook = nullptr;
        br_mldsnoop_del_port_hook = nullptr;
        ASSERT_EQ(wyk_module_init(), 0);
    }
    EXPECT_EQ(dummy_frame_hook_calls, 0);
}

TEST_F(Lifecycle, UnloadCleansUpClearsTheHooksThenWaitsForAGracePeriod)
{
    report(0, kHostA, "ff05::1:3");
    report(1, kHostB, "ff0e::1:5");
    wyk_printk_clear();
    wyk_module_exit();
    EXPECT_EQ(hooks_set(), 0);
    EXPECT_EQ(wyk_synchronize_calls(), 1u);
    EXPECT_EQ(wyk_hooks_set_at_synchronize(), 0) << "hooks cleared before the grace period";
    EXPECT_EQ(wyk_rcu_pending(), 0u) << "every queued free ran before the module went";
    EXPECT_EQ(wyk_kmalloc_live(), 0u);
    EXPECT_FALSE(timer_pending(&mldsnoop_list.query_timer));
    EXPECT_STREQ(wyk_printk_text(), "MLD snooping module exit......\n");
}

TEST_F(Lifecycle, StartResetsWhatWasSetBeforeIt)
{
    br_mldsnoop_set_age_hook(nullptr, 500);
    br_mldsnoop_start_hook(); // already started: nothing
    EXPECT_EQ(mldsnoop_list.age, 500u);
    EXPECT_EQ(mldsnoop_list.enabled, 1u);

    br_mldsnoop_cleanup_hook();
    br_mldsnoop_enable_hook(1);
    br_mldsnoop_set_age_hook(nullptr, 500);
    br_mldsnoop_start_hook();
    EXPECT_EQ(mldsnoop_list.enabled, 0u);
    EXPECT_EQ(mldsnoop_list.age, 15000u);
    EXPECT_EQ(mldsnoop_list.timer_armed, 0);
    EXPECT_FALSE(timer_pending(&mldsnoop_list.query_timer));
}

TEST_F(Lifecycle, CleanupEmptiesTheTableAndStopsTheTimer)
{
    report(0, kHostA, "ff05::1:3");
    ASSERT_TRUE(timer_pending(&mldsnoop_list.query_timer));
    br_mldsnoop_set_age_hook(nullptr, 700);
    br_mldsnoop_cleanup_hook();
    EXPECT_TRUE(table().empty());
    EXPECT_FALSE(timer_pending(&mldsnoop_list.query_timer));
    EXPECT_EQ(mldsnoop_list.timer_armed, 1);
    EXPECT_EQ(mldsnoop_list.enabled, 1u);
    EXPECT_EQ(mldsnoop_list.age, 700u);
    EXPECT_EQ(entries_live(), 1u) << "freed after the grace period";
    wyk_rcu_grace_period();
    EXPECT_EQ(entries_live(), 0u);
}

TEST_F(Lifecycle, LearntWhileStoppedIsNotAgedAndGoesAtTheNextStart)
{
    report(1, kHostB, "ff0e::1:5"); // the timer has been armed once
    br_mldsnoop_cleanup_hook();
    report(0, kHostA, "ff05::1:3"); // still enabled: learning goes on
    ASSERT_EQ(table().size(), 1u);
    wyk_advance(30000);
    EXPECT_EQ(table().size(), 1u) << "no scan runs after a cleanup";
    EXPECT_FALSE(timer_pending(&mldsnoop_list.query_timer));

    br_mldsnoop_start_hook();
    EXPECT_TRUE(table().empty());
    wyk_rcu_grace_period();
    EXPECT_EQ(entries_live(), 0u) << "the entry was freed, not dropped";
}

TEST_F(Lifecycle, UnloadAfterCleanupFreesWhatWasLearntSince)
{
    br_mldsnoop_cleanup_hook();
    report(0, kHostA, "ff05::1:3");
    report(1, kHostB, "ff05::1:3");
    ASSERT_TRUE(timer_pending(&mldsnoop_list.query_timer)) << "armed by the first report since start";
    wyk_module_exit();
    EXPECT_EQ(wyk_kmalloc_live(), 0u);
    EXPECT_EQ(wyk_rcu_pending(), 0u);
    EXPECT_FALSE(timer_pending(&mldsnoop_list.query_timer)) << "no timer left to fire into unloaded code";
}

TEST_F(Lifecycle, BeforeTheFirstStart)
{
    ASSERT_EQ(reload(), 0);
    EXPECT_EQ(show(), "MLD snooping Status:Off\n"
                      "MLD snooping List Age is:0\n"
                      "***********MLD snooping list Start***********\n"
                      "***********MLD snooping list End***********\n");
    EXPECT_EQ(forward(0, mld_v1(131, kHostA, ip6("ff05::1:3"), ip6("ff05::1:3"))), 0);
    EXPECT_TRUE(table().empty()) << "not enabled yet";

    // An enable ahead of start: learning arms the timer, which start must
    // neither re-initialise while pending nor leave with its entries.
    br_mldsnoop_enable_hook(1);
    report(0, kHostA, "ff05::1:3");
    EXPECT_EQ(table().size(), 1u);
    EXPECT_TRUE(timer_pending(&mldsnoop_list.query_timer));
    br_mldsnoop_start_hook();
    EXPECT_TRUE(table().empty());
    EXPECT_FALSE(timer_pending(&mldsnoop_list.query_timer));
    EXPECT_EQ(wyk_fault_count(), 0u) << wyk_fault_text();
}

// A port that leaves the bridge while data for its groups keeps coming: its
// memberships go before the port is freed, and the other ports are served on.
// The stand-in makes the freed port unreadable and reports a send to it.
TEST_F(Lifecycle, PortLeavingTheBridgeIsForgottenBeforeItIsFreed)
{
    enum State { Running, AfterCleanup, SwitchedOff };
    const struct {
        const char *name;
        State state;
    } cases[] = {{"started and enabled", Running},
                 {"after a cleanup, still learning", AfterCleanup},
                 {"snooping switched off meanwhile", SwitchedOff}};
    using Sent = std::vector<std::pair<std::string, int>>;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        br_mldsnoop_cleanup_hook();
        wyk_rcu_grace_period();
        if (c.state != AfterCleanup)
            br_mldsnoop_start_hook();
        br_mldsnoop_enable_hook(1);

        net_device lan5{};
        std::snprintf(lan5.name, IFNAMSIZ, "lan5");
        net_bridge_port *leaving = wyk_port_add(&lan5);
        ASSERT_NE(leaving, nullptr);
        auto on_lan5 = [&](const Bytes &f) {
            sk_buff *skb = wyk_skb_frame(&lan5, f.data(), f.size());
            int r = wyk_bridge_forward(skb);
            kfree_skb(skb);
            return r;
        };
        ASSERT_EQ(on_lan5(mld_v1(131, kHostA, ip6("ff05::1:3"), ip6("ff05::1:3"))), 0);
        ASSERT_EQ(on_lan5(mld_v1(131, kHostB, ip6("ff05::1:3"), ip6("ff05::1:3"))), 0);
        ASSERT_EQ(on_lan5(mld_v2(kHostA, {{2, ip6("ff0e::1:5")}})), 0);
        report(0, kHostC, "ff05::1:3");
        report(1, kHostB, "ff0e::2:7");
        ASSERT_EQ(table().size(), 5u);
        ASSERT_EQ(forward(3, udp(kHostC, ip6("ff05::1:3"))), 1);
        ASSERT_EQ(take_sent().size(), 2u) << "lan1 and lan5";
        if (c.state == SwitchedOff)
            br_mldsnoop_enable_hook(0);

        wyk_port_del(leaving);
        EXPECT_EQ(lan5.br_port, nullptr);
        const mldsnoop_entry *e;
        list_for_each_entry(e, &mldsnoop_list.list, list)
            EXPECT_NE(e->port, leaving) << "an entry still names the leaving port";
        if (c.state == SwitchedOff)
            br_mldsnoop_enable_hook(1);

        // Before and after the grace period that frees the port.
        for (bool freed : {false, true}) {
            SCOPED_TRACE(freed ? "port freed" : "port not yet freed");
            if (freed) {
                wyk_rcu_grace_period();
                ASSERT_TRUE(wyk_port_is_freed(leaving));
            }
            EXPECT_EQ(forward(3, udp(kHostC, ip6("ff05::1:3"))), 1);
            EXPECT_EQ(take_sent(), (Sent{{"lan1", 0}}));
            EXPECT_EQ(forward(3, udp(kHostC, ip6("ff0e::1:5"))), 1) << "no member left: not flooded";
            EXPECT_TRUE(take_sent().empty());
            EXPECT_EQ(forward(3, udp(kHostC, ip6("ff0e::2:7"))), 1);
            EXPECT_EQ(take_sent(), (Sent{{"lan2", 0}}));
            bool consumed = false;
            EXPECT_EQ(deliver(udp(kHostC, ip6("ff05::1:3")), &consumed), 1);
            EXPECT_TRUE(consumed);
            EXPECT_EQ(take_sent(), (Sent{{"lan1", 1}}));
            // Its device no longer names a port: what still comes in on it is not learnt.
            EXPECT_EQ(on_lan5(mld_v1(131, kHostA, ip6("ff05::9"), ip6("ff05::9"))), 0);
            wyk_advance(kScanTicks);
        }
        EXPECT_EQ(table(), (std::vector<Entry>{entry(1, "ff0e::2:7", kHostB), entry(0, "ff05::1:3", kHostC)}));
        const std::string shown = show();
        EXPECT_EQ(shown.find("lan5"), std::string::npos) << shown;
        EXPECT_NE(shown.find("Dev:lan1"), std::string::npos) << shown;
        EXPECT_EQ(wyk_fault_count(), 0u) << wyk_fault_text();
    }
}

} // namespace
} // namespace v6test

// Load, start, cleanup and unload.
#include <cctype>

#include "fixture.h"

namespace v6test {
namespace {

using namespace frames;

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
               (br_mldsnoop_show_hook != nullptr);
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
    const Hook hooks[] = {
        {"forward", [] { br_v6snoop_forward_hook = frame_hook; }, [] { return br_v6snoop_forward_hook == frame_hook; }},
        {"deliver", [] { br_v6snoop_deliver_hook = frame_hook; }, [] { return br_v6snoop_deliver_hook == frame_hook; }},
        {"start", [] { br_mldsnoop_start_hook = void_hook; }, [] { return br_mldsnoop_start_hook == void_hook; }},
        {"cleanup", [] { br_mldsnoop_cleanup_hook = void_hook; }, [] { return br_mldsnoop_cleanup_hook == void_hook; }},
        {"enable", [] { br_mldsnoop_enable_hook = enable_hook; }, [] { return br_mldsnoop_enable_hook == enable_hook; }},
        {"set age", [] { br_mldsnoop_set_age_hook = set_age_hook; }, [] { return br_mldsnoop_set_age_hook == set_age_hook; }},
        {"show", [] { br_mldsnoop_show_hook = other_show; }, [] { return br_mldsnoop_show_hook == other_show; }},
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
    EXPECT_EQ(wyk_kmalloc_live(), 1u) << "freed after the grace period";
    wyk_rcu_grace_period();
    EXPECT_EQ(wyk_kmalloc_live(), 0u);
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
    EXPECT_EQ(wyk_kmalloc_live(), 0u) << "the entry was freed, not dropped";
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

} // namespace
} // namespace v6test

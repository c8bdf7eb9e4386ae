// The packet path's index: always the list's entries, each in the bucket its
// keys hash to, in the list's order, through every way the table changes.
#include <algorithm>
#include <random>

#include "fixture.h"

namespace v6test {
namespace {

using namespace frames;

class Index : public Bridge {
protected:
    // A fresh load with a small bound, so buckets are shared and the bound is hit.
    void reload(unsigned int max_entries)
    {
        wyk_module_exit();
        wyk_reset(kStart);
        std::memset(&mldsnoop_list, 0, sizeof mldsnoop_list);
        mldsnoop_max_entries = max_entries;
        ASSERT_EQ(wyk_module_init(), 0) << wyk_printk_text();
        index_allocs_ = wyk_kmalloc_live();
        br_mldsnoop_start_hook();
        br_mldsnoop_enable_hook(1);
    }

    struct Raw {
        const mldsnoop_entry *e;
        const net_bridge_port *port;
        Mac group;
        Mac host;
    };

    static std::vector<Raw> list()
    {
        std::vector<Raw> v;
        const mldsnoop_entry *e;
        list_for_each_entry(e, &mldsnoop_list.list, list) {
            Raw r{e, e->port, {}, {}};
            std::memcpy(r.group.data(), e->group, 6);
            std::memcpy(r.host.data(), e->host, 6);
            v.push_back(r);
        }
        return v;
    }

    // Every entry of the list once in each index, in the bucket of its keys;
    // a group's entries in the list's order; nothing else in the buckets.
    void expect_index_is_list()
    {
        const std::vector<Raw> l = list();
        ASSERT_EQ(l.size(), mldsnoop_count);
        const u32 n = mldsnoop_list.index_size;
        ASSERT_NE(mldsnoop_list.index, nullptr);
        std::vector<const mldsnoop_entry *> in_groups, in_members;
        for (u32 b = 0; b < n; b++) {
            const mldsnoop_entry *e;
            list_for_each_entry(e, &mldsnoop_list.index[b], by_group) {
                ASSERT_EQ(mldsnoop_group_bucket(e->group), &mldsnoop_list.index[b]);
                in_groups.push_back(e);
            }
            list_for_each_entry(e, &mldsnoop_list.index[n + b], by_member) {
                ASSERT_EQ(mldsnoop_member_bucket(e->port, e->group, e->host), &mldsnoop_list.index[n + b]);
                in_members.push_back(e);
            }
        }
        std::vector<const mldsnoop_entry *> listed;
        for (const Raw &r : l)
            listed.push_back(r.e);
        auto sorted = [](std::vector<const mldsnoop_entry *> v) {
            std::sort(v.begin(), v.end());
            return v;
        };
        EXPECT_EQ(sorted(in_groups), sorted(listed));
        EXPECT_EQ(sorted(in_members), sorted(listed));

        for (const Raw &r : l) {
            std::vector<const mldsnoop_entry *> want, got;
            for (const Raw &o : l)
                if (o.group == r.group)
                    want.push_back(o.e);
            const mldsnoop_entry *e;
            list_for_each_entry(e, mldsnoop_group_bucket(r.group.data()), by_group)
                if (std::memcmp(e->group, r.group.data(), 6) == 0)
                    got.push_back(e);
            EXPECT_EQ(got, want) << "a group's entries in the list's order";
            for (const Raw &o : l)
                EXPECT_FALSE(o.e != r.e && o.port == r.port && o.group == r.group && o.host == r.host)
                    << "duplicate";
        }
    }

    // What the packet path decides for each group, against the list itself.
    void expect_lookups_follow_list(const std::vector<Addr> &groups)
    {
        const std::vector<Raw> l = list();
        for (const Addr &g : groups) {
            const Mac mac = group_mac(g);
            std::vector<const net_bridge_port *> want;
            for (const Raw &r : l)
                if (r.group == mac && std::find(want.begin(), want.end(), r.port) == want.end())
                    want.push_back(r.port);
            EXPECT_EQ(br_mldsnoop_empty(mac.data()), want.empty() ? 1 : 0);
            const Bytes f = udp(kHostC, g);
            sk_buff *skb = wyk_skb_frame(&br0_, f.data(), f.size());
            wyk_bridge_forward(skb);
            kfree_skb(skb);
            std::vector<const net_bridge_port *> got;
            for (size_t i = 0; i < wyk_sent_count(); i++)
                got.push_back(wyk_sent_at(i)->port);
            wyk_sent_clear();
            EXPECT_EQ(got, want) << "one copy per member port, in the list's order";
        }
    }
};

TEST_F(Index, SizedFromTheBoundAtLoad)
{
    struct Case {
        unsigned int max_entries;
        u32 buckets;
    };
    const Case cases[] = {{0, 16}, {1, 16}, {33, 16}, {64, 32}, {100, 64},
                          {MLDSNOOP_DEFAULT_MAX, 512}, {2048, 1024}, {1u << 20, 1024}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.max_entries);
        reload(c.max_entries);
        EXPECT_EQ(mldsnoop_list.index_size, c.buckets);
        EXPECT_EQ(wyk_kmalloc_live(), 1u) << "one allocation for both indexes";
    }
}

TEST_F(Index, LoadRefusedWithoutMemoryForTheIndex)
{
    wyk_module_exit();
    wyk_reset(kStart);
    std::memset(&mldsnoop_list, 0, sizeof mldsnoop_list);
    wyk_kmalloc_fail_nth(1);
    wyk_printk_clear();
    EXPECT_EQ(wyk_module_init(), -ENOMEM);
    EXPECT_EQ(br_v6snoop_forward_hook, nullptr) << "no hook set";
    EXPECT_EQ(br_mldsnoop_show_hook, nullptr);
    EXPECT_EQ(wyk_kmalloc_live(), 0u);
    EXPECT_NE(std::string(wyk_printk_text()).find("not loaded"), std::string::npos);
    u8 host[6] = {2, 0, 0, 0, 0, 1}, group[6] = {0x33, 0x33, 0, 0, 0, 1};
    EXPECT_EQ(br_mldsnoop_add(port(0), group, host), 0) << "nothing learnt without an index";
    EXPECT_EQ(wyk_kmalloc_live(), 0u);
    ASSERT_EQ(wyk_module_init(), 0);
    index_allocs_ = wyk_kmalloc_live();
}

// Random reports, refreshes, leaves, ageing, cleanups and ports that come and
// go; after every step the index holds exactly the list and the packet path
// decides as the list says.
TEST_F(Index, EqualsTheListThroughRandomChanges)
{
    std::vector<Addr> groups;
    for (int i = 0; i < 12; i++) {
        char text[32];
        std::snprintf(text, sizeof text, "ff05::%x:%x", i % 3, 0x100 + i * 7);
        groups.push_back(ip6(text));
    }
    const Mac hosts[] = {kHostA, kHostB, kHostC, {2, 0, 0, 0, 1, 0}, {2, 0, 0, 0, 1, 1}};

    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        reload(24); // 16 buckets for 12 groups, 24 of 360 memberships at most
        br_mldsnoop_set_age_hook(nullptr, 25 * HZ);
        std::mt19937 rnd(seed);
        net_device extra[2]{};
        net_bridge_port *joined[2] = {nullptr, nullptr};
        for (int i = 0; i < 2; i++)
            std::snprintf(extra[i].name, IFNAMSIZ, "lan%d", 5 + i);

        auto pick_port = [&]() -> net_bridge_port * {
            const unsigned k = rnd() % 6;
            return k < 4 ? port(static_cast<int>(k)) : joined[k - 4];
        };
        unsigned peak = 0;
        for (int step = 0; step < 600; step++) {
            SCOPED_TRACE(step);
            const Mac g = group_mac(groups[rnd() % groups.size()]);
            const Mac &h = hosts[rnd() % 5];
            net_bridge_port *p = pick_port();
            const unsigned op = rnd() % 100;
            if (op < 50) {
                if (p)
                    br_mldsnoop_add(p, g.data(), h.data()); // a refresh when known
            } else if (op < 70) {
                if (p)
                    br_mldsnoop_del(p, g.data(), h.data());
            } else if (op < 80) {
                wyk_advance(rnd() % (12 * HZ));
            } else if (op < 88) {
                // A join of one of the extra ports, or its removal from the bridge.
                const unsigned k = rnd() % 2;
                if (joined[k]) {
                    wyk_port_del(joined[k]);
                    joined[k] = nullptr;
                } else {
                    joined[k] = wyk_port_add(&extra[k]);
                }
            } else if (op < 90) {
                br_mldsnoop_cleanup_hook();
                br_mldsnoop_start_hook();
                br_mldsnoop_enable_hook(1);
                br_mldsnoop_set_age_hook(nullptr, 25 * HZ);
            } else if (op < 92) {
                wyk_rcu_grace_period();
            } else if (p) {
                // A report through the hook, from a listener behind p.
                Port *owner = nullptr;
                for (Port &q : ports_)
                    if (&q.port == p)
                        owner = &q;
                if (owner) {
                    const Addr &ga = groups[rnd() % groups.size()];
                    const Bytes f = mld_v1(op % 2 ? 131 : 132, h, op % 2 ? ga : ip6("ff02::2"), ga);
                    sk_buff *skb = wyk_skb_frame(&owner->dev, f.data(), f.size());
                    wyk_bridge_forward(skb);
                    kfree_skb(skb);
                    wyk_sent_clear();
                }
            }
            ASSERT_NO_FATAL_FAILURE(expect_index_is_list());
            peak = std::max(peak, mldsnoop_count);
            if (step % 10 == 0)
                expect_lookups_follow_list(groups);
            if (HasFailure())
                return;
        }
        EXPECT_EQ(peak, 24u) << "the walk should reach the bound";
        for (net_bridge_port *j : joined)
            if (j)
                wyk_port_del(j);
        wyk_rcu_grace_period();
        EXPECT_EQ(wyk_fault_count(), 0u) << wyk_fault_text();
    }
}

} // namespace
} // namespace v6test

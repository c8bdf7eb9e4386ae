// A bridge with four ports and the module freshly loaded, started and enabled
// in the kernel stand-in. Every test ends by unloading the module and checking
// that nothing leaked and the stand-in saw no misuse.
#ifndef V6SNOOP_TEST_FIXTURE_H
#define V6SNOOP_TEST_FIXTURE_H

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include <wyk/testctl.h>

#include "frames.h"
#include "v6snoop.h"

extern "C" int (*const wyk_module_init)(void);
extern "C" void (*const wyk_module_exit)(void);
extern "C" const char wyk_module_license[];

namespace v6test {

using frames::Addr;
using frames::Bytes;
using frames::Mac;

constexpr unsigned long kStart = 0x10000;

inline const Mac kHostA = {0x02, 0, 0, 0, 0, 0x0a};
inline const Mac kHostB = {0x02, 0, 0, 0, 0, 0x0b};
inline const Mac kHostC = {0x02, 0, 0, 0, 0, 0x0c};

struct Entry {
    std::string port;
    Mac group;
    Mac host;
    bool operator==(const Entry &) const = default;
};

inline std::ostream &operator<<(std::ostream &os, const Entry &e)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, "{%s %02x%02x.%02x%02x.%02x%02x host ..%02x}", e.port.c_str(),
                  e.group[0], e.group[1], e.group[2], e.group[3], e.group[4], e.group[5], e.host[5]);
    return os << buf;
}

class Bridge : public ::testing::Test {
protected:
    struct Port {
        net_device dev{};
        net_bridge_port port{};
    };
    Port ports_[4];
    net_device br0_{}; // the bridge device itself: not a port

    void SetUp() override
    {
        for (int i = 0; i < 4; i++) {
            std::snprintf(ports_[i].dev.name, IFNAMSIZ, "lan%d", i + 1);
            ports_[i].port.dev = &ports_[i].dev;
            ports_[i].port.port_no = static_cast<u16>(i + 1);
            ports_[i].dev.br_port = &ports_[i].port;
        }
        std::snprintf(br0_.name, IFNAMSIZ, "br0");
        wyk_reset(kStart);
        std::memset(&mldsnoop_list, 0, sizeof mldsnoop_list); // as a fresh load finds it
        mldsnoop_max_entries = MLDSNOOP_DEFAULT_MAX;
        ASSERT_EQ(wyk_module_init(), 0) << wyk_printk_text();
        index_allocs_ = wyk_kmalloc_live();
        wyk_printk_clear();
        br_mldsnoop_start_hook();
        br_mldsnoop_enable_hook(1);
    }

    void TearDown() override
    {
        wyk_module_exit();
        wyk_sent_clear();
        EXPECT_EQ(wyk_kmalloc_live(), 0u) << "entries leaked";
        EXPECT_EQ(wyk_skb_live(), 0u) << "frames leaked";
        EXPECT_EQ(wyk_rcu_pending(), 0u);
        EXPECT_EQ(wyk_bh_depth(), 0);
        EXPECT_EQ(wyk_rcu_depth(), 0);
        EXPECT_EQ(wyk_fault_count(), 0u) << wyk_fault_text();
    }

    net_bridge_port *port(int i) { return &ports_[i].port; }

    // Allocations of entries: those live beyond what loading the module made.
    size_t entries_live() const { return wyk_kmalloc_live() - index_allocs_; }
    size_t index_allocs_ = 0;

    // A frame received on port i (-1: the bridge device) through the forward
    // hook; the bridge keeps and frees the frame whatever the result.
    int forward(int i, const Bytes &f)
    {
        sk_buff *skb = wyk_skb_frame(i < 0 ? &br0_ : &ports_[i].dev, f.data(), f.size());
        int r = wyk_bridge_forward(skb);
        kfree_skb(skb);
        return r;
    }

    // A frame the bridge device sends, through the deliver hook. *consumed
    // tells whether the module freed it; if not, the bridge frees it here.
    int deliver(const Bytes &f, bool *consumed)
    {
        sk_buff *skb = wyk_skb_frame(&br0_, f.data(), f.size());
        int r = wyk_bridge_deliver(skb);
        *consumed = !wyk_skb_is_live(skb);
        if (!*consumed)
            kfree_skb(skb);
        return r;
    }

    std::vector<Entry> table()
    {
        std::vector<Entry> v;
        const mldsnoop_entry *e;
        list_for_each_entry(e, &mldsnoop_list.list, list) {
            Entry x;
            x.port = br_v6snoop_port_dev(e->port)->name;
            std::memcpy(x.group.data(), e->group, 6);
            std::memcpy(x.host.data(), e->host, 6);
            v.push_back(x);
        }
        return v;
    }

    // Where copies went: (port name, 1 for br_deliver), then forgets them.
    std::vector<std::pair<std::string, int>> take_sent()
    {
        std::vector<std::pair<std::string, int>> v;
        for (size_t i = 0; i < wyk_sent_count(); i++) {
            const wyk_sent *s = wyk_sent_at(i);
            v.emplace_back(br_v6snoop_port_dev(s->port)->name, s->deliver);
        }
        wyk_sent_clear();
        return v;
    }

    Entry entry(int i, const Addr &group, const Mac &host)
    {
        return {ports_[i].dev.name, frames::group_mac(group), host};
    }

    Entry entry(int i, const char *group, const Mac &host) { return entry(i, frames::ip6(group), host); }

    std::string show()
    {
        wyk_printk_clear();
        br_mldsnoop_show_hook();
        std::string s = wyk_printk_text();
        wyk_printk_clear();
        return s;
    }
};

} // namespace v6test

#endif

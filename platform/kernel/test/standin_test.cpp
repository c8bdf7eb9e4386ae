// The kernel stand-in behaves as the module relies on, and reports misuse.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <string>

#include <wyk/testctl.h>

namespace {

class Kernel : public ::testing::Test {
protected:
    void SetUp() override { wyk_reset(1000); }
    void TearDown() override { wyk_reset(0); }
};

int g_fired;
unsigned long g_fired_at, g_data;

void on_timer(unsigned long data)
{
    g_fired++;
    g_fired_at = jiffies;
    g_data = data;
}

TEST_F(Kernel, TimersFireOnTheirTickAlsoAcrossTheWrap)
{
    for (unsigned long start : {1000ul, 0xffffffffUL - 5}) {
        SCOPED_TRACE(start);
        wyk_set_jiffies(start);
        timer_list t;
        setup_timer(&t, on_timer, 42);
        g_fired = 0;
        mod_timer(&t, jiffies + 10);
        EXPECT_TRUE(timer_pending(&t));
        wyk_advance(9);
        EXPECT_EQ(g_fired, 0);
        wyk_advance(1);
        EXPECT_EQ(g_fired, 1);
        EXPECT_EQ(g_fired_at, (start + 10) & 0xffffffffUL);
        EXPECT_EQ(g_data, 42u);
        EXPECT_FALSE(timer_pending(&t));
        mod_timer(&t, jiffies + 5);
        EXPECT_EQ(del_timer(&t), 1);
        wyk_advance(10);
        EXPECT_EQ(g_fired, 1);
    }
    EXPECT_EQ(wyk_fault_count(), 0u) << wyk_fault_text();
}

TEST_F(Kernel, TimerMisuseIsReported)
{
    timer_list t;
    setup_timer(&t, on_timer, 0);
    mod_timer(&t, jiffies + 10);
    setup_timer(&t, on_timer, 0);
    EXPECT_NE(std::string(wyk_fault_text()).find("timer initialised while pending"), std::string::npos);
    timer_list u;
    init_timer(&u);
    mod_timer(&u, jiffies + 1);
    EXPECT_NE(std::string(wyk_fault_text()).find("without a function"), std::string::npos);
    del_timer(&t);
    del_timer(&u);
}

struct Obj {
    int value;
    rcu_head rcu;
};
int g_freed;
void free_obj(rcu_head *h)
{
    g_freed++;
    kfree(container_of(h, Obj, rcu));
}

TEST_F(Kernel, RcuCallbacksWaitForAGracePeriod)
{
    g_freed = 0;
    auto *o = static_cast<Obj *>(kmalloc(sizeof(Obj), GFP_ATOMIC));
    ASSERT_NE(o, nullptr);
    call_rcu(&o->rcu, free_obj);
    EXPECT_EQ(g_freed, 0);
    EXPECT_EQ(wyk_rcu_pending(), 1u);
    EXPECT_EQ(wyk_kmalloc_live(), 1u);
    synchronize_rcu();
    EXPECT_EQ(g_freed, 1);
    EXPECT_EQ(wyk_kmalloc_live(), 0u);
    EXPECT_EQ(wyk_synchronize_calls(), 1u);

    rcu_read_lock();
    synchronize_rcu();
    rcu_read_unlock();
    rcu_read_unlock();
    EXPECT_EQ(wyk_fault_count(), 2u) << wyk_fault_text();
}

TEST_F(Kernel, RcuListKeepsTheRemovedEntrysWayOn)
{
    list_head head = LIST_HEAD_INIT(head);
    list_head a, b;
    local_bh_disable();
    list_add_rcu(&a, &head);
    list_add_rcu(&b, &head); // head -> b -> a
    list_del_rcu(&b);
    local_bh_enable();
    EXPECT_EQ(head.next, &a);
    EXPECT_EQ(b.next, &a) << "a reader on b walks on to a";
    EXPECT_EQ(wyk_fault_count(), 0u);
    list_add_rcu(&b, &head); // bottom halves on: a writer without exclusion
    EXPECT_NE(std::string(wyk_fault_text()).find("bottom halves enabled"), std::string::npos);
    local_bh_enable();
    EXPECT_NE(std::string(wyk_fault_text()).find("local_bh_enable without"), std::string::npos);
}

TEST_F(Kernel, KmallocFailsWhenTold)
{
    wyk_kmalloc_fail_nth(2);
    void *a = kmalloc(8, GFP_ATOMIC);
    void *b = kmalloc(8, GFP_ATOMIC);
    void *c = kmalloc(8, GFP_ATOMIC);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_NE(c, nullptr);
    kfree(a);
    kfree(c);
    kfree(c);
    EXPECT_NE(std::string(wyk_fault_text()).find("freed twice"), std::string::npos);
}

TEST_F(Kernel, CallsThatMaySleepAreReportedInAtomicContext)
{
    net_device dev{};
    const unsigned char frame[20] = {0x33, 0x33};
    sk_buff *skb = wyk_skb_frame(&dev, frame, sizeof frame);
    // Where sleeping is allowed, and atomic calls anywhere: no fault.
    kfree(kmalloc(8, GFP_KERNEL));
    kfree_skb(skb_clone(skb, GFP_KERNEL));
    synchronize_rcu();
    rcu_barrier();
    local_bh_disable();
    kfree(kmalloc(8, GFP_ATOMIC));
    kfree_skb(skb_clone(skb, GFP_ATOMIC));
    local_bh_enable();
    ASSERT_EQ(wyk_fault_count(), 0u) << wyk_fault_text();

    struct Case {
        const char *name;
        void (*enter)();
        void (*leave)();
    };
    const Case contexts[] = {
        {"bottom halves off", local_bh_disable, local_bh_enable},
        {"RCU read side", rcu_read_lock, rcu_read_unlock},
    };
    for (const Case &c : contexts) {
        SCOPED_TRACE(c.name);
        wyk_reset(1000);
        c.enter();
        kfree(kmalloc(8, GFP_KERNEL));
        kfree_skb(skb_clone(skb, GFP_KERNEL));
        rcu_barrier();
        c.leave();
        const std::string faults = wyk_fault_text();
        EXPECT_EQ(wyk_fault_count(), 3u) << faults;
        for (const char *what : {"sleeping kmalloc", "sleeping skb_clone", "rcu_barrier"})
            EXPECT_NE(faults.find(std::string(what) + " in atomic context"), std::string::npos) << what;
    }
    wyk_reset(1000);
    local_bh_disable();
    synchronize_rcu();
    local_bh_enable();
    EXPECT_NE(std::string(wyk_fault_text()).find("synchronize_rcu in atomic context"), std::string::npos);
    kfree_skb(skb);
}

TEST_F(Kernel, SocketBuffersAndSends)
{
    net_device dev{};
    net_bridge_port port{};
    port.dev = &dev;
    dev.br_port = &port;
    const unsigned char frame[20] = {0x33, 0x33, 0, 0, 0, 1, 2, 0, 0, 0, 0, 1, 0x86, 0xdd, 0x60};
    sk_buff *skb = wyk_skb_frame(&dev, frame, sizeof frame);
    EXPECT_EQ(skb_mac_header(skb)[12], 0x86);
    EXPECT_EQ(skb_network_header(skb)[0], 0x60);
    EXPECT_EQ(skb->len, 6u);
    EXPECT_EQ(skb_tail_pointer(skb) - skb->head, 20);

    sk_buff *short_skb = wyk_skb_frame(&dev, frame, 14);
    EXPECT_EQ(skb_network_header(short_skb), nullptr);
    kfree_skb(short_skb);

    net_device other{};
    net_bridge_port other_port{};
    other_port.dev = &other;
    sk_buff *c1 = skb_clone(skb, GFP_ATOMIC);
    sk_buff *c2 = skb_clone(skb, GFP_ATOMIC);
    EXPECT_EQ(c1->head, skb->head) << "a clone shares the data";
    br_forward(&other_port, c1);
    br_deliver(&port, c2);
    ASSERT_EQ(wyk_sent_count(), 2u);
    EXPECT_EQ(wyk_sent_at(0)->deliver, 0);
    EXPECT_EQ(wyk_sent_at(0)->delivered, 1);
    EXPECT_EQ(wyk_sent_at(1)->deliver, 1);
    EXPECT_EQ(wyk_sent_at(1)->delivered, 0) << "not back out of the port it came in on";
    wyk_sent_clear();
    EXPECT_EQ(wyk_skb_live(), 1u);
    wyk_skb_clone_fail_nth(1);
    EXPECT_EQ(skb_clone(skb, GFP_ATOMIC), nullptr);
    kfree_skb(skb);
    EXPECT_EQ(wyk_skb_live(), 0u);
    kfree_skb(skb);
    EXPECT_NE(std::string(wyk_fault_text()).find("already freed"), std::string::npos);
}

TEST_F(Kernel, Ipv6AddressTypes)
{
    struct Case {
        std::array<uint8_t, 16> a;
        int multicast;
        int linklocal;
    };
    const Case cases[] = {
        {{0xff, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xfb}, 1, 1},
        {{0xff, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 3}, 1, 0},
        {{0xff, 0x1e, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 5}, 1, 0},
        {{0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 0, 1},
        {{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 0, 0},
        {{}, 0, 0},
    };
    for (const Case &c : cases) {
        in6_addr a;
        std::memcpy(a.s6_addr, c.a.data(), 16);
        int t = __ipv6_addr_type(&a);
        EXPECT_EQ((t & IPV6_ADDR_MULTICAST) != 0, c.multicast != 0);
        EXPECT_EQ((t & IPV6_ADDR_LINKLOCAL) != 0, c.linklocal != 0);
    }
}

TEST_F(Kernel, PortRecordLeadsWithBridgeAndDevice)
{
    EXPECT_EQ(offsetof(net_bridge_port, br), offsetof(br_v6snoop_port_head, br));
    EXPECT_EQ(offsetof(net_bridge_port, dev), offsetof(br_v6snoop_port_head, dev));
    net_device d{};
    net_bridge_port p{};
    p.dev = &d;
    EXPECT_EQ(br_v6snoop_port_dev(&p), &d);
}

struct PortHookCall {
    int calls;
    net_bridge_port *port;
    net_device *dev_at_call; // the port's device, read in the hook
    net_bridge_port *br_port_at_call;
    int rcu_depth, bh_depth;
};
PortHookCall g_port_hook;

void record_port_hook(net_bridge_port *p)
{
    g_port_hook = {g_port_hook.calls + 1, p, p->dev, p->dev->br_port, wyk_rcu_depth(), wyk_bh_depth()};
}

// Port removal as the bridge does it: the device stops naming the port, the
// module hears of it while the port is still readable, and the port is
// freed only after a grace period.
TEST_F(Kernel, BridgePortRemoval)
{
    net_device dev{};
    net_bridge_port *p = wyk_port_add(&dev);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(dev.br_port, p);
    EXPECT_EQ(p->dev, &dev);
    EXPECT_EQ(wyk_ports_live(), 1u);

    g_port_hook = {};
    br_mldsnoop_del_port_hook = record_port_hook;
    wyk_port_del(p);
    br_mldsnoop_del_port_hook = nullptr;
    EXPECT_EQ(g_port_hook.calls, 1);
    EXPECT_EQ(g_port_hook.port, p);
    EXPECT_EQ(g_port_hook.dev_at_call, &dev);
    EXPECT_EQ(g_port_hook.br_port_at_call, nullptr) << "the device stopped naming the port first";
    EXPECT_EQ(g_port_hook.rcu_depth, 1);
    EXPECT_EQ(g_port_hook.bh_depth, 0);
    EXPECT_EQ(dev.br_port, nullptr);
    EXPECT_FALSE(wyk_port_is_freed(p));
    EXPECT_EQ(p->dev, &dev) << "readable until the grace period";

    wyk_rcu_grace_period();
    EXPECT_TRUE(wyk_port_is_freed(p));
    EXPECT_EQ(wyk_ports_live(), 0u);
    ASSERT_EQ(wyk_fault_count(), 0u) << wyk_fault_text();

    const unsigned char frame[20] = {0x33, 0x33};
    sk_buff *skb = wyk_skb_frame(&dev, frame, sizeof frame);
    br_forward(p, skb_clone(skb, GFP_ATOMIC));
    br_deliver(p, skb_clone(skb, GFP_ATOMIC));
    EXPECT_EQ(wyk_sent_count(), 0u);
    EXPECT_EQ(wyk_skb_live(), 1u) << "the sends took their copies over";
    kfree_skb(skb);
    EXPECT_EQ(wyk_fault_count(), 2u);
    EXPECT_NE(std::string(wyk_fault_text()).find("frame sent to a freed bridge port"), std::string::npos);

    wyk_reset(1000);
    wyk_port_del(p);
    EXPECT_NE(std::string(wyk_fault_text()).find("not live"), std::string::npos);
    net_bridge_port *q = wyk_port_add(&dev);
    ASSERT_NE(q, nullptr);
    EXPECT_NE(q, p) << "a freed port's address is never handed out again";
    local_bh_disable();
    wyk_port_del(q);
    local_bh_enable();
    EXPECT_NE(std::string(wyk_fault_text()).find("bridge port removed in atomic context"), std::string::npos);
    wyk_rcu_grace_period();
}

TEST(KernelDeathTest, FreedPortIsUnreadable)
{
    EXPECT_DEATH(
        {
            net_device dev{};
            net_bridge_port *p = wyk_port_add(&dev);
            wyk_port_del(p);
            wyk_rcu_grace_period();
            std::printf("%p\n", static_cast<void *>(*static_cast<net_device *volatile *>(&p->dev)));
        },
        "");
}

TEST_F(Kernel, PrintkIsReadable)
{
    printk("a %d %s\n", 5, "b");
    printk("c\n");
    EXPECT_STREQ(wyk_printk_text(), "a 5 b\nc\n");
    wyk_printk_clear();
    EXPECT_STREQ(wyk_printk_text(), "");
}

} // namespace

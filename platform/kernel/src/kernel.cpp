// The kernel stand-in: single-threaded, like the platform's uniprocessor,
// non-preemptible kernel. Misuse that would corrupt or crash a real kernel is
// recorded as a fault for the tests instead.
#include <wyk/testctl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <deque>
#include <map>
#include <new>
#include <set>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

extern "C" {
volatile unsigned long jiffies;

int (*br_v6snoop_forward_hook)(struct sk_buff *, void *, const unsigned char *);
int (*br_v6snoop_deliver_hook)(struct sk_buff *, void *, const unsigned char *);
void (*br_mldsnoop_start_hook)(void);
void (*br_mldsnoop_cleanup_hook)(void);
void (*br_mldsnoop_enable_hook)(unsigned int);
void (*br_mldsnoop_set_age_hook)(struct net_bridge *, int);
void (*br_mldsnoop_show_hook)(void);
void (*br_mldsnoop_del_port_hook)(struct net_bridge_port *);
}

namespace {

struct SharedData {
    int refs;
    unsigned char *buf;
};

struct State {
    std::string printk;
    std::string faults;
    size_t fault_count = 0;

    int bh_depth = 0;
    unsigned long bh_disables = 0;
    int softirq = 0; // inside a timer or a bridge call site
    int rcu_depth = 0;
    std::deque<rcu_head *> rcu_queue;
    unsigned long synchronize_calls = 0;
    int hooks_at_sync = -1;

    std::set<timer_list *> timers; // pending

    unsigned long kmalloc_fail_in = 0;
    std::map<const void *, size_t> allocs;

    unsigned long clone_fail_in = 0;
    unsigned long clones = 0;
    std::set<const sk_buff *> skbs;

    std::vector<wyk_sent> sent;

    std::set<const net_bridge_port *> ports;       // live bridge ports of wyk_port_add
    std::set<const net_bridge_port *> freed_ports; // kept mapped, inaccessible
    u16 next_port_no = 1;
};

State &st()
{
    static State s;
    return s;
}

void fault(const std::string &what)
{
    st().faults += what + "\n";
    st().fault_count++;
}

// The allocation flag that lets the allocator sleep (GFP_KERNEL has it,
// GFP_ATOMIC does not).
constexpr gfp_t kGfpWait = 0x10u;

// A call that may sleep, made where the kernel must not: with bottom halves
// off, in softirq context or inside an RCU read-side section.
void check_may_sleep(const char *what)
{
    if (st().bh_depth || st().softirq || st().rcu_depth)
        fault(std::string(what) + " in atomic context");
}

u32 now32()
{
    return static_cast<u32>(jiffies);
}

// Counts down an injected failure; true when this call is the one to fail.
bool fail_now(unsigned long &countdown)
{
    if (countdown == 0)
        return false;
    return --countdown == 0;
}

int hooks_set()
{
    return (br_v6snoop_forward_hook != nullptr) + (br_v6snoop_deliver_hook != nullptr) +
           (br_mldsnoop_start_hook != nullptr) + (br_mldsnoop_cleanup_hook != nullptr) +
           (br_mldsnoop_enable_hook != nullptr) + (br_mldsnoop_set_age_hook != nullptr) +
           (br_mldsnoop_show_hook != nullptr) + (br_mldsnoop_del_port_hook != nullptr);
}

void run_rcu_callbacks()
{
    // Callbacks may queue more; those wait for the next grace period.
    std::deque<rcu_head *> batch;
    batch.swap(st().rcu_queue);
    for (rcu_head *h : batch)
        h->func(h);
}

void free_skb_struct(sk_buff *skb)
{
    auto *sh = static_cast<SharedData *>(skb->wyk_shared);
    if (--sh->refs == 0) {
        std::free(sh->buf);
        delete sh;
    }
    st().skbs.erase(skb);
    delete skb;
}

size_t port_map_size()
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (sizeof(net_bridge_port) + page - 1) / page * page;
}

// The last step of the bridge's port removal, a grace period after it.
void free_port_rcu(rcu_head *head)
{
    auto *p = container_of(head, net_bridge_port, wyk_rcu);
    st().ports.erase(p);
    st().freed_ports.insert(p);
    std::memset(static_cast<void *>(p), 0x6b, sizeof *p);
    // Kept mapped so the address is never handed out again.
    if (mprotect(p, port_map_size(), PROT_NONE) != 0)
        fault("freed bridge port could not be made inaccessible");
}

} // namespace

extern "C" {

int printk(const char *fmt, ...)
{
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n < 0)
        return n;
    st().printk.append(buf, std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1));
    return n;
}

void wyk_rcu_list_write(void)
{
    if (st().bh_depth == 0)
        fault("RCU list changed with bottom halves enabled");
}

void rcu_read_lock(void)
{
    st().rcu_depth++;
}

void rcu_read_unlock(void)
{
    if (st().rcu_depth == 0)
        fault("rcu_read_unlock without rcu_read_lock");
    else
        st().rcu_depth--;
}

void call_rcu(struct rcu_head *head, void (*func)(struct rcu_head *))
{
    head->func = func;
    head->next = nullptr;
    st().rcu_queue.push_back(head);
}

void synchronize_rcu(void)
{
    if (st().rcu_depth)
        fault("synchronize_rcu inside an RCU read-side section");
    else
        check_may_sleep("synchronize_rcu");
    st().synchronize_calls++;
    st().hooks_at_sync = hooks_set();
    run_rcu_callbacks();
}

void rcu_barrier(void)
{
    check_may_sleep("rcu_barrier");
    while (!st().rcu_queue.empty())
        run_rcu_callbacks();
}

void local_bh_disable(void)
{
    st().bh_depth++;
    st().bh_disables++;
}

void local_bh_enable(void)
{
    if (st().bh_depth == 0)
        fault("local_bh_enable without local_bh_disable");
    else
        st().bh_depth--;
}

void init_timer(struct timer_list *timer)
{
    if (st().timers.count(timer))
        fault("timer initialised while pending");
    st().timers.erase(timer);
    timer->wyk_pending = 0;
    timer->function = nullptr;
    timer->data = 0;
    timer->expires = 0;
}

void setup_timer(struct timer_list *timer, void (*function)(unsigned long), unsigned long data)
{
    init_timer(timer);
    timer->function = function;
    timer->data = data;
}

void add_timer(struct timer_list *timer)
{
    if (st().timers.count(timer))
        fault("add_timer on a pending timer");
    if (!timer->function)
        fault("timer armed without a function");
    st().timers.insert(timer);
    timer->wyk_pending = 1;
}

int mod_timer(struct timer_list *timer, unsigned long expires)
{
    int was = st().timers.count(timer) ? 1 : 0;
    if (!timer->function)
        fault("timer armed without a function");
    timer->expires = static_cast<u32>(expires);
    st().timers.insert(timer);
    timer->wyk_pending = 1;
    return was;
}

int del_timer(struct timer_list *timer)
{
    int was = static_cast<int>(st().timers.erase(timer));
    timer->wyk_pending = 0;
    return was;
}

int del_timer_sync(struct timer_list *timer)
{
    return del_timer(timer);
}

int timer_pending(const struct timer_list *timer)
{
    return st().timers.count(const_cast<timer_list *>(timer)) ? 1 : 0;
}

void *kmalloc(size_t size, gfp_t flags)
{
    if (flags & kGfpWait)
        check_may_sleep("sleeping kmalloc");
    if (fail_now(st().kmalloc_fail_in))
        return nullptr;
    void *p = std::malloc(size ? size : 1);
    if (!p)
        return nullptr;
    std::memset(p, 0xa5, size); // not zeroed, as kmalloc's memory is not
    st().allocs[p] = size;
    return p;
}

void *kzalloc(size_t size, gfp_t flags)
{
    void *p = kmalloc(size, flags);
    if (p)
        std::memset(p, 0, size);
    return p;
}

void kfree(const void *p)
{
    if (!p)
        return;
    auto it = st().allocs.find(p);
    if (it == st().allocs.end()) {
        fault("kfree of memory not from kmalloc (or freed twice)");
        return;
    }
    std::memset(const_cast<void *>(p), 0x6b, it->second);
    st().allocs.erase(it);
    std::free(const_cast<void *>(p));
}

struct sk_buff *skb_clone(struct sk_buff *skb, gfp_t flags)
{
    if (flags & kGfpWait)
        check_may_sleep("sleeping skb_clone");
    if (!st().skbs.count(skb)) {
        fault("skb_clone of a freed frame");
        return nullptr;
    }
    if (fail_now(st().clone_fail_in))
        return nullptr;
    auto *c = new sk_buff(*skb);
    c->next = c->prev = nullptr;
    static_cast<SharedData *>(c->wyk_shared)->refs++;
    st().skbs.insert(c);
    st().clones++;
    return c;
}

void kfree_skb(struct sk_buff *skb)
{
    if (!skb)
        return;
    if (!st().skbs.count(skb)) {
        fault("kfree_skb of a frame already freed");
        return;
    }
    free_skb_struct(skb);
}

static void record_send(int deliver, const struct net_bridge_port *to, struct sk_buff *skb)
{
    if (!st().skbs.count(skb)) {
        fault("frame sent after it was freed");
        return;
    }
    if (st().freed_ports.count(to)) {
        fault("frame sent to a freed bridge port");
        kfree_skb(skb); // the send takes the frame over
        return;
    }
    int delivered = !(skb->dev && to && skb->dev == to->dev);
    st().sent.push_back(wyk_sent{deliver, to, skb, delivered});
}

void br_forward(const struct net_bridge_port *to, struct sk_buff *skb)
{
    record_send(0, to, skb);
}

void br_deliver(const struct net_bridge_port *to, struct sk_buff *skb)
{
    record_send(1, to, skb);
}

int __ipv6_addr_type(const struct in6_addr *addr)
{
    const u8 *a = addr->s6_addr;
    if (a[0] == 0xff) {
        unsigned scope = a[1] & 0x0f;
        int type = IPV6_ADDR_MULTICAST | IPV6_ADDR_SCOPE_TYPE(scope);
        if (scope == 1)
            type |= IPV6_ADDR_LOOPBACK;
        else if (scope == 2)
            type |= IPV6_ADDR_LINKLOCAL;
        else if (scope == 5)
            type |= IPV6_ADDR_SITELOCAL;
        return type;
    }
    if (a[0] == 0xfe && (a[1] & 0xc0) == 0x80)
        return IPV6_ADDR_LINKLOCAL | IPV6_ADDR_UNICAST | IPV6_ADDR_SCOPE_TYPE(2);
    if (a[0] == 0xfe && (a[1] & 0xc0) == 0xc0)
        return IPV6_ADDR_SITELOCAL | IPV6_ADDR_UNICAST | IPV6_ADDR_SCOPE_TYPE(5);
    static const u8 zero[16] = {};
    if (std::memcmp(a, zero, 15) == 0) {
        if (a[15] == 0)
            return IPV6_ADDR_ANY;
        if (a[15] == 1)
            return IPV6_ADDR_LOOPBACK | IPV6_ADDR_UNICAST | IPV6_ADDR_SCOPE_TYPE(1);
    }
    if (std::memcmp(a, zero, 10) == 0 && a[10] == 0xff && a[11] == 0xff)
        return IPV6_ADDR_MAPPED;
    return IPV6_ADDR_UNICAST | IPV6_ADDR_SCOPE_TYPE(0x0e);
}

struct net_bridge_port *wyk_port_add(struct net_device *dev)
{
    void *mem = mmap(nullptr, port_map_size(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mem == MAP_FAILED) {
        fault("no memory for a bridge port");
        return nullptr;
    }
    auto *p = new (mem) net_bridge_port();
    p->dev = dev;
    p->port_no = st().next_port_no++;
    st().ports.insert(p);
    rcu_assign_pointer(dev->br_port, p);
    return p;
}

void wyk_port_del(struct net_bridge_port *port)
{
    if (!st().ports.count(port)) {
        fault("removal of a bridge port that is not live");
        return;
    }
    // The bridge removes ports under RTNL, where it may sleep.
    if (st().bh_depth || st().softirq || st().rcu_depth)
        fault("bridge port removed in atomic context");
    rcu_assign_pointer(port->dev->br_port, static_cast<net_bridge_port *>(nullptr));
    rcu_read_lock();
    void (*hook)(struct net_bridge_port *) = br_mldsnoop_del_port_hook;
    if (hook)
        hook(port);
    rcu_read_unlock();
    call_rcu(&port->wyk_rcu, free_port_rcu);
}

size_t wyk_ports_live(void)
{
    return st().ports.size();
}

int wyk_port_is_freed(const struct net_bridge_port *p)
{
    return st().freed_ports.count(p) ? 1 : 0;
}

// ---- test controls ----

void wyk_reset(unsigned long now)
{
    rcu_barrier();
    wyk_sent_clear();
    State &s = st();
    s.timers.clear(); // forgotten, not touched: their memory may be gone
    s.printk.clear();
    s.faults.clear();
    s.fault_count = 0;
    s.bh_depth = 0;
    s.bh_disables = 0;
    s.softirq = 0;
    s.rcu_depth = 0;
    s.synchronize_calls = 0;
    s.hooks_at_sync = -1;
    s.kmalloc_fail_in = 0;
    s.clone_fail_in = 0;
    s.clones = 0;
    jiffies = static_cast<u32>(now);
}

void wyk_set_jiffies(unsigned long now)
{
    jiffies = static_cast<u32>(now);
}

void wyk_advance(unsigned long ticks)
{
    for (unsigned long i = 0; i < ticks; i++) {
        jiffies = static_cast<u32>(jiffies + 1);
        for (;;) {
            timer_list *due = nullptr;
            for (timer_list *t : st().timers) {
                if (static_cast<int32_t>(now32() - static_cast<u32>(t->expires)) >= 0) {
                    due = t;
                    break;
                }
            }
            if (!due)
                break;
            st().timers.erase(due);
            due->wyk_pending = 0;
            if (!due->function) {
                fault("timer fired without a function");
                continue;
            }
            st().softirq++;
            due->function(due->data);
            st().softirq--;
        }
    }
}

size_t wyk_rcu_pending(void)
{
    return st().rcu_queue.size();
}

void wyk_rcu_grace_period(void)
{
    if (st().rcu_depth)
        fault("grace period ended inside an RCU read-side section");
    run_rcu_callbacks();
}

int wyk_rcu_depth(void)
{
    return st().rcu_depth;
}

unsigned long wyk_synchronize_calls(void)
{
    return st().synchronize_calls;
}

int wyk_hooks_set_at_synchronize(void)
{
    return st().hooks_at_sync;
}

int wyk_bh_depth(void)
{
    return st().bh_depth;
}

unsigned long wyk_bh_disables(void)
{
    return st().bh_disables;
}

void wyk_kmalloc_fail_nth(unsigned long n)
{
    st().kmalloc_fail_in = n;
}

size_t wyk_kmalloc_live(void)
{
    return st().allocs.size();
}

struct sk_buff *wyk_skb_alloc(size_t size)
{
    auto *sh = new SharedData{1, static_cast<unsigned char *>(std::malloc(size ? size : 1))};
    auto *skb = new sk_buff();
    skb->wyk_shared = sh;
    skb->head = skb->data = skb->tail = sh->buf;
    skb->end = sh->buf + size;
    st().skbs.insert(skb);
    return skb;
}

struct sk_buff *wyk_skb_frame(struct net_device *dev, const void *frame, size_t len)
{
    sk_buff *skb = wyk_skb_alloc(len);
    if (len)
        std::memcpy(skb->head, frame, len);
    skb->dev = dev;
    skb->mac_header = skb->head;
    size_t l2 = std::min<size_t>(len, ETH_HLEN);
    skb->data = skb->head + l2;
    skb->tail = skb->head + len;
    skb->len = static_cast<unsigned int>(len - l2);
    skb->network_header = len > ETH_HLEN ? skb->data : nullptr;
    return skb;
}

void wyk_skb_clone_fail_nth(unsigned long n)
{
    st().clone_fail_in = n;
}

size_t wyk_skb_live(void)
{
    return st().skbs.size();
}

int wyk_skb_is_live(const struct sk_buff *skb)
{
    return st().skbs.count(skb) ? 1 : 0;
}

unsigned long wyk_skb_clones(void)
{
    return st().clones;
}

size_t wyk_sent_count(void)
{
    return st().sent.size();
}

const struct wyk_sent *wyk_sent_at(size_t i)
{
    return i < st().sent.size() ? &st().sent[i] : nullptr;
}

void wyk_sent_clear(void)
{
    std::vector<wyk_sent> sent;
    sent.swap(st().sent);
    for (wyk_sent &s : sent)
        kfree_skb(s.skb);
}

static int bridge_call(int (*const *hook)(struct sk_buff *, void *, const unsigned char *),
                       struct sk_buff *skb)
{
    State &s = st();
    local_bh_disable();
    s.softirq++;
    rcu_read_lock();
    int (*fn)(struct sk_buff *, void *, const unsigned char *) = *hook;
    int r = 0;
    if (fn && skb->mac_header && skb->mac_header + ETH_ALEN <= skb->tail)
        r = fn(skb, nullptr, skb->mac_header);
    rcu_read_unlock();
    s.softirq--;
    local_bh_enable();
    return r;
}

int wyk_bridge_forward(struct sk_buff *skb)
{
    return bridge_call(&br_v6snoop_forward_hook, skb);
}

int wyk_bridge_deliver(struct sk_buff *skb)
{
    return bridge_call(&br_v6snoop_deliver_hook, skb);
}

const char *wyk_printk_text(void)
{
    return st().printk.c_str();
}

void wyk_printk_clear(void)
{
    st().printk.clear();
}

size_t wyk_fault_count(void)
{
    return st().fault_count;
}

const char *wyk_fault_text(void)
{
    return st().faults.c_str();
}

} // extern "C"

/*
 * User-space stand-in for the parts of the platform's Linux 2.6.22 kernel that
 * the bridge module uses: lists and RCU lists, RCU with grace periods the test
 * ends explicitly, jiffies and timers driven by the test, bottom-half
 * disabling, kmalloc with injectable failure, socket buffers, bridge ports,
 * br_forward/br_deliver that record what they sent, __ipv6_addr_type, printk.
 *
 * C-compatible: the module includes it through the <linux/...> forwarders.
 * Test controls are in <wyk/testctl.h>.
 */
#ifndef WYK_KERNEL_H
#define WYK_KERNEL_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KERNEL_VERSION(a, b, c) (((a) << 16) + ((b) << 8) + (c))
#define LINUX_VERSION_CODE KERNEL_VERSION(2, 6, 22)

typedef uint8_t u8;
typedef uint16_t u16;
typedef uint32_t u32;
typedef uint64_t u64;
typedef int32_t s32;
typedef unsigned int gfp_t;

#define GFP_ATOMIC 0x20u
#define GFP_KERNEL 0xd0u

#define container_of(ptr, type, member) \
	((type *)(void *)((char *)(ptr) - offsetof(type, member)))

int printk(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

/* ---- lists ---- */
struct list_head {
	struct list_head *next, *prev;
};

#define LIST_HEAD_INIT(name) { &(name), &(name) }
#define LIST_POISON1 ((struct list_head *)(uintptr_t)0x00100100)
#define LIST_POISON2 ((struct list_head *)(uintptr_t)0x00200200)

/* Called by the RCU list writers: notes a change made with bottom halves on. */
void wyk_rcu_list_write(void);

static inline void INIT_LIST_HEAD(struct list_head *h)
{
	h->next = h;
	h->prev = h;
}

static inline int list_empty(const struct list_head *h)
{
	return h->next == h;
}

static inline void wyk_list_insert(struct list_head *n, struct list_head *prev,
				   struct list_head *next)
{
	n->next = next;
	n->prev = prev;
	next->prev = n;
	prev->next = n;
}

static inline void list_add(struct list_head *n, struct list_head *head)
{
	wyk_list_insert(n, head, head->next);
}

static inline void list_add_tail(struct list_head *n, struct list_head *head)
{
	wyk_list_insert(n, head->prev, head);
}

static inline void list_del(struct list_head *e)
{
	e->next->prev = e->prev;
	e->prev->next = e->next;
	e->next = LIST_POISON1;
	e->prev = LIST_POISON2;
}

static inline void list_add_rcu(struct list_head *n, struct list_head *head)
{
	wyk_rcu_list_write();
	/* The new entry is complete before readers can reach it. */
	n->next = head->next;
	n->prev = head;
	__atomic_thread_fence(__ATOMIC_RELEASE);
	head->next->prev = n;
	head->next = n;
}

/* Leaves e->next alone: a reader standing on e still finds its way on. */
static inline void list_del_rcu(struct list_head *e)
{
	wyk_rcu_list_write();
	e->next->prev = e->prev;
	e->prev->next = e->next;
	e->prev = LIST_POISON2;
}

#define list_entry(ptr, type, member) container_of(ptr, type, member)

#define list_for_each_entry(pos, head, member)                               \
	for (pos = list_entry((head)->next, __typeof__(*pos), member);        \
	     &pos->member != (head);                                          \
	     pos = list_entry(pos->member.next, __typeof__(*pos), member))

#define list_for_each_entry_safe(pos, n, head, member)                       \
	for (pos = list_entry((head)->next, __typeof__(*pos), member),        \
	     n = list_entry(pos->member.next, __typeof__(*pos), member);      \
	     &pos->member != (head);                                          \
	     pos = n, n = list_entry(n->member.next, __typeof__(*n), member))

/* ---- RCU ---- */
struct rcu_head {
	struct rcu_head *next;
	void (*func)(struct rcu_head *head);
};

void rcu_read_lock(void);
void rcu_read_unlock(void);
void call_rcu(struct rcu_head *head, void (*func)(struct rcu_head *head));
/* Ends a grace period: every callback queued before it has run on return. */
void synchronize_rcu(void);
void rcu_barrier(void);

#define rcu_dereference(p) (__extension__({                      \
	__typeof__(p) wyk_p_ = __atomic_load_n(&(p), __ATOMIC_CONSUME); \
	wyk_p_; }))
#define rcu_assign_pointer(p, v) __atomic_store_n(&(p), (v), __ATOMIC_RELEASE)

#define list_for_each_entry_rcu(pos, head, member)                           \
	for (pos = list_entry(rcu_dereference((head)->next), __typeof__(*pos), member); \
	     &pos->member != (head);                                          \
	     pos = list_entry(rcu_dereference(pos->member.next), __typeof__(*pos), member))

/* ---- bottom halves ---- */
void local_bh_disable(void);
void local_bh_enable(void);

/* ---- time ---- */
/* The platform's rate; a build may set another to show the module follows it. */
#ifndef HZ
#define HZ 100
#endif
/* Wraps at 32 bits, as on the platform. */
extern volatile unsigned long jiffies;

struct timer_list {
	unsigned long expires;
	void (*function)(unsigned long data);
	unsigned long data;
	int wyk_pending; /* owned by the stand-in */
};

void init_timer(struct timer_list *timer);
void setup_timer(struct timer_list *timer, void (*function)(unsigned long),
		 unsigned long data);
void add_timer(struct timer_list *timer);
int mod_timer(struct timer_list *timer, unsigned long expires);
int del_timer(struct timer_list *timer);
int del_timer_sync(struct timer_list *timer);
int timer_pending(const struct timer_list *timer);

/* ---- memory ---- */
void *kmalloc(size_t size, gfp_t flags);
void *kzalloc(size_t size, gfp_t flags);
void kfree(const void *p);

/* ---- network devices, bridge ports, socket buffers ---- */
#define IFNAMSIZ 16
#define ETH_ALEN 6
#define ETH_HLEN 14
#define ETH_P_IPV6 0x86DD

struct net_bridge;
struct net_bridge_port;

struct net_device {
	char name[IFNAMSIZ];
	struct net_bridge_port *br_port; /* set while the device is a bridge port */
};

/* The bridge's port record; the module relies only on br and dev leading it. */
struct net_bridge_port {
	struct net_bridge *br;
	struct net_device *dev;
	u16 port_no;
	struct rcu_head wyk_rcu; /* owned by the stand-in (wyk_port_del) */
};

struct sk_buff {
	struct sk_buff *next, *prev;
	struct net_device *dev;
	unsigned int len, data_len;
	unsigned char *head, *data, *tail, *end;
	unsigned char *mac_header, *network_header; /* null when not set */
	void *wyk_shared;                            /* owned by the stand-in */
};

static inline unsigned char *skb_mac_header(const struct sk_buff *skb)
{
	return skb->mac_header;
}

static inline unsigned char *skb_network_header(const struct sk_buff *skb)
{
	return skb->network_header;
}

static inline unsigned char *skb_tail_pointer(const struct sk_buff *skb)
{
	return skb->tail;
}

static inline unsigned int skb_headlen(const struct sk_buff *skb)
{
	return skb->len - skb->data_len;
}

struct sk_buff *skb_clone(struct sk_buff *skb, gfp_t flags);
void kfree_skb(struct sk_buff *skb);

/* ---- IPv6 ---- */
struct in6_addr {
	union {
		u8 u6_addr8[16];
		u16 u6_addr16[8];
		u32 u6_addr32[4];
	} in6_u;
};
#define s6_addr in6_u.u6_addr8

#define IPV6_ADDR_ANY 0x0000U
#define IPV6_ADDR_UNICAST 0x0001U
#define IPV6_ADDR_MULTICAST 0x0002U
#define IPV6_ADDR_LOOPBACK 0x0010U
#define IPV6_ADDR_LINKLOCAL 0x0020U
#define IPV6_ADDR_SITELOCAL 0x0040U
#define IPV6_ADDR_MAPPED 0x1000U
#define IPV6_ADDR_RESERVED 0x2000U
#define IPV6_ADDR_SCOPE_TYPE(scope) ((scope) << 16)

int __ipv6_addr_type(const struct in6_addr *addr);

#ifdef __cplusplus
}
#endif

#endif

/*
 * Controls and observations of the kernel stand-in, for tests and tools.
 * C-compatible.
 */
#ifndef WYK_TESTCTL_H
#define WYK_TESTCTL_H

#include <wyk/kernel.h>

#include "br_v6snoop.h" /* the bridge's hooks, which the stand-in defines */

#ifdef __cplusplus
extern "C" {
#endif

/* Back to a fresh kernel: pending RCU callbacks run, sent frames freed, logs,
 * faults, failure injection and counters cleared, timers dropped, jiffies set
 * to `now`. Allocations still live stay live (tests check them). */
void wyk_reset(unsigned long now);

/* Time: sets the counter (no timers run) or steps it one tick at a time,
 * running every timer that falls due, in softirq context. */
void wyk_set_jiffies(unsigned long now);
void wyk_advance(unsigned long ticks);

/* RCU: queued callbacks, and ending a grace period by hand. */
size_t wyk_rcu_pending(void);
void wyk_rcu_grace_period(void);
int wyk_rcu_depth(void);
unsigned long wyk_synchronize_calls(void);
/* How many of the bridge's hooks were still set at the last synchronize_rcu. */
int wyk_hooks_set_at_synchronize(void);

/* Bottom halves. */
int wyk_bh_depth(void);
unsigned long wyk_bh_disables(void);

/* Memory: the n-th kmalloc from now (1 = the next) fails; 0 cancels. */
void wyk_kmalloc_fail_nth(unsigned long n);
size_t wyk_kmalloc_live(void);

/* Socket buffers. A frame laid out as the bridge sees it: link-layer header at
 * the start of an exactly sized buffer, network header and data after the 14
 * Ethernet bytes (no network header when the frame has no more than those). */
struct sk_buff *wyk_skb_frame(struct net_device *dev, const void *frame, size_t len);
/* An empty buffer of exactly `size` bytes: head, data, tail and the headers are
 * the caller's to set inside it. */
struct sk_buff *wyk_skb_alloc(size_t size);
void wyk_skb_clone_fail_nth(unsigned long n);
size_t wyk_skb_live(void);
int wyk_skb_is_live(const struct sk_buff *skb);
unsigned long wyk_skb_clones(void);

/* What br_forward and br_deliver were handed, in order. The stand-in holds the
 * frames until wyk_sent_clear or wyk_reset frees them. `delivered` is 0 when the
 * bridge would have dropped the copy (sent back out of the port it came in on). */
struct wyk_sent {
	int deliver; /* 0 br_forward, 1 br_deliver */
	const struct net_bridge_port *port;
	struct sk_buff *skb;
	int delivered;
};
size_t wyk_sent_count(void);
const struct wyk_sent *wyk_sent_at(size_t i);
void wyk_sent_clear(void);

/* Bridge ports as the bridge adds and removes them. wyk_port_add makes dev a
 * port (dev->br_port set). wyk_port_del removes it as the bridge does, in
 * process context: clears dev->br_port, calls the port removal hook inside an
 * RCU read-side section, and frees the port after the next grace period. A
 * freed port is poisoned, made inaccessible and never reused, so any later
 * read of it crashes the test; a frame sent to it is reported as a fault. */
struct net_bridge_port *wyk_port_add(struct net_device *dev);
void wyk_port_del(struct net_bridge_port *port);
size_t wyk_ports_live(void);
/* Whether p is a port that wyk_port_del has freed (p itself is not read). */
int wyk_port_is_freed(const struct net_bridge_port *p);

/* The bridge's call sites: the forward hook as frame reception calls it for a
 * multicast destination, the deliver hook as the bridge device's transmit
 * does; bottom halves off and inside an RCU read-side section. Result of the
 * hook, 0 when none is set. Neither frees the frame. */
int wyk_bridge_forward(struct sk_buff *skb);
int wyk_bridge_deliver(struct sk_buff *skb);

/* printk output since the last clear. */
const char *wyk_printk_text(void);
void wyk_printk_clear(void);

/* Misuse the stand-in detected (RCU list change with bottom halves on, a
 * timer initialised while pending, unbalanced locks, double frees, a call
 * that may sleep made with bottom halves off or inside an RCU read side ...),
 * one line each. */
size_t wyk_fault_count(void);
const char *wyk_fault_text(void);

#ifdef __cplusplus
}
#endif

#endif

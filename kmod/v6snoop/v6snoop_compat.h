/*
 * Kernel interfaces of the module, for the platform's 2.6.22 and for current
 * kernels (4.15 on), which changed timer setup, how a device names its bridge
 * port, the RCU list header and the bridge's send operation.
 */
#ifndef V6SNOOP_COMPAT_H
#define V6SNOOP_COMPAT_H

#include <linux/version.h>
#include <linux/module.h>
#include <linux/moduleparam.h>
#include <linux/kernel.h>
#include <linux/init.h>
#include <linux/types.h>
#include <linux/errno.h>
#include <linux/string.h>
#include <linux/list.h>
#include <linux/rcupdate.h>
#include <linux/timer.h>
#include <linux/jiffies.h>
#include <linux/slab.h>
#include <linux/skbuff.h>
#include <linux/netdevice.h>
#include <linux/interrupt.h>
#include <linux/if_ether.h>
#include <net/ipv6.h>

#if LINUX_VERSION_CODE >= KERNEL_VERSION(2, 6, 26)
#include <linux/rculist.h>
#endif

#if LINUX_VERSION_CODE < KERNEL_VERSION(2, 6, 36)
static inline struct net_bridge_port *v6s_skb_port(const struct sk_buff *skb)
{
	return skb->dev ? rcu_dereference(skb->dev->br_port) : NULL;
}
#else
static inline struct net_bridge_port *v6s_skb_port(const struct sk_buff *skb)
{
	struct net_device *dev = skb->dev;

	if (!dev || !netif_is_bridge_port(dev))
		return NULL;
	return (struct net_bridge_port *)rcu_dereference(dev->rx_handler_data);
}
#endif

#if LINUX_VERSION_CODE >= KERNEL_VERSION(4, 15, 0)
/* timer_setup passes the timer instead of a data word; enough for one timer. */
static void (*v6s_timer_fn)(unsigned long data);
static unsigned long v6s_timer_data;

static void v6s_timer_call(struct timer_list *t)
{
	(void)t;
	v6s_timer_fn(v6s_timer_data);
}

#define setup_timer(timer, fn, d)                        \
	do {                                             \
		v6s_timer_fn = (fn);                     \
		v6s_timer_data = (d);                    \
		timer_setup((timer), v6s_timer_call, 0); \
	} while (0)
#endif

#if LINUX_VERSION_CODE >= KERNEL_VERSION(4, 9, 0)
/* One send operation, told whether the frame was forwarded or originated here. */
#define BR_V6SNOOP_OWN_SEND
void br_forward(const struct net_bridge_port *to, struct sk_buff *skb,
		bool local_rcv, bool local_orig);
#define v6s_br_forward(to, skb) br_forward((to), (skb), false, false)
#define v6s_br_deliver(to, skb) br_forward((to), (skb), false, true)
#else
#define v6s_br_forward(to, skb) br_forward((to), (skb))
#define v6s_br_deliver(to, skb) br_deliver((to), (skb))
#endif

#include "br_v6snoop.h"

#endif

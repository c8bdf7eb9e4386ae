/*
 * v6snoop: MLD snooping for the bridge.
 *
 * Learns from the MLD messages crossing the bridge which ports have listeners
 * for which IPv6 multicast groups, and sends IPv6 multicast data only to those
 * ports. Uniprocessor, non-preemptible kernel: writers exclude each other by
 * disabling bottom halves; readers walk the table as RCU readers.
 */
#include "v6snoop_compat.h"
#include "v6snoop.h"

MODULE_LICENSE("GPL");

static const char v6snoop_banner[] =
	"v6snoop V1.1.0.0 (" __DATE__ "-" __TIME__ ")";

struct mldsnoop_table mldsnoop_list;
static int mldsnoop_started;

unsigned int mldsnoop_max_entries = MLDSNOOP_DEFAULT_MAX;
module_param_named(max_entries, mldsnoop_max_entries, uint, 0444);
MODULE_PARM_DESC(max_entries, "Most memberships the table holds (default 1024)");

unsigned int mldsnoop_count;
/* A membership was refused at the bound and the table has not dropped below it
 * since: data for a group without entries may have a listener we do not know. */
static int mldsnoop_full;

#define V6S_ETH_P_IPV6_HI 0x86
#define V6S_ETH_P_IPV6_LO 0xdd
#define V6S_NEXTHDR_UDP 17
#define V6S_NEXTHDR_FRAGMENT 44
#define V6S_NEXTHDR_ICMP 58
#define V6S_MLD_REPORT 131
#define V6S_MLD_DONE 132
#define V6S_MLD2_REPORT 143
#define V6S_MLD2_RECORD_LEN 20
#define V6S_ADDR_LEN 16
#define V6S_SERVED_FAST 16 /* member ports remembered per frame before rescanning */

static int mac_equal(const u8 *a, const u8 *b)
{
	return memcmp(a, b, ETH_ALEN) == 0;
}

/* Stands for the buckets while no index is allocated: nothing is found. */
static struct list_head mldsnoop_no_bucket = LIST_HEAD_INIT(mldsnoop_no_bucket);

static u32 mldsnoop_mix(u32 h)
{
	h *= 0x9e3779b1u;
	return h ^ (h >> 15);
}

/* Group addresses all start 33-33: the hash takes the other four bytes. */
static u32 mldsnoop_group_hash(const u8 *group)
{
	return mldsnoop_mix(((u32)group[2] << 24) | ((u32)group[3] << 16) |
			    ((u32)group[4] << 8) | group[5]);
}

struct list_head *mldsnoop_group_bucket(const u8 *group)
{
	if (!mldsnoop_list.index)
		return &mldsnoop_no_bucket;
	return &mldsnoop_list.index[mldsnoop_group_hash(group) &
				    (mldsnoop_list.index_size - 1)];
}

struct list_head *mldsnoop_member_bucket(const struct net_bridge_port *port,
					 const u8 *group, const u8 *host)
{
	u32 h;

	if (!mldsnoop_list.index)
		return &mldsnoop_no_bucket;
	h = mldsnoop_group_hash(group);
	h = mldsnoop_mix(h ^ (((u32)host[0] << 8) | host[1]));
	h = mldsnoop_mix(h ^ (((u32)host[2] << 24) | ((u32)host[3] << 16) |
			      ((u32)host[4] << 8) | host[5]));
	h = mldsnoop_mix(h ^ (u32)((unsigned long)port >> 4));
	return &mldsnoop_list.index[mldsnoop_list.index_size +
				    (h & (mldsnoop_list.index_size - 1))];
}

/* A power of two near half the bound: chains stay short at the bound. */
static u32 mldsnoop_index_size(unsigned int max_entries)
{
	u32 n = MLDSNOOP_INDEX_MIN;

	while (n < MLDSNOOP_INDEX_MAX && n < max_entries / 2)
		n <<= 1;
	return n;
}

static int mldsnoop_index_alloc(void)
{
	u32 n = mldsnoop_index_size(mldsnoop_max_entries), i;
	struct list_head *index = kmalloc(2 * n * sizeof(*index), GFP_KERNEL);

	if (!index)
		return -ENOMEM;
	for (i = 0; i < 2 * n; i++)
		INIT_LIST_HEAD(&index[i]);
	mldsnoop_list.index_size = n;
	mldsnoop_list.index = index;
	return 0;
}

static void mldsnoop_free_entry(struct rcu_head *head)
{
	kfree(container_of(head, struct mldsnoop_entry, rcu));
}

/* Bottom halves disabled by the caller. */
static void mldsnoop_unlink(struct mldsnoop_entry *e)
{
	list_del_rcu(&e->list);
	list_del_rcu(&e->by_group);
	list_del_rcu(&e->by_member);
	call_rcu(&e->rcu, mldsnoop_free_entry);
	mldsnoop_count--;
	if (mldsnoop_count < mldsnoop_max_entries)
		mldsnoop_full = 0;
}

static void mldsnoop_flush(void)
{
	struct mldsnoop_entry *e, *n;

	local_bh_disable();
	list_for_each_entry_safe(e, n, &mldsnoop_list.list, list)
		mldsnoop_unlink(e);
	local_bh_enable();
}

/* Bottom halves disabled by the caller. */
static struct mldsnoop_entry *mldsnoop_find(const struct net_bridge_port *port,
					    const u8 *group, const u8 *host)
{
	struct mldsnoop_entry *e;

	list_for_each_entry(e, mldsnoop_member_bucket(port, group, host), by_member) {
		if (mac_equal(e->group, group) && e->port == port &&
		    mac_equal(e->host, host))
			return e;
	}
	return NULL;
}

int br_mldsnoop_update(struct net_bridge_port *port, const u8 *group, const u8 *host)
{
	struct mldsnoop_entry *e;
	int found = 0;

	if (!port || !group || !host)
		return 0;
	local_bh_disable();
	e = mldsnoop_find(port, group, host);
	if (e) {
		e->expires = jiffies + mldsnoop_list.age;
		found = 1;
	}
	local_bh_enable();
	return found;
}

int br_mldsnoop_add(struct net_bridge_port *port, const u8 *group, const u8 *host)
{
	struct mldsnoop_entry *e;

	if (!port || !group || !host)
		return 0;
	if (br_mldsnoop_update(port, group, host))
		return 0;
	if (mldsnoop_count >= mldsnoop_max_entries) {
		mldsnoop_full = 1;
		return 0;
	}
	if (!mldsnoop_list.index)
		return 0;
	e = kmalloc(sizeof(*e), GFP_ATOMIC);
	if (!e)
		return 0;
	e->port = port;
	memcpy(e->group, group, ETH_ALEN);
	memcpy(e->host, host, ETH_ALEN);
	e->expires = jiffies + mldsnoop_list.age;

	local_bh_disable();
	list_add_rcu(&e->list, &mldsnoop_list.list);
	list_add_rcu(&e->by_group, mldsnoop_group_bucket(group));
	list_add_rcu(&e->by_member, mldsnoop_member_bucket(port, group, host));
	mldsnoop_count++;
	if (!mldsnoop_list.timer_armed) {
		mod_timer(&mldsnoop_list.query_timer, jiffies + MLDSNOOP_SCAN_TICKS);
		mldsnoop_list.timer_armed = 1;
	}
	local_bh_enable();
	return 1;
}

int br_mldsnoop_del(struct net_bridge_port *port, const u8 *group, const u8 *host)
{
	struct mldsnoop_entry *e, *n;

	if (!port || !group || !host)
		return 0;
	local_bh_disable();
	list_for_each_entry_safe(e, n, mldsnoop_member_bucket(port, group, host), by_member) {
		if (mac_equal(e->group, group) && e->port == port &&
		    mac_equal(e->host, host))
			mldsnoop_unlink(e);
	}
	local_bh_enable();
	return 1;
}

int br_mldsnoop_empty(const u8 *group)
{
	struct mldsnoop_entry *e;
	int empty = 1;

	rcu_read_lock();
	list_for_each_entry_rcu(e, mldsnoop_group_bucket(group), by_group) {
		if (mac_equal(e->group, group)) {
			empty = 0;
			break;
		}
	}
	rcu_read_unlock();
	return empty;
}

/*
 * A deadline lapses once it lies behind the tick count as a signed 32-bit
 * difference, however far behind the scan first sees it (ages shorter than
 * the scan period); a deadline that wrapped past the counter's top still lies
 * ahead. An age of 0 keeps every entry.
 */
static int mldsnoop_lapsed(u32 expires, u32 now)
{
	return mldsnoop_list.age != 0 && (s32)(now - expires) > 0;
}

void br_mldsnoop_query_timeout(unsigned long data)
{
	struct mldsnoop_entry *e, *n;

	(void)data;
	local_bh_disable();
	list_for_each_entry_safe(e, n, &mldsnoop_list.list, list) {
		if (mldsnoop_lapsed((u32)e->expires, (u32)jiffies))
			mldsnoop_unlink(e);
	}
	local_bh_enable();
	mod_timer(&mldsnoop_list.query_timer, jiffies + MLDSNOOP_SCAN_TICKS);
}

void br_mldsnoop_start(void)
{
	if (mldsnoop_started)
		return;
	/* Entries learnt while stopped are freed, not dropped with the head; the
	 * timer may have been armed by them. */
	mldsnoop_flush();
	del_timer(&mldsnoop_list.query_timer);
	mldsnoop_list.age = MLDSNOOP_DEFAULT_AGE;
	setup_timer(&mldsnoop_list.query_timer, br_mldsnoop_query_timeout,
		    (unsigned long)&mldsnoop_list);
	mldsnoop_list.timer_armed = 0;
	mldsnoop_list.enabled = 0;
	mldsnoop_started = 1;
}

void br_mldsnoop_cleanup(void)
{
	if (!mldsnoop_started)
		return;
	mldsnoop_flush();
	del_timer(&mldsnoop_list.query_timer);
	mldsnoop_started = 0;
}

void br_mldsnoop_enable(unsigned int flag)
{
	if (flag < 2)
		mldsnoop_list.enabled = flag;
}

void br_mldsnoop_set_age(struct net_bridge *br, int age)
{
	(void)br;
	mldsnoop_list.age = (u32)age;
}

void br_mldsnoop_show(void)
{
	struct mldsnoop_entry *e;
	const u8 *g, *h;

	printk("MLD snooping Status:%s\n", mldsnoop_list.enabled ? "On" : "Off");
	printk("MLD snooping List Age is:%d\n", (int)(mldsnoop_list.age / HZ));
	printk("***********MLD snooping list Start***********\n");
	rcu_read_lock();
	list_for_each_entry_rcu(e, &mldsnoop_list.list, list) {
		g = e->group;
		h = e->host;
		printk("Dev:%s, Group:0x%x 0x%x 0x%x 0x%x 0x%x 0x%x, "
		       "Host:0x%x 0x%x 0x%x 0x%x 0x%x 0x%x, Age Left:%d\n",
		       br_v6snoop_port_dev(e->port)->name,
		       g[0], g[1], g[2], g[3], g[4], g[5],
		       h[0], h[1], h[2], h[3], h[4], h[5],
		       (int)((u32)(e->expires - jiffies) / HZ));
	}
	rcu_read_unlock();
	printk("***********MLD snooping list End***********\n");
}

/*
 * Entries hold the port's address, not a reference: the bridge calls this
 * before it hands the port to RCU to be freed, whether the table is started
 * or not. The device no longer names the port by then, and on this
 * uniprocessor kernel no packet path is half-way through a frame of it, so
 * nothing learns the port again.
 */
void br_mldsnoop_del_port(struct net_bridge_port *port)
{
	struct mldsnoop_entry *e, *n;

	if (!port)
		return;
	local_bh_disable();
	list_for_each_entry_safe(e, n, &mldsnoop_list.list, list) {
		if (e->port == port)
			mldsnoop_unlink(e);
	}
	local_bh_enable();
}

void mld_group_to_mac(const u8 *address, u8 *out)
{
	if (!address || !out)
		return;
	out[0] = 0x33;
	out[1] = 0x33;
	memcpy(out + 2, address + 12, 4);
}

/* Whether an entry ahead of `upto` already sent this group to `port`. */
static int mldsnoop_port_served(const struct mldsnoop_entry *upto,
				const struct net_bridge_port *port, const u8 *group)
{
	const struct mldsnoop_entry *e;

	list_for_each_entry_rcu(e, mldsnoop_group_bucket(group), by_group) {
		if (e == upto)
			break;
		if (e->port == port && mac_equal(e->group, group))
			return 1;
	}
	return 0;
}

/* One copy per member port: two listeners behind one port must not each
 * bring that port a copy of every datagram. */
int br_mldsnoop_send(struct sk_buff *skb, const u8 *group, int forward)
{
	const struct net_bridge_port *served[V6S_SERVED_FAST];
	struct mldsnoop_entry *e;
	struct sk_buff *copy;
	unsigned int nserved = 0, i;
	int matched = 0, dup, result = 1;

	rcu_read_lock();
	list_for_each_entry_rcu(e, mldsnoop_group_bucket(group), by_group) {
		if (!e->port || !mac_equal(e->group, group))
			continue;
		matched = 1;
		dup = 0;
		for (i = 0; i < nserved && !dup; i++)
			dup = served[i] == e->port;
		if (!dup && nserved == V6S_SERVED_FAST)
			dup = mldsnoop_port_served(e, e->port, group);
		if (dup)
			continue;
		if (nserved < V6S_SERVED_FAST)
			served[nserved++] = e->port;
		copy = skb_clone(skb, GFP_ATOMIC);
		if (!copy) {
			result = 0;
			break;
		}
		if (forward)
			v6s_br_forward(e->port, copy);
		else
			v6s_br_deliver(e->port, copy);
	}
	rcu_read_unlock();
	if (!matched && mldsnoop_full)
		result = 0;
	return result;
}

/* n bytes from p lie inside the frame's linear data. */
static int v6s_readable(const struct sk_buff *skb, const u8 *p, unsigned int n)
{
	const u8 *end = skb_tail_pointer(skb);

	return p && p >= skb->head && p <= end && (unsigned long)(end - p) >= n;
}

static int mld_scope_local(u8 second_byte)
{
	u8 scope = second_byte & 0x0f;

	return scope == 1 || scope == 2;
}

static void mldsnoop_v2_record(struct net_bridge_port *port, const u8 *rec,
			       unsigned int nsrc, const u8 *host)
{
	struct in6_addr addr;
	u8 group[ETH_ALEN];

	/* Copied out: the frame gives no alignment for the classifier's loads. */
	memcpy(&addr, rec + 4, V6S_ADDR_LEN);
	if (!(__ipv6_addr_type(&addr) & IPV6_ADDR_MULTICAST) || mld_scope_local(rec[5]))
		return;
	mld_group_to_mac(rec + 4, group);
	switch (rec[0]) {
	case 1: /* MODE_IS_INCLUDE */
	case 3: /* CHANGE_TO_INCLUDE_MODE */
		if (nsrc)
			br_mldsnoop_add(port, group, host);
		else
			br_mldsnoop_del(port, group, host);
		break;
	case 2: /* MODE_IS_EXCLUDE */
	case 4: /* CHANGE_TO_EXCLUDE_MODE */
	case 5: /* ALLOW_NEW_SOURCES */
		br_mldsnoop_add(port, group, host);
		break;
	case 6: /* BLOCK_OLD_SOURCES */
		br_mldsnoop_del(port, group, host);
		break;
	default:
		break;
	}
}

/* Records are walked while they fit in the payload; a count that runs past it
 * ends the walk. */
static void mldsnoop_v2_report(struct net_bridge_port *port, const u8 *ip,
			       const u8 *limit, const u8 *host)
{
	const u8 *rec = ip + 56;
	unsigned int nrec, nsrc, i;

	if (limit - ip < 56)
		return;
	nrec = ((unsigned int)ip[54] << 8) | ip[55];
	for (i = 0; i < nrec; i++) {
		if (limit - rec < V6S_MLD2_RECORD_LEN)
			break;
		nsrc = ((unsigned int)rec[2] << 8) | rec[3];
		if ((unsigned long)(limit - rec - V6S_MLD2_RECORD_LEN) / V6S_ADDR_LEN < nsrc)
			break;
		mldsnoop_v2_record(port, rec, nsrc, host);
		rec += V6S_MLD2_RECORD_LEN + V6S_ADDR_LEN * nsrc;
	}
}

static int mldsnoop_mld(struct sk_buff *skb, const u8 *mac, const u8 *ip,
			const u8 *dest, int forward)
{
	struct net_bridge_port *port;
	const u8 *limit;
	unsigned int plen = ((unsigned int)ip[4] << 8) | ip[5];
	u8 group[ETH_ALEN];

	if (plen < 32 || ip[7] != 1 || !v6s_readable(skb, ip, 49))
		return 0;
	port = v6s_skb_port(skb);
	switch (ip[48]) {
	case V6S_MLD_DONE:
		if (!v6s_readable(skb, ip, 72))
			return 0;
		mld_group_to_mac(ip + 56, group);
		br_mldsnoop_del(port, group, mac + 6);
		if (br_mldsnoop_empty(group))
			return 0;
		/* Held back while the group has other members; the deliver
		 * variant consumes what it holds back, as on the data path. */
		if (!forward)
			kfree_skb(skb);
		return 1;
	case V6S_MLD_REPORT:
		if (!mld_scope_local(ip[25]))
			br_mldsnoop_add(port, dest, mac + 6);
		return 0;
	case V6S_MLD2_REPORT:
		limit = skb_tail_pointer(skb);
		if ((unsigned long)(limit - ip) > 40 + plen)
			limit = ip + 40 + plen;
		mldsnoop_v2_report(port, ip, limit, mac + 6);
		return 0;
	default:
		return 0;
	}
}

int br_mldsnoop_forward(struct sk_buff *skb, void *arg, const u8 *dest, int forward)
{
	const u8 *mac, *ip;
	int result;

	(void)arg;
	if (!mldsnoop_list.enabled)
		return 0;
	if (!skb || !dest || dest[0] != 0x33 || dest[1] != 0x33)
		return 0;
	mac = skb_mac_header(skb);
	if (!v6s_readable(skb, mac, ETH_HLEN) ||
	    mac[12] != V6S_ETH_P_IPV6_HI || mac[13] != V6S_ETH_P_IPV6_LO)
		return 0;
	ip = skb_network_header(skb);
	if (!v6s_readable(skb, ip, 41))
		return 0;
	if (ip[40] == V6S_NEXTHDR_ICMP)
		return mldsnoop_mld(skb, mac, ip, dest, forward);
	if (ip[6] != V6S_NEXTHDR_UDP && ip[6] != V6S_NEXTHDR_FRAGMENT)
		return 0;
	result = br_mldsnoop_send(skb, dest, forward);
	if (result && !forward)
		kfree_skb(skb);
	return result;
}

int br_v6snoop_forward(struct sk_buff *skb, void *arg, const unsigned char *dest)
{
	return br_mldsnoop_forward(skb, arg, dest, 1);
}

int br_v6snoop_deliver(struct sk_buff *skb, void *arg, const unsigned char *dest)
{
	return br_mldsnoop_forward(skb, arg, dest, 0);
}

static int v6snoop_hooks_free(void)
{
	return !br_v6snoop_forward_hook && !br_v6snoop_deliver_hook &&
	       !br_mldsnoop_start_hook && !br_mldsnoop_cleanup_hook &&
	       !br_mldsnoop_enable_hook && !br_mldsnoop_set_age_hook &&
	       !br_mldsnoop_show_hook && !br_mldsnoop_del_port_hook;
}

int __init br_mldsnoop_init(void)
{
	/* Ready before any hook can reach it, so an enable or show ahead of
	 * start finds an empty table and a timer it may arm. */
	INIT_LIST_HEAD(&mldsnoop_list.list);
	setup_timer(&mldsnoop_list.query_timer, br_mldsnoop_query_timeout,
		    (unsigned long)&mldsnoop_list);
	if (!v6snoop_hooks_free()) {
		printk("v6snoop: bridge hooks already in use, not loaded\n");
		return -EBUSY;
	}
	if (mldsnoop_index_alloc() != 0) {
		printk("v6snoop: no memory for the table's index, not loaded\n");
		return -ENOMEM;
	}
	br_v6snoop_forward_hook = br_v6snoop_forward;
	br_v6snoop_deliver_hook = br_v6snoop_deliver;
	br_mldsnoop_start_hook = br_mldsnoop_start;
	br_mldsnoop_cleanup_hook = br_mldsnoop_cleanup;
	br_mldsnoop_enable_hook = br_mldsnoop_enable;
	br_mldsnoop_set_age_hook = br_mldsnoop_set_age;
	br_mldsnoop_show_hook = br_mldsnoop_show;
	br_mldsnoop_del_port_hook = br_mldsnoop_del_port;
	printk("\r\n%s\n", v6snoop_banner);
	return 0;
}

void __exit br_mldsnoop_exit(void)
{
	br_mldsnoop_cleanup();
	br_v6snoop_forward_hook = NULL;
	br_v6snoop_deliver_hook = NULL;
	br_mldsnoop_start_hook = NULL;
	br_mldsnoop_cleanup_hook = NULL;
	br_mldsnoop_enable_hook = NULL;
	br_mldsnoop_set_age_hook = NULL;
	br_mldsnoop_show_hook = NULL;
	br_mldsnoop_del_port_hook = NULL;
	synchronize_rcu();
	/* No hook runs now. Whatever was learnt after the cleanup (or before a
	 * first start) goes too, with the timer it may have armed; then every
	 * queued free must have run before this code goes away. */
	mldsnoop_flush();
	del_timer_sync(&mldsnoop_list.query_timer);
	rcu_barrier();
	/* No reader or entry refers to the buckets after the grace period. */
	kfree(mldsnoop_list.index);
	mldsnoop_list.index = NULL;
	printk("MLD snooping module exit......\n");
}

module_init(br_mldsnoop_init);
module_exit(br_mldsnoop_exit);

/*
 * v6snoop: MLD snooping for the bridge. The membership table, its control
 * operations and the frame hooks. Included by the module and by its tests.
 */
#ifndef V6SNOOP_H
#define V6SNOOP_H

#ifdef __cplusplus
extern "C" {
#endif

/* Times in ticks, through HZ: the kernel's tick rate is a build choice. */
#define MLDSNOOP_DEFAULT_AGE (150 * HZ) /* lifetime of a membership: 150 s */
#define MLDSNOOP_SCAN_TICKS (10 * HZ)   /* ageing scan every 10 s */
#define MLDSNOOP_DEFAULT_MAX 1024  /* default bound of the table */
#define MLDSNOOP_INDEX_MIN 16      /* buckets of each index, at least */
#define MLDSNOOP_INDEX_MAX 1024    /* and at most */

struct mldsnoop_table {
	struct list_head list; /* entries, newest first */
	struct timer_list query_timer;
	u32 enabled;
	int timer_armed;
	u32 age; /* lifetime of a membership, in ticks */
	/* Index of the packet path's lookups, allocated at load and sized from
	 * max_entries: index_size heads hashed on the group, then index_size
	 * hashed on group, port and host. A group's entries keep the list's
	 * order in their bucket. */
	struct list_head *index;
	u32 index_size; /* a power of two */
};

struct mldsnoop_entry {
	struct list_head list;
	struct list_head by_group;  /* bucket of the group */
	struct list_head by_member; /* bucket of group, port and host */
	struct rcu_head rcu;
	struct net_bridge_port *port;
	u8 group[6];
	u8 host[6];
	unsigned long expires;
};

extern struct mldsnoop_table mldsnoop_list;
/* Bound of the table (load parameter max_entries) and its current size. */
extern unsigned int mldsnoop_max_entries;
extern unsigned int mldsnoop_count;

int br_mldsnoop_update(struct net_bridge_port *port, const u8 *group, const u8 *host);
int br_mldsnoop_add(struct net_bridge_port *port, const u8 *group, const u8 *host);
int br_mldsnoop_del(struct net_bridge_port *port, const u8 *group, const u8 *host);
int br_mldsnoop_empty(const u8 *group);
void br_mldsnoop_query_timeout(unsigned long data);
void br_mldsnoop_start(void);
void br_mldsnoop_cleanup(void);
void br_mldsnoop_enable(unsigned int flag);
void br_mldsnoop_set_age(struct net_bridge *br, int age);
void br_mldsnoop_show(void);
/* Forgets every membership learnt on a port that is leaving the bridge. */
void br_mldsnoop_del_port(struct net_bridge_port *port);

/* The index buckets an entry of this group, and of this membership, belongs
 * in (an empty list when no index is allocated). */
struct list_head *mldsnoop_group_bucket(const u8 *group);
struct list_head *mldsnoop_member_bucket(const struct net_bridge_port *port,
					 const u8 *group, const u8 *host);

void mld_group_to_mac(const u8 *address, u8 *out);
int br_mldsnoop_send(struct sk_buff *skb, const u8 *group, int forward);
int br_mldsnoop_forward(struct sk_buff *skb, void *arg, const u8 *dest, int forward);
int br_v6snoop_forward(struct sk_buff *skb, void *arg, const unsigned char *dest);
int br_v6snoop_deliver(struct sk_buff *skb, void *arg, const unsigned char *dest);

int br_mldsnoop_init(void);
void br_mldsnoop_exit(void);

#ifdef __cplusplus
}
#endif

#endif

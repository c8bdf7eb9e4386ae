/*
 * What the platform bridge exports to the MLD snooping module: eight hook
 * pointers, defined (initially null) and exported by the bridge, which the
 * module fills at load and clears at unload, and the bridge's per-port send
 * operations. Where the bridge calls each hook: ../bridge-hooks.md.
 */
#ifndef BR_V6SNOOP_H
#define BR_V6SNOOP_H

#ifdef __cplusplus
extern "C" {
#endif

struct sk_buff;
struct net_device;
struct net_bridge;
struct net_bridge_port;

/*
 * Frame hooks. dest points at the frame's 6-byte Ethernet destination.
 * Non-zero: the module dealt with the frame and the bridge sends it no further.
 * Forward hook (frames forwarded between ports): the bridge still owns the frame
 * and frees it. Deliver hook (frames the bridge device sends): the module has
 * consumed the frame.
 */
extern int (*br_v6snoop_forward_hook)(struct sk_buff *skb, void *arg,
				      const unsigned char *dest);
extern int (*br_v6snoop_deliver_hook)(struct sk_buff *skb, void *arg,
				      const unsigned char *dest);
/* Control hooks. set_age's first argument is the bridge; the module ignores it. */
extern void (*br_mldsnoop_start_hook)(void);
extern void (*br_mldsnoop_cleanup_hook)(void);
extern void (*br_mldsnoop_enable_hook)(unsigned int flag);
extern void (*br_mldsnoop_set_age_hook)(struct net_bridge *br, int age);
extern void (*br_mldsnoop_show_hook)(void);
/* Port removal: called for a port leaving the bridge, after the device no
 * longer names it and before the port is handed to RCU to be freed. */
extern void (*br_mldsnoop_del_port_hook)(struct net_bridge_port *port);

#ifndef BR_V6SNOOP_OWN_SEND
/* Send a frame out of one port; both take the frame over and drop it when the
 * port may not send (the port the frame came in on, a blocked port). */
void br_forward(const struct net_bridge_port *to, struct sk_buff *skb);
void br_deliver(const struct net_bridge_port *to, struct sk_buff *skb);
#endif

/* The bridge's port record begins with these two members, in this order. */
struct br_v6snoop_port_head {
	struct net_bridge *br;
	struct net_device *dev;
};

static inline struct net_device *br_v6snoop_port_dev(const struct net_bridge_port *p)
{
	return ((const struct br_v6snoop_port_head *)(const void *)p)->dev;
}

#ifdef __cplusplus
}
#endif

#endif

// Random frames through the forward and deliver hooks. The frame's buffer is
// allocated to its exact size, so any read outside it is caught by ASan.
//   byte 0: bit 0 deliver variant, bit 1 received on a port, bit 2 no network header
//   byte 1: offset of the link-layer header in the buffer
//   byte 2: offset of the network header after the link-layer header
//   rest:   the buffer
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <wyk/testctl.h>

#include "v6snoop.h"

extern "C" int (*const wyk_module_init)(void);

namespace {

net_device g_dev[2];
net_bridge_port g_port[2];

void seed_table()
{
    br_mldsnoop_cleanup_hook();
    br_mldsnoop_start_hook();
    br_mldsnoop_enable_hook(1);
    // Members of 33-33-00-00-00-01 (two ports) and 33-33-00-01-00-03.
    static const u8 g1[6] = {0x33, 0x33, 0, 0, 0, 1}, g2[6] = {0x33, 0x33, 0, 1, 0, 3};
    static const u8 h1[6] = {2, 0, 0, 0, 0, 1}, h2[6] = {2, 0, 0, 0, 0, 2};
    br_mldsnoop_add(&g_port[0], g1, h1);
    br_mldsnoop_add(&g_port[1], g1, h2);
    br_mldsnoop_add(&g_port[1], g2, h2);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    for (int i = 0; i < 2; i++) {
        std::strcpy(g_dev[i].name, i ? "lan2" : "lan1");
        g_port[i].dev = &g_dev[i];
        g_dev[i].br_port = &g_port[i];
    }
    wyk_reset(0x10000);
    if (wyk_module_init() != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t flags = data[0];
    const size_t n = size - 3;
    seed_table();

    sk_buff *skb = wyk_skb_alloc(n);
    if (n)
        std::memcpy(skb->head, data + 3, n);
    size_t mac = data[1] <= n ? data[1] : n;
    size_t net = mac + data[2] <= n ? mac + data[2] : n;
    skb->dev = &g_dev[(flags & 2) ? 0 : 1];
    if (!(flags & 2))
        g_dev[1].br_port = nullptr; // the bridge device: no port
    skb->mac_header = skb->head + mac;
    skb->network_header = (flags & 4) ? nullptr : skb->head + net;
    skb->data = skb->head + net;
    skb->tail = skb->head + n;
    skb->len = static_cast<unsigned>(n - net);

    // The bridge hands the frame's destination; without six bytes of header
    // there is none, and a separate buffer stands in.
    u8 *own_dest = nullptr;
    const u8 *dest = skb->mac_header;
    if (n - mac < 6) {
        own_dest = static_cast<u8 *>(std::malloc(6));
        std::memcpy(own_dest, "\x33\x33\x00\x00\x00\x01", 6);
        dest = own_dest;
    }
    int r = (flags & 1) ? br_v6snoop_deliver_hook(skb, nullptr, dest) : br_v6snoop_forward_hook(skb, nullptr, dest);
    if (!((flags & 1) && r))
        kfree_skb(skb);
    std::free(own_dest);
    g_dev[1].br_port = &g_port[1];
    wyk_sent_clear();
    wyk_rcu_grace_period();
    if (wyk_fault_count() != 0 || wyk_bh_depth() != 0 || wyk_rcu_depth() != 0 || wyk_skb_live() != 0)
        std::abort();
    return 0;
}

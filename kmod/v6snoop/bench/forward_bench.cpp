// Cost per frame of the forward hook: a frame that is not IPv6, and a UDP data
// frame whose group has one member, with 1, 10, 100 and 1000 entries in the
// table (the member is the oldest entry: a walk of the list would cover the
// whole table). The first two are the baselines of the others.
#include <benchmark/benchmark.h>

#include <cstring>

#include <wyk/testctl.h>

#include "frames.h"
#include "v6snoop.h"

extern "C" int (*const wyk_module_init)(void);

namespace {

net_device g_dev[2];
net_bridge_port g_port[2];

void load(int entries)
{
    static bool loaded = false;
    if (!loaded) {
        for (int i = 0; i < 2; i++) {
            std::strcpy(g_dev[i].name, i ? "lan2" : "lan1");
            g_port[i].dev = &g_dev[i];
            g_dev[i].br_port = &g_port[i];
        }
        wyk_reset(0x10000);
        wyk_module_init();
        loaded = true;
    }
    br_mldsnoop_cleanup_hook();
    wyk_rcu_grace_period();
    br_mldsnoop_start_hook();
    br_mldsnoop_enable_hook(1);
    const frames::Mac member = frames::group_mac(frames::ip6("ff05::1:3"));
    const u8 host[6] = {2, 0, 0, 0, 0, 1};
    br_mldsnoop_add(&g_port[0], member.data(), host);
    for (int i = 1; i < entries; i++) {
        const u8 other[6] = {0x33, 0x33, 0x10, 0, u8(i >> 8), u8(i)};
        br_mldsnoop_add(&g_port[1], other, host);
    }
}

void run(benchmark::State &state, const frames::Bytes &f)
{
    sk_buff *skb = wyk_skb_frame(&g_dev[1], f.data(), f.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(br_v6snoop_forward_hook(skb, nullptr, skb->mac_header));
        wyk_sent_clear();
    }
    kfree_skb(skb);
}

void BM_NotIpv6(benchmark::State &state)
{
    load(1);
    frames::Bytes f = frames::udp({2, 0, 0, 0, 0, 9}, frames::ip6("ff05::1:3"));
    f[0] = 0x01; // 01-00-5e: an IPv4 multicast destination
    f[1] = 0x00;
    f[2] = 0x5e;
    f[12] = 0x08;
    f[13] = 0x00;
    run(state, f);
}

void BM_Data(benchmark::State &state)
{
    load(static_cast<int>(state.range(0)));
    run(state, frames::udp({2, 0, 0, 0, 0, 9}, frames::ip6("ff05::1:3")));
}

} // namespace

BENCHMARK(BM_NotIpv6);
BENCHMARK(BM_Data)->Arg(1)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK_MAIN();

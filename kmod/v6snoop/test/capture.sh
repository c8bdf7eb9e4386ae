#!/usr/bin/env bash
# Captures real MLD traffic of the Linux IPv6 stack, one pcap per bridge port,
# into captures/ (or the directory given). Needs root and `ip netns`.
#
# Four hosts in their own namespaces hang off a Linux bridge (its own snooping
# off, so it floods) in a fifth; each port's capture holds what its host sent:
#   h1 (port p1, MLDv1)  joins ff05::1:3, leaves it at 6 s (Done)
#   h2 (port p2, MLDv2)  joins ff05::1:3 and ff0e::1:5, leaves ff0e::1:5 at 6 s
#   h3 (port p3, MLDv2)  joins ff0e::2:7 from source 2001:db8::4, leaves at 6 s
#   h4 (port p4, MLDv2)  the querier and sender: general queries at 3 s, UDP
#                        "phase1" at 5 s and "phase2" at 8.5 s to ff05::1:3,
#                        ff0e::1:5, ff0e::2:7 and ff0e::9:9 (no listener)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/captures}
mkdir -p "$out"
ns=v6s-cap
mc="python3 $here/mcast.py"

cleanup() {
  for p in $(jobs -p); do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  for n in sw h1 h2 h3 h4; do ip netns del "$ns-$n" 2>/dev/null || true; done
}
trap cleanup EXIT

for n in sw h1 h2 h3 h4; do ip netns add "$ns-$n"; done
nsx() { local n=$1; shift; ip netns exec "$ns-$n" "$@"; }

nsx sw sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
nsx sw ip link add br0 type bridge mcast_snooping 0 stp_state 0
nsx sw ip link set br0 up
for i in 1 2 3 4; do
  ip link add "p$i" netns "$ns-sw" type veth peer name eth0 netns "$ns-h$i"
  nsx sw ip link set "p$i" master br0
  nsx sw ip link set "p$i" up
  nsx "h$i" sysctl -qw net.ipv6.conf.eth0.accept_dad=0 \
    net.ipv6.conf.eth0.mldv1_unsolicited_report_interval=300 \
    net.ipv6.conf.eth0.mldv2_unsolicited_report_interval=300
  nsx "h$i" ip link set lo up
done
nsx h1 sysctl -qw net.ipv6.conf.eth0.force_mld_version=1
for i in 2 3 4; do nsx "h$i" sysctl -qw net.ipv6.conf.eth0.force_mld_version=2; done

for i in 1 2 3 4; do
  nsx sw tcpdump -i "p$i" -Q in -U -s 0 -w "$out/p$i.pcap" 2>/dev/null &
done
sleep 1
for i in 1 2 3 4; do
  nsx "h$i" ip addr add "2001:db8::$i/64" dev eth0 nodad
  nsx "h$i" ip link set eth0 up
done
sleep 1

nsx h1 $mc listen eth0 5 ff05::1:3 &
nsx h2 $mc listen eth0 5 ff0e::1:5 &
nsx h2 $mc listen eth0 9 ff05::1:3 &
nsx h3 $mc listen eth0 5 ff0e::2:7/2001:db8::4 &
sleep 2
nsx h4 $mc query eth0
sleep 2
nsx h4 $mc send eth0 phase1 ff05::1:3 ff0e::1:5 ff0e::2:7 ff0e::9:9
sleep 2.5
nsx h4 $mc send eth0 phase2 ff05::1:3 ff0e::1:5 ff0e::2:7 ff0e::9:9
sleep 1
echo "capture: wrote $(ls "$out"/p?.pcap | tr '\n' ' ')"

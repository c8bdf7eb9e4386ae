#!/usr/bin/env python3
"""Multicast roles for the capture script, run inside a host's namespace.

  listen IF SECONDS GROUP[/SOURCE]...   join (source-specific with /SOURCE),
                                        hold, leave, exit
  query IF                              one MLDv2 and one MLDv1 general query
  send IF TEXT GROUP...                 one UDP datagram with TEXT to each group
"""
import socket
import struct
import sys
import time

IPV6_HOPOPTS = 54
MCAST_JOIN_SOURCE_GROUP = 46
MCAST_LEAVE_SOURCE_GROUP = 47
PORT = 5000


def sockaddr_in6(addr):
    # struct sockaddr_in6 in a struct sockaddr_storage (128 bytes), host order family
    raw = struct.pack("=H", socket.AF_INET6) + struct.pack("!HI", 0, 0) + \
        socket.inet_pton(socket.AF_INET6, addr) + struct.pack("=I", 0)
    return raw.ljust(128, b"\0")


def group_source_req(ifindex, group, source):
    # uint32 interface, padding to the storage's alignment, group, source
    return struct.pack("=I", ifindex).ljust(8, b"\0") + sockaddr_in6(group) + sockaddr_in6(source)


def listen(ifname, seconds, memberships):
    ifindex = socket.if_nametoindex(ifname)
    s = socket.socket(socket.AF_INET6, socket.SOCK_DGRAM)
    joined = []
    for membership in memberships:
        group, _, source = membership.partition("/")
        if source:
            req = group_source_req(ifindex, group, source)
            s.setsockopt(socket.IPPROTO_IPV6, MCAST_JOIN_SOURCE_GROUP, req)
            joined.append((MCAST_LEAVE_SOURCE_GROUP, req))
        else:
            mreq = socket.inet_pton(socket.AF_INET6, group) + struct.pack("=I", ifindex)
            s.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_JOIN_GROUP, mreq)
            joined.append((socket.IPV6_LEAVE_GROUP, mreq))
    time.sleep(seconds)
    for opt, req in joined:
        s.setsockopt(socket.IPPROTO_IPV6, opt, req)
    time.sleep(0.2)
    s.close()


def query(ifname):
    ifindex = socket.if_nametoindex(ifname)
    s = socket.socket(socket.AF_INET6, socket.SOCK_RAW, socket.IPPROTO_ICMPV6)
    s.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_MULTICAST_IF, ifindex)
    s.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_MULTICAST_HOPS, 1)
    # Hop-by-Hop header with the Router Alert option (MLD), padded to 8 bytes
    s.setsockopt(socket.IPPROTO_IPV6, IPV6_HOPOPTS, bytes([0, 0, 5, 2, 0, 0, 1, 0]))
    unspecified = bytes(16)
    # type 130, code 0, checksum (kernel), max response 1000 ms, reserved, address
    v2 = struct.pack("!BBHHH", 130, 0, 0, 1000, 0) + unspecified + struct.pack("!BBH", 2, 125, 0)
    v1 = struct.pack("!BBHHH", 130, 0, 0, 1000, 0) + unspecified
    for msg in (v2, v1):
        s.sendto(msg, ("ff02::1", 0, 0, ifindex))
        time.sleep(0.1)
    s.close()


def send(ifname, text, groups):
    ifindex = socket.if_nametoindex(ifname)
    s = socket.socket(socket.AF_INET6, socket.SOCK_DGRAM)
    s.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_MULTICAST_IF, ifindex)
    s.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_MULTICAST_HOPS, 8)
    for g in groups:
        s.sendto(text.encode(), (g, PORT, 0, ifindex))
    s.close()


def main(argv):
    if len(argv) >= 4 and argv[1] == "listen":
        listen(argv[2], float(argv[3]), argv[4:])
    elif len(argv) == 3 and argv[1] == "query":
        query(argv[2])
    elif len(argv) >= 5 and argv[1] == "send":
        send(argv[2], argv[3], argv[4:])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#include "frames.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace frames {

namespace {

void put16(Bytes &b, unsigned v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

// Byte by byte: GCC 12 warns falsely about range inserts into short vectors.
template <class Range> void append(Bytes &b, const Range &r)
{
    for (auto x : r)
        b.push_back(uint8_t(x));
}

void append(Bytes &b, std::initializer_list<uint8_t> r)
{
    for (uint8_t x : r)
        b.push_back(x);
}

void put(Bytes &b, const Addr &a)
{
    append(b, a);
}

const Addr kLinkLocalSrc = ip6("fe80::1");

// Hop-by-Hop header: next header ICMPv6, Router Alert (MLD), PadN.
const Bytes kRouterAlert = {58, 0, 5, 2, 0, 0, 1, 0};

} // namespace

Addr ip6(std::string_view text)
{
    std::vector<unsigned> head, tail;
    bool gap = false;
    std::string s(text);
    size_t pos = 0;
    auto fail = [&] {
        std::fprintf(stderr, "bad IPv6 text in test: %s\n", s.c_str());
        std::abort();
    };
    if (s.compare(0, 2, "::") == 0) {
        gap = true;
        pos = 2;
    }
    while (pos < s.size()) {
        size_t end = s.find(':', pos);
        std::string word = s.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (word.empty() || word.size() > 4)
            fail();
        (gap ? tail : head).push_back(unsigned(std::stoul(word, nullptr, 16)));
        if (end == std::string::npos)
            break;
        pos = end + 1;
        if (pos < s.size() && s[pos] == ':') {
            if (gap)
                fail();
            gap = true;
            pos++;
        }
    }
    if (head.size() + tail.size() > 8 || (!gap && head.size() != 8))
        fail();
    Addr a{};
    for (size_t i = 0; i < head.size(); i++) {
        a[2 * i] = uint8_t(head[i] >> 8);
        a[2 * i + 1] = uint8_t(head[i]);
    }
    for (size_t i = 0; i < tail.size(); i++) {
        size_t w = 8 - tail.size() + i;
        a[2 * w] = uint8_t(tail[i] >> 8);
        a[2 * w + 1] = uint8_t(tail[i]);
    }
    return a;
}

Mac group_mac(const Addr &g)
{
    return {0x33, 0x33, g[12], g[13], g[14], g[15]};
}

Bytes ipv6(const Mac &src, const Addr &dst, uint8_t next_header, uint8_t hop, const Bytes &payload,
           int payload_length)
{
    Bytes b;
    b.reserve(54 + payload.size());
    Mac d = group_mac(dst);
    append(b, d);
    append(b, src);
    put16(b, 0x86dd);
    append(b, {0x60, 0, 0, 0});
    put16(b, payload_length < 0 ? unsigned(payload.size()) : unsigned(payload_length));
    b.push_back(next_header);
    b.push_back(hop);
    put(b, kLinkLocalSrc);
    put(b, dst);
    append(b, payload);
    return b;
}

Bytes mld_v1(uint8_t type, const Mac &src, const Addr &dst, const Addr &group, uint8_t hop,
             int payload_length)
{
    Bytes p = kRouterAlert;
    append(p, {type, 0, 0, 0, 0, 0, 0, 0}); // type, code, checksum, delay, reserved
    put(p, group);
    return ipv6(src, dst, 0, hop, p, payload_length);
}

Bytes mld_v2(const Mac &src, const std::vector<Record> &records, int declared_records)
{
    Bytes p = kRouterAlert;
    append(p, {143, 0, 0, 0, 0, 0});
    put16(p, declared_records < 0 ? unsigned(records.size()) : unsigned(declared_records));
    for (const Record &r : records) {
        p.push_back(r.type);
        p.push_back(0);
        put16(p, r.sources);
        put(p, r.group);
        for (unsigned i = 0; i < r.sources; i++)
            put(p, ip6("2001:db8::99"));
    }
    return ipv6(src, ip6("ff02::16"), 0, 1, p);
}

Bytes mld_v2_query(const Mac &src)
{
    Bytes p = kRouterAlert;
    append(p, {130, 0, 0, 0, 0x03, 0xe8, 0, 0});
    put(p, Addr{});
    append(p, {2, 125, 0, 0});
    return ipv6(src, ip6("ff02::1"), 0, 1, p);
}

Bytes udp(const Mac &src, const Addr &group, std::string_view text, uint8_t next_header)
{
    Bytes p;
    put16(p, 40000);
    put16(p, 5000);
    put16(p, unsigned(8 + text.size()));
    put16(p, 0);
    append(p, text);
    return ipv6(src, group, next_header, 8, p);
}

Bytes neighbour_solicitation(const Mac &src, const Addr &target)
{
    Addr dst = ip6("ff02::1:ff00:0");
    dst[13] = target[13];
    dst[14] = target[14];
    dst[15] = target[15];
    Bytes p = {135, 0, 0, 0, 0, 0, 0, 0};
    put(p, target);
    append(p, {1, 1});
    append(p, src);
    return ipv6(src, dst, 58, 255, p);
}

} // namespace frames

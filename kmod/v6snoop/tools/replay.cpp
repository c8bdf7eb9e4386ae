#include "replay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <wyk/testctl.h>

#include "v6snoop.h"

namespace v6replay {

namespace {

std::string mac_text(const uint8_t *m)
{
    char buf[18];
    std::snprintf(buf, sizeof buf, "%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1], m[2], m[3], m[4], m[5]);
    return buf;
}

unsigned be16(const uint8_t *p)
{
    return unsigned(p[0]) << 8 | p[1];
}

const char *record_name(uint8_t type)
{
    static const char *const names[] = {"?", "is_in", "is_ex", "to_in", "to_ex", "allow", "block"};
    return type < 7 ? names[type] : "?";
}

std::string describe_mld(const uint8_t *icmp, size_t n)
{
    if (n < 1)
        return "ICMPv6 (empty)";
    uint8_t type = icmp[0];
    if (type == 130)
        return n > 24 ? "MLDv2 query" : "MLDv1 query";
    if ((type == 131 || type == 132) && n >= 24)
        return std::string(type == 131 ? "MLDv1 report " : "MLDv1 done ") + ipv6_text(icmp + 8);
    if (type == 143 && n >= 8) {
        std::string s = "MLDv2 report";
        unsigned nrec = be16(icmp + 6);
        size_t off = 8;
        for (unsigned i = 0; i < nrec; i++) {
            if (n - off < 20) {
                s += " (truncated)";
                break;
            }
            unsigned nsrc = be16(icmp + off + 2);
            size_t len = 20 + size_t(nsrc) * 16 + size_t(icmp[off + 1]) * 4;
            s += std::string(i ? ", " : ": ") + record_name(icmp[off]) + " " + ipv6_text(icmp + off + 4);
            if (nsrc)
                s += " (" + std::to_string(nsrc) + " src)";
            if (n - off < len) {
                s += " (truncated)";
                break;
            }
            off += len;
        }
        return s;
    }
    return "ICMPv6 type " + std::to_string(type);
}

struct Port {
    net_device dev{};
    net_bridge_port port{};
};

} // namespace

std::string ipv6_text(const uint8_t *a)
{
    unsigned w[8];
    for (int i = 0; i < 8; i++)
        w[i] = be16(a + 2 * i);
    // The longest run of two or more zero words becomes "::".
    int best = -1, best_len = 0;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && w[j] == 0)
            j++;
        if (j - i > best_len && j - i >= 2) {
            best = i;
            best_len = j - i;
        }
        i = j == i ? i + 1 : j;
    }
    std::string s;
    char buf[8];
    for (int i = 0; i < 8; i++) {
        if (i == best) {
            s += "::";
            i += best_len - 1;
            continue;
        }
        if (!s.empty() && s.back() != ':')
            s += ':';
        std::snprintf(buf, sizeof buf, "%x", w[i]);
        s += buf;
    }
    return s;
}

std::string describe(std::span<const uint8_t> f)
{
    if (f.size() < 14)
        return "short frame";
    unsigned type = be16(f.data() + 12);
    if (type != 0x86dd) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "EtherType 0x%04x", type);
        return buf;
    }
    const uint8_t *ip = f.data() + 14;
    size_t n = f.size() - 14;
    if (n < 40)
        return "short IPv6";
    size_t end = std::min(n, 40 + size_t(be16(ip + 4)));
    unsigned nh = ip[6];
    size_t off = 40;
    if (nh == 0) {
        if (end < off + 8)
            return "IPv6 hop-by-hop (truncated)";
        nh = ip[off];
        off += (size_t(ip[off + 1]) + 1) * 8;
        if (off > end)
            return "IPv6 hop-by-hop (truncated)";
    }
    if (nh == 58)
        return describe_mld(ip + off, end - off);
    if (nh == 17) {
        std::string s = "UDP " + ipv6_text(ip + 24);
        if (end >= off + 8) {
            s += " \"";
            for (size_t i = off + 8; i < end && i < off + 8 + 32; i++)
                s += (ip[i] >= 0x20 && ip[i] < 0x7f && ip[i] != '"') ? char(ip[i]) : '.';
            s += '"';
        }
        return s;
    }
    return "IPv6 next header " + std::to_string(nh);
}

std::string format(const Decision &d)
{
    char t[32];
    std::snprintf(t, sizeof t, "%4llu.%06llu", static_cast<unsigned long long>(d.usec / 1000000),
                  static_cast<unsigned long long>(d.usec % 1000000));
    std::string s = std::string(t) + " " + d.port + " " + d.what + " -> " + std::to_string(d.result);
    if (d.result == 0) {
        s += " (bridge)";
    } else if (d.copies.empty() && d.what.rfind("UDP", 0) != 0) {
        s += " (held back)";
    } else {
        s += " copies:";
        if (d.copies.empty())
            s += " none";
        for (const std::string &c : d.copies)
            s += " " + c;
    }
    return s;
}

Outcome replay(const std::vector<PortInput> &inputs, unsigned long start_jiffies)
{
    Outcome out;
    struct Frame {
        uint64_t usec;
        size_t port;
        const Packet *pkt;
    };
    std::vector<Capture> caps;
    std::vector<std::unique_ptr<Port>> ports;
    std::vector<Frame> frames;
    for (size_t i = 0; i < inputs.size(); i++) {
        caps.push_back(read_pcap(inputs[i].path));
        if (!caps.back().error.empty()) {
            out.error = inputs[i].path + ": " + caps.back().error;
            return out;
        }
        auto p = std::make_unique<Port>();
        std::snprintf(p->dev.name, sizeof p->dev.name, "%s", inputs[i].name.c_str());
        p->port.dev = &p->dev;
        p->port.port_no = static_cast<u16>(i + 1);
        p->dev.br_port = &p->port;
        ports.push_back(std::move(p));
    }
    for (size_t i = 0; i < caps.size(); i++)
        for (const Packet &p : caps[i].packets)
            frames.push_back({p.usec, i, &p});
    std::stable_sort(frames.begin(), frames.end(),
                     [](const Frame &a, const Frame &b) { return a.usec < b.usec; });
    uint64_t first = frames.empty() ? 0 : frames.front().usec;

    // A freshly loaded module: its record as the loader leaves it, zeroed.
    wyk_reset(start_jiffies);
    std::memset(&mldsnoop_list, 0, sizeof mldsnoop_list);
    if (br_mldsnoop_init() != 0) {
        out.error = "module refused to load: " + std::string(wyk_printk_text());
        return out;
    }
    br_mldsnoop_start_hook();
    br_mldsnoop_enable_hook(1);

    uint64_t ticks_done = 0;
    for (const Frame &f : frames) {
        uint64_t ticks = (f.usec - first) * HZ / 1000000;
        if (ticks > ticks_done) {
            wyk_advance(static_cast<unsigned long>(ticks - ticks_done));
            ticks_done = ticks;
        }
        Port &in = *ports[f.port];
        sk_buff *skb = wyk_skb_frame(&in.dev, f.pkt->bytes.data(), f.pkt->bytes.size());
        Decision d;
        d.usec = f.usec - first;
        d.port = in.dev.name;
        d.what = describe(f.pkt->bytes);
        d.result = wyk_bridge_forward(skb);
        for (size_t i = 0; i < wyk_sent_count(); i++) {
            const wyk_sent *s = wyk_sent_at(i);
            if (s->delivered)
                d.copies.push_back(br_v6snoop_port_dev(s->port)->name);
        }
        wyk_sent_clear();
        kfree_skb(skb); // forward variant: the bridge owns the frame either way
        const mldsnoop_entry *e;
        list_for_each_entry(e, &mldsnoop_list.list, list)
            d.table.push_back({br_v6snoop_port_dev(e->port)->name, mac_text(e->group), mac_text(e->host)});
        out.decisions.push_back(std::move(d));
    }

    wyk_printk_clear();
    br_mldsnoop_show_hook();
    out.show = wyk_printk_text();
    br_mldsnoop_exit();
    if (wyk_kmalloc_live() != 0 || wyk_skb_live() != 0)
        out.error = "memory left after unload";
    if (wyk_fault_count() != 0)
        out.error = std::string("kernel misuse: ") + wyk_fault_text();
    return out;
}

} // namespace v6replay

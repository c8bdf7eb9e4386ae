#include "pcap.h"

#include <fstream>
#include <iterator>

namespace v6replay {

namespace {

uint32_t get32(const uint8_t *p, bool big)
{
    if (big)
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

uint16_t get16(const uint8_t *p, bool big)
{
    return big ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}

constexpr size_t kFileHeader = 24;
constexpr size_t kRecordHeader = 16;
constexpr uint32_t kLinkEthernet = 1;

} // namespace

Capture parse_pcap(std::span<const uint8_t> file)
{
    Capture c;
    if (file.size() < kFileHeader) {
        c.error = "pcap: file shorter than its header";
        return c;
    }
    const uint8_t *h = file.data();
    bool big, nano;
    uint32_t magic_be = get32(h, true);
    if (magic_be == 0xa1b2c3d4 || magic_be == 0xa1b23c4d) {
        big = true;
        nano = magic_be == 0xa1b23c4d;
    } else if (get32(h, false) == 0xa1b2c3d4 || get32(h, false) == 0xa1b23c4d) {
        big = false;
        nano = get32(h, false) == 0xa1b23c4d;
    } else {
        c.error = "pcap: not a classic pcap file";
        return c;
    }
    if (get16(h + 4, big) != 2) {
        c.error = "pcap: unsupported version";
        return c;
    }
    if (get32(h + 20, big) != kLinkEthernet) {
        c.error = "pcap: link type is not Ethernet";
        return c;
    }
    size_t off = kFileHeader;
    while (off < file.size()) {
        if (file.size() - off < kRecordHeader) {
            c.error = "pcap: truncated record header";
            return c;
        }
        const uint8_t *r = file.data() + off;
        uint64_t sec = get32(r, big);
        uint32_t frac = get32(r + 4, big);
        uint32_t incl = get32(r + 8, big);
        uint32_t orig = get32(r + 12, big);
        off += kRecordHeader;
        if (incl > kMaxPacket || incl > file.size() - off) {
            c.error = "pcap: record runs past the file or the snapshot limit";
            return c;
        }
        if (frac >= (nano ? 1000000000u : 1000000u)) {
            c.error = "pcap: bad time stamp";
            return c;
        }
        Packet p;
        p.usec = sec * 1000000 + (nano ? frac / 1000 : frac);
        p.orig_len = orig;
        p.bytes.assign(file.data() + off, file.data() + off + incl);
        c.packets.push_back(std::move(p));
        off += incl;
    }
    return c;
}

Capture read_pcap(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Capture c;
        c.error = "pcap: cannot open " + path;
        return c;
    }
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parse_pcap(data);
}

} // namespace v6replay

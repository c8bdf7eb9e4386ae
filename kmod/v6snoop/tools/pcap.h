// Reader of classic pcap files (microsecond or nanosecond stamps, either byte
// order) with Ethernet link type. Every length in the file is checked.
#ifndef V6SNOOP_PCAP_H
#define V6SNOOP_PCAP_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace v6replay {

struct Packet {
    uint64_t usec = 0;   // capture time in microseconds
    uint32_t orig_len = 0;
    std::vector<uint8_t> bytes;
};

struct Capture {
    std::string error; // empty when the whole file was read
    std::vector<Packet> packets;
};

constexpr uint32_t kMaxPacket = 262144;

Capture parse_pcap(std::span<const uint8_t> file);
Capture read_pcap(const std::string &path);

} // namespace v6replay

#endif

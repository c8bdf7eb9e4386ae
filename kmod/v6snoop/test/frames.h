// Frames for the tests and the benchmark, built byte by byte as they appear
// on the wire.
#ifndef V6SNOOP_TEST_FRAMES_H
#define V6SNOOP_TEST_FRAMES_H

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace frames {

using Bytes = std::vector<uint8_t>;
using Mac = std::array<uint8_t, 6>;
using Addr = std::array<uint8_t, 16>;

Addr ip6(std::string_view text); // "ff05::1:3"; aborts the test binary on bad text
Mac group_mac(const Addr &group); // 33-33 and the address's last four bytes

struct Record {
    uint8_t type;
    Addr group;
    uint16_t sources = 0; // that many source addresses follow the record
};

// Ethernet + IPv6 (hop limit, next header) + payload. dst MAC from the IPv6 dst.
Bytes ipv6(const Mac &src, const Addr &dst, uint8_t next_header, uint8_t hop, const Bytes &payload,
           int payload_length = -1);
// MLDv1 message (131 report, 132 done, 130 query) behind a Router Alert
// Hop-by-Hop header, as the Linux stack sends it.
Bytes mld_v1(uint8_t type, const Mac &src, const Addr &dst, const Addr &group, uint8_t hop = 1,
             int payload_length = -1);
// MLDv2 report to ff02::16; declared_records overrides the record count.
Bytes mld_v2(const Mac &src, const std::vector<Record> &records, int declared_records = -1);
Bytes mld_v2_query(const Mac &src);
Bytes udp(const Mac &src, const Addr &group, std::string_view text = "data", uint8_t next_header = 17);
Bytes neighbour_solicitation(const Mac &src, const Addr &target);

} // namespace frames

#endif

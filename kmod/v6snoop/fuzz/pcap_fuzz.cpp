// Random bytes as a capture file, and every packet read from it described.
#include <cstdint>

#include "pcap.h"
#include "replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    v6replay::Capture c = v6replay::parse_pcap({data, size});
    for (const v6replay::Packet &p : c.packets)
        (void)v6replay::describe(p.bytes);
    return 0;
}

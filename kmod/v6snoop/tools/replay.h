// Feeds captured frames, one capture per bridge port, through the bridge's
// forward hook in time order, with the tick counter following the capture
// times, and records each decision and the final show output.
#ifndef V6SNOOP_REPLAY_H
#define V6SNOOP_REPLAY_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "pcap.h"

namespace v6replay {

struct PortInput {
    std::string name; // device name of the port
    std::string path; // its capture
};

struct Membership {
    std::string port;
    std::string group; // "33:33:00:01:00:03"
    std::string host;
    bool operator==(const Membership &) const = default;
};

struct Decision {
    uint64_t usec = 0;            // since the first frame
    std::string port;             // where the frame came in
    std::string what;             // e.g. "MLDv1 report ff05::1:3", "UDP ff05::1:3 \"phase1\""
    int result = 0;               // the hook's result
    std::vector<std::string> copies; // ports a copy was sent to
    std::vector<Membership> table;   // the table after the frame, head first
};

struct Outcome {
    std::string error;
    std::vector<Decision> decisions;
    std::string show; // the show output after the last frame
};

// Loads the module into the stand-in, starts and enables it, replays, shows,
// unloads. start_jiffies is the tick count at the first frame.
Outcome replay(const std::vector<PortInput> &inputs, unsigned long start_jiffies);

// A one-line description of an Ethernet frame, for the decision log.
std::string describe(std::span<const uint8_t> frame);
std::string format(const Decision &d);
std::string ipv6_text(const uint8_t *a);

} // namespace v6replay

#endif

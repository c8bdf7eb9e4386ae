// v6snoop-replay [--jiffies N] [NAME=]CAPTURE.pcap ...
// One capture per bridge port (the port is named NAME, else after the file);
// prints each frame's decision in time order, then the show output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "replay.h"

int main(int argc, char **argv)
{
    std::vector<v6replay::PortInput> inputs;
    unsigned long start = 0x10000;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--jiffies" && i + 1 < argc) {
            start = std::strtoul(argv[++i], nullptr, 0);
            continue;
        }
        v6replay::PortInput in;
        size_t eq = a.find('=');
        if (eq != std::string::npos) {
            in.name = a.substr(0, eq);
            in.path = a.substr(eq + 1);
        } else {
            in.path = a;
            size_t slash = a.rfind('/');
            in.name = a.substr(slash == std::string::npos ? 0 : slash + 1);
            if (in.name.size() > 5 && in.name.compare(in.name.size() - 5, 5, ".pcap") == 0)
                in.name.resize(in.name.size() - 5);
        }
        if (in.name.empty() || in.name.size() >= 16) {
            std::fprintf(stderr, "v6snoop-replay: port name must be 1 to 15 characters: %s\n", a.c_str());
            return 2;
        }
        inputs.push_back(in);
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: v6snoop-replay [--jiffies N] [NAME=]CAPTURE.pcap ...\n");
        return 2;
    }
    v6replay::Outcome out = v6replay::replay(inputs, start);
    for (const v6replay::Decision &d : out.decisions)
        std::printf("%s\n", v6replay::format(d).c_str());
    std::printf("%s", out.show.c_str());
    if (!out.error.empty()) {
        std::fprintf(stderr, "v6snoop-replay: %s\n", out.error.c_str());
        return 1;
    }
    return 0;
}

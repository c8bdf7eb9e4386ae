// gwsim: create, start, stop a simulated gateway and run commands inside it.
#include "device.h"
#include "web.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fputs("usage: gwsim create DIR [--profile FILE] [--fwroot DIR]... [--cmdtable FILE]\n"
               "                   [--firmware FILE] [--romfile FILE] [--second-romfile FILE]\n"
               "       gwsim start DIR [--owner PID]\n"
               "       gwsim stop DIR\n"
               "       gwsim run DIR -- CMD [ARG...]\n"
               "       gwsim shell DIR\n"
               "       gwsim web DIR [--port N] [--address 127.0.0.1|::1]\n"
               "run and shell need a started device; otherwise they refuse with status 125.\n",
               stderr);
    return 2;
}

bool parse_pid(const char *s, pid_t &out)
{
    char *end = nullptr;
    long v = std::strtol(s, &end, 10);
    if (*s == '\0' || *end != '\0' || v <= 0 || v > 0x3FFFFFFF)
        return false;
    out = static_cast<pid_t>(v);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const std::string verb = argv[1];
    gwsim::DevicePaths d{gwsim::device_dir(argv[2])};
    if (d.dir.empty())
        return 2;

    if (verb == "create") {
        gwsim::CreateOptions opt;
        for (int i = 3; i < argc; ++i) {
            std::string a = argv[i];
            if (i + 1 >= argc)
                return usage();
            if (a == "--profile")
                opt.profile_file = argv[++i];
            else if (a == "--fwroot")
                opt.fwroots.push_back(argv[++i]);
            else if (a == "--cmdtable")
                opt.cmdtable_file = argv[++i];
            else if (a == "--firmware")
                opt.firmware_file = argv[++i];
            else if (a == "--romfile")
                opt.romfile_file = argv[++i];
            else if (a == "--second-romfile")
                opt.second_romfile_file = argv[++i];
            else
                return usage();
        }
        return gwsim::create_device(d, opt);
    }
    if (verb == "start" || verb == "serve") {
        pid_t owner = 0;
        if (argc == 5 && std::strcmp(argv[3], "--owner") == 0) {
            if (!parse_pid(argv[4], owner))
                return usage();
        } else if (argc != 3) {
            return usage();
        }
        return verb == "start" ? gwsim::start_device(d, owner) : gwsim::serve_device(d, owner);
    }
    if (verb == "stop" && argc == 3)
        return gwsim::stop_device(d);
    if (verb == "run" && argc >= 5 && std::strcmp(argv[3], "--") == 0)
        return gwsim::run_in_device(d, std::vector<std::string>(argv + 4, argv + argc));
    if (verb == "web") {
        gwsim::WebOptions opt;
        for (int i = 3; i < argc; i += 2) {
            if (i + 1 >= argc)
                return usage();
            if (std::strcmp(argv[i], "--port") == 0) {
                char *end = nullptr;
                long v = std::strtol(argv[i + 1], &end, 10);
                if (*argv[i + 1] == '\0' || *end != '\0' || v < 0 || v > 65535)
                    return usage();
                opt.port = static_cast<int>(v);
            } else if (std::strcmp(argv[i], "--address") == 0) {
                opt.address = argv[i + 1];
            } else {
                return usage();
            }
        }
        return gwsim::start_web(d, opt);
    }
    if (verb == "shell" && argc == 3)
        return gwsim::run_in_device(d, {"/bin/sh"});
    return usage();
}

#include "callrec.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace gwsim {

const char *standin_root(const char *tool)
{
    const char *root = std::getenv("WY_SYSROOT");
    if (!root || root[0] != '/') {
        std::fprintf(stderr, "%s: WY_SYSROOT is not set: this stand-in only runs inside a "
                             "simulated gateway (gwsim run)\n", tool);
        return nullptr;
    }
    return root;
}

bool record_call(const char *root, const char *name, int argc, char **argv)
{
    std::string line = name;
    size_t rootlen = std::strlen(root);
    for (int i = 0; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strncmp(a, root, rootlen) == 0 && a[rootlen] == '/')
            a += rootlen;
        line += ' ';
        line += a;
    }
    line += '\n';
    std::string path = std::string(root) + "/../calls.log";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    // One write with O_APPEND: lines of concurrent stand-ins never interleave.
    bool ok = fd >= 0 && write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    if (!ok)
        std::fprintf(stderr, "%s: cannot record the call in %s: %s\n", name, path.c_str(),
                     std::strerror(errno));
    if (fd >= 0)
        close(fd);
    return ok;
}

} // namespace gwsim

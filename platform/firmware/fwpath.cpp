// fwpath: the firmware's save, boot and upgrade paths inside a simulated
// gateway (sbin/fwpath).
//   fwpath save            the running configuration into the next copy
//   fwpath boot            the running configuration from the copy to read
//   fwpath upgrade FILE    validate FILE and write it into "wylinux"
//   fwpath romd FILE       write the configuration in FILE into ROM-D
//   fwpath restore         the running configuration back to the default
// Everything is printed on standard error, so that callers' output stays
// theirs. Status 0 on success, 1 on failure, 2 on a wrong command line.
#include "fwpaths.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    // The library prints on standard output; here that belongs to the caller.
    std::fflush(stdout);
    dup2(2, 1);
    if (argc == 2 && std::strcmp(argv[1], "save") == 0)
        return fwpath::save();
    if (argc == 2 && std::strcmp(argv[1], "boot") == 0)
        return fwpath::boot();
    if (argc == 3 && std::strcmp(argv[1], "upgrade") == 0)
        return fwpath::upgrade(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "romd") == 0)
        return fwpath::upload_romd(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "restore") == 0)
        return fwpath::restore();
    std::fprintf(stderr, "usage: fwpath save | fwpath boot | fwpath upgrade FILE | fwpath romd FILE | "
                         "fwpath restore\n");
    return 2;
}

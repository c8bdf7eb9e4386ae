// /userfs/bin/wyapi: the store's command line.
//   wyapi get NODE ATTR          prints the value and a line feed
//   wyapi set NODE ATTR VALUE
//   wyapi unset NODE
//   wyapi commit NODE
// Exit status 0 on success, 1 on failure (the reason on standard error), 2 on a
// wrong command line.
#include <stdio.h>
#include <string.h>

#include "romdoc.h"
#include "sysroot.h"
#include "wyapi.h"

namespace {

const char *reason(int rc)
{
    switch (rc) {
    case WYAPI_ERR_NODE: return "bad node name";
    case WYAPI_ERR_ATTR: return "bad attribute name";
    case WYAPI_ERR_VALUE: return "value too long";
    default: return "store not readable or not writable";
    }
}

int usage()
{
    fprintf(stderr, "usage: wyapi get NODE ATTR | set NODE ATTR VALUE | unset NODE | commit NODE\n");
    return 2;
}

int do_get(const char *node, const char *attr)
{
    char buf[WYAPI_BUF_SIZE];
    int rc = wyapi_get(node, attr, buf);
    if (rc != WYAPI_OK) {
        fprintf(stderr, "wyapi: %s %s: %s\n", node, attr, buf);
        return 1;
    }
    printf("%s\n", buf);
    return 0;
}

int report(const char *what, int rc)
{
    if (rc == WYAPI_OK)
        return 0;
    fprintf(stderr, "wyapi: %s: %s\n", what, reason(rc));
    return 1;
}

bool is_set(int rc, const char *value)
{
    return rc == WYAPI_OK && value[0] && strcmp(value, "N/A") != 0;
}

// A commit of System_Entry carries out the request its attributes describe.
// For now that is the restart asked for by "reboot_type".
int do_commit(const char *node)
{
    if (!romdoc::valid_name(node))
        return report("commit", WYAPI_ERR_NODE);
    if (strcmp(node, "System_Entry") != 0)
        return 0;
    char buf[WYAPI_BUF_SIZE];
    int rc = wyapi_get(node, "reboot_type", buf);
    if (rc == WYAPI_ERR_STORE)
        return report("commit", rc);
    if (!is_set(rc, buf))
        return 0;
    fflush(stdout);
    if (wy_system("reboot") != 0) {
        fprintf(stderr, "wyapi: commit %s: reboot failed\n", node);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const char *cmd = argv[1];
    if (strcmp(cmd, "get") == 0 && argc == 4)
        return do_get(argv[2], argv[3]);
    if (strcmp(cmd, "set") == 0 && argc == 5)
        return report("set", wyapi_set(argv[2], argv[3], argv[4]));
    if (strcmp(cmd, "unset") == 0 && argc == 3)
        return report("unset", wyapi_unset(argv[2]));
    if (strcmp(cmd, "commit") == 0 && argc == 3)
        return do_commit(argv[2]);
    return usage();
}

// /userfs/bin/wyapi: the store's command line.
//   wyapi get NODE ATTR          prints the value and a line feed
//   wyapi set NODE ATTR VALUE
//   wyapi unset NODE
//   wyapi commit NODE            saves the running configuration to flash and
//                                carries out a request of System_Entry once
// Exit status 0 on success, 1 on failure (the reason on standard error), 2 on a
// wrong command line. Inside a simulated gateway each run is recorded in its
// call log.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "callrec.h"
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

// A request attribute of System_Entry: whether it asks for something, and if
// so it is put back to `idle` right away, so that a commit carries the
// request out once and a saved configuration never carries it into the next
// boot. `wanted` is the value that asks, or nullptr for any set value.
bool take_request(const char *attr, const char *wanted, const char *idle, char *value, int &rc)
{
    rc = wyapi_get("System_Entry", attr, value);
    if (!is_set(rc, value) || (wanted && strcmp(value, wanted) != 0))
        return false;
    rc = wyapi_set("System_Entry", attr, idle);
    return true;
}

bool run(const char *line)
{
    return wy_system(line) == 0;
}

// A commit saves the running configuration to flash (the firmware's save
// path), then carries out what System_Entry requests: an upgrade from an
// uploaded firmware image (UploadFileType 1) or configuration file for ROM-D
// (UploadFileType 3), a restart (reboot_type), after a restore to the
// default configuration when reboot_type is 2 or 4.
int do_commit(const char *node)
{
    if (!romdoc::valid_name(node))
        return report("commit", WYAPI_ERR_NODE);
    bool system = strcmp(node, "System_Entry") == 0;
    char reboot[WYAPI_BUF_SIZE] = "", upgrade[WYAPI_BUF_SIZE] = "", type[WYAPI_BUF_SIZE] = "";
    bool want_reboot = false, want_upgrade = false;
    if (system) {
        int rc;
        want_reboot = take_request("reboot_type", nullptr, "", reboot, rc);
        if (rc == WYAPI_ERR_STORE)
            return report("commit", rc);
        want_upgrade = take_request("upgrade_fw", "1", "0", upgrade, rc);
        if (rc == WYAPI_ERR_STORE)
            return report("commit", rc);
        if (want_upgrade && wyapi_get("WebCurSet_Entry", "UploadFileType", type) != WYAPI_OK)
            type[0] = '\0';
    }
    int status = 0;
    // A restore (types 2 and 4) goes back to the default configuration, which
    // the save below then keeps; a failed one must not end in a reboot.
    bool restore = want_reboot && (strcmp(reboot, "2") == 0 || strcmp(reboot, "4") == 0);
    if (restore && !run("fwpath restore")) {
        fprintf(stderr, "wyapi: commit %s: restoring the default configuration failed\n", node);
        status = 1;
        want_reboot = false;
    }
    if (!run("fwpath save")) {
        fprintf(stderr, "wyapi: commit %s: saving the configuration failed\n", node);
        status = 1;
    }
    if (want_upgrade && strcmp(type, "3") == 0) {
        // A configuration file for ROM-D; a reboot only when the upload asks for one.
        char again[WYAPI_BUF_SIZE] = "";
        if (!run("fwpath romd /var/tmp/up_romfile.cfg")) {
            fprintf(stderr, "wyapi: commit %s: writing ROM-D failed\n", node);
            status = 1;
        } else if (wyapi_get("WebCurSet_Entry", "UploadReboot", again) == WYAPI_OK && is_set(WYAPI_OK, again) &&
                   strcmp(again, "0") != 0) {
            want_reboot = true;
        }
    } else if (want_upgrade) {
        if (strcmp(type, "1") != 0) {
            fprintf(stderr, "wyapi: commit %s: upload file type \"%s\" is not carried out here\n", node, type);
            status = 1;
        } else if (!run("fwpath upgrade /var/tmp/up_fw.bin")) {
            fprintf(stderr, "wyapi: commit %s: firmware upgrade refused or failed\n", node);
            status = 1;
        }
    }
    if (want_reboot && !run("reboot")) {
        fprintf(stderr, "wyapi: commit %s: reboot failed\n", node);
        status = 1;
    }
    return status;
}

} // namespace

// Only a device created by gwsim keeps a call log beside its root.
void record(int argc, char **argv)
{
    const char *root = getenv("WY_SYSROOT");
    if (!root || root[0] != '/' || access((std::string(root) + "/../calls.log").c_str(), W_OK) != 0)
        return;
    gwsim::record_call(root, "wyapi", argc - 1, argv + 1);
}

int main(int argc, char **argv)
{
    record(argc, argv);
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

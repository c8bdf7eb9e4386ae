// Stand-in for a host command (reboot, ifconfig): records that it ran, with
// its arguments, and does nothing else. The name comes from the build.
#include "callrec.h"

int main(int argc, char **argv)
{
    const char *root = gwsim::standin_root(WY_STANDIN_NAME);
    if (!root)
        return 1;
    return gwsim::record_call(root, WY_STANDIN_NAME, argc - 1, argv + 1) ? 0 : 1;
}

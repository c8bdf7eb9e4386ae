#include "ci.h"

int main(int argc, char **argv)
{
    // Scripts judge a command by what it printed; the status is always 0.
    ci_main(argc, argv);
    return 0;
}

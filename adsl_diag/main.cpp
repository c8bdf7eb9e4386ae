#include "adsl_diag.h"

int main(int argc, char **argv)
{
    // Callers judge a run by what it printed; the status is always 0.
    adsl_main(argc, argv);
    return 0;
}

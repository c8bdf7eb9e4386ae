/* Stand-in: the kernel interfaces live in two headers. */
#include <wyk/module.h>

// Device paths of the gateway ("/dev/mtd0", "/tmp/boot.bin" ...), moved under a
// system root when the environment names one. The simulator runs every program
// with WY_SYSROOT set to a simulated device's root; on the gateway it is unset
// (and firmware builds compile the prefix out), so paths stay exactly as given.
#ifndef WY_COMMON_SYSROOT_H
#define WY_COMMON_SYSROOT_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// The system root: WY_SYSROOT when set and non-empty, else "". Returns NULL when
// WY_SYSROOT is not an absolute path made only of [A-Za-z0-9._/-]; the refusal is
// printed to stderr once per process. The value may reach a shell, hence the set.
const char *wy_sysroot(void);

// Writes the system root followed by `path` into `out` (`size` bytes, always
// NUL-terminated when size > 0). Returns `out`, or NULL when the root is refused,
// `path` is not absolute, or the result does not fit (message on stderr).
char *wy_path(char *out, size_t size, const char *path);

// Rewrites a shell command line for the system root: every absolute path in it
// (a '/' at the start of the line or after a blank, '<', '>' or '=') gets the
// root in front. "cat /dev/mtd0 > /tmp/boot.bin" becomes
// "$ROOT/dev/mtd0 > $ROOT/tmp/boot.bin" with $ROOT expanded. Relative command
// names (reboot, cat) are left for PATH. Returns `out`, or NULL as wy_path.
char *wy_cmdline(char *out, size_t size, const char *line);

// wy_cmdline, then system(), with standard output flushed first so that what
// the caller printed comes before the command's own output. The one way
// programs run a shell command line. Returns system()'s result, or -1 when the
// line could not be built (nothing is run then).
int wy_system(const char *line);

#ifdef __cplusplus
}
#endif

#endif

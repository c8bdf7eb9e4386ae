// The ADSL diagnostic tool: passes its command line to the kernel command node
// and prints the ADSL information or, for a DELT query, the test's result file.
// Runs are serialised by a record lock on /tmp/adsllockfd.
#ifndef WY_ADSL_DIAG_H
#define WY_ADSL_DIAG_H

#include <stddef.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

// Copies the file at `path` (a device path) to standard output in chunks of 256
// bytes, each printed as text (a NUL ends that chunk's output), then "\r\n".
// Only a regular file's bytes are copied; anything else opens to nothing.
// Returns 0; -1 after printing "\r\nopen file error!" when it cannot be opened.
int fileToStdout(const char *path);

// Applies a record lock of `type` over `len` bytes from `start` (relative to
// `whence`) to `fd` with the fcntl command `cmd`. Returns fcntl's result.
int set_file_lock(int fd, int cmd, short type, off_t start, int whence, off_t len);

#ifdef __cplusplus
}
#endif

// What a run prints after its command has been sent.
enum class AdslOutput {
    info,  // the ADSL information node, through "cat"
    diag,  // the DELT result file, which is then removed
    none,
};

// The command line: argv[0] as invoked, then " " + each further argument.
// False when it would not fit in `size` bytes with its NUL (nothing is cut:
// a cut line could be another command).
bool adsl_build_line(int argc, char **argv, char *out, size_t size);

// "delt" anywhere in the line asks for the result file when "show" or "status"
// follows it somewhere, else for nothing; any other line for the information.
AdslOutput adsl_output_for(const char *line);

// Waits for the exclusive lock on the whole of `fd`, again after a signal.
// Returns 0 when it holds the lock, -1 (errno set) when it was refused.
int adsl_lock_wait(int fd);

// The whole run. Returns 0 always.
int adsl_main(int argc, char **argv);

#endif

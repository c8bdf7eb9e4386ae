// Private helpers of the flash library and the factory commands: reads that do
// not stop at a short count, and the /proc/mtd line number.
#ifndef WY_FLASHLIB_FLASHIO_H
#define WY_FLASHLIB_FLASHIO_H

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/types.h>
#include <unistd.h>

#include "owners.h"

namespace flashio {

// Reads until `len` bytes arrived, end of file or an error. Returns the count
// read, or -1 when an error came before any byte.
ssize_t read_full(int fd, void *buf, size_t len);

// pread() until `len` bytes arrived; same result rule as read_full.
ssize_t pread_full(int fd, void *buf, size_t len, off_t offset);

// Parses the start of one /proc/mtd line: "mtd" followed by decimal digits and
// ':'. Stores the number and returns true; false for anything else, including a
// number too large for a device name.
bool mtd_line_number(const char *line, int *number);

// `path` as this process opens it: absolute paths are device paths and move
// under the system root; relative ones are used as given. nullptr when the
// result does not fit `size` bytes.
const char *host_path(char *out, size_t size, const char *path);

// Two descriptors of the same file or device.
bool same_file(int a, int b);

} // namespace flashio

#endif

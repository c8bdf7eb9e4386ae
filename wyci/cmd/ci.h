// The factory command interpreter: handler table, calling convention and the
// pieces of the command entry that tests call directly.
#ifndef WY_WYCI_CI_H
#define WY_WYCI_CI_H

#include <stddef.h>

// A handler gets n, the number of words after the program name (the command
// word included), and p = &argv[1]: p[0] the command word, p[1] the first
// parameter ... p[n] the terminating null. Returns 0 when done (or after a
// reported failure), -1 when it refused the command.
using ci_handler = int (*)(int n, char **p);

inline constexpr int kCiSlots = 14; // slots 0 to 13; 13 ends the table
extern ci_handler ci_func[kCiSlots];

// Closing lines; both return printf's result.
int OKOut();
int ERROROut();

// The whole run of wyci: banner, node exchange, dispatch. Returns 0 always.
int ci_main(int argc, char **argv);

// The command line sent to the node: the program name (argv[0] after its last
// '/') and " " + each further argument. False when it would not fit in `size`
// bytes with its NUL (nothing is cut).
bool ci_build_line(int argc, char **argv, char *out, size_t size);

// A decimal number by the rules of atoi (leading blanks, sign, digits up to the
// first other character); 0 for no digits and for numbers beyond int.
int ci_atoi(const char *answer);

// Reads the MRD into `mrd` (MRD_SIZE bytes). False after printing "Fail to get
// MRD information!" and the closing error line; the handler then returns 0.
bool ci_read_mrd(unsigned char *mrd);

// The write interlock of the manufacturing writers: reads the MRD into `mrd`
// (MRD_SIZE bytes), then checks the arm flag and EngDebugFlag, in that order.
// Returns 1 when the write may go on; otherwise the handler's result, the
// reason printed: 0 when the MRD could not be read, -1 when refused.
int ci_interlock(unsigned char *mrd);

// wy_system, true only when the command ran and exited with status 0.
bool ci_shell_ok(const char *line);

// Stores the one byte `value` as the whole file `path` (a device path),
// created or truncated. True once it is written, flushed and closed; false
// after printing "Open file error!!" or "Write file error!!".
bool ci_write_flag(const char *path, unsigned char value);

// Prints `len` bytes as lines of at most 16 two-digit hexadecimal bytes, each
// line after "\t \t", with '-' after the eighth byte of a line and a blank
// after every other; "\n" before and "\r\n" after.
void dumpMemory(const unsigned char *bytes, int len);

int ATWriteBootMac(int n, char **p);
int ATWriteVornaMac(int n, char **p);
int ATSeriesNumber(int n, char **p);
int ATBT(int n, char **p);
int ATWriteWpaPsk(int n, char **p);
int ATShowWpaPsk(int n, char **p);
// Returns 1, or -1 when a copy could not be read; prints neither OK nor ERROR.
int doRomfileInfo(int n, char **p);
int ATDumpROMMRD(int n, char **p);
int ATRestoredefault(int n, char **p);
int ATButtonTest(int n, char **p);
int ATLedTest(int n, char **p);
int ATRomd(int n, char **p);

#endif

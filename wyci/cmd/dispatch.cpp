#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>

#include "ci.h"
#include "sysroot.h"

namespace {

constexpr char kNode[] = "/proc/wysoc/wyci_cmd";
constexpr char kVersion[] = "wyci V1.1.0.0 (" __DATE__ "-" __TIME__ ")";
constexpr size_t kLineSize = 80; // 79 characters and the NUL
constexpr int kLastSlot = 12;

int placeholder(int, char **)
{
    printf("I am dummy!!\n");
    return 0;
}

const char *program_name(const char *argv0)
{
    const char *slash = strrchr(argv0, '/');
    return slash ? slash + 1 : argv0;
}

// Writes the line to the node and reads back its slot number; -1 when the node
// could not be used (reason printed). A line that did not reach the node must
// not be answered with the slot of the one written before it.
int exchange(const char *line)
{
    char path[PATH_MAX];
    if (!wy_path(path, sizeof path, kNode)) {
        printf("open %s fail\n", kNode);
        return -1;
    }
    FILE *w = fopen(path, "w");
    if (!w) {
        printf("open %s fail\n", kNode);
        return -1;
    }
    bool written = fprintf(w, "%s", line) >= 0 && fflush(w) == 0;
    if (fclose(w) != 0)
        written = false;
    if (!written) {
        printf("write %s fail\n", kNode);
        return -1;
    }
    FILE *r = fopen(path, "r");
    if (!r) {
        printf("open %s fail\n", kNode);
        return -1;
    }
    char answer[kLineSize];
    int slot = fgets(answer, sizeof answer, r) ? ci_atoi(answer) : 0;
    fclose(r);
    return slot;
}

} // namespace

ci_handler ci_func[kCiSlots] = {
    placeholder,     // 0: never dispatched, 0 means nothing to run
    ATWriteBootMac,  // 1
    ATDumpROMMRD,    // 2
    ATWriteVornaMac, // 3
    ATSeriesNumber,  // 4
    ATBT,            // 5
    ATRestoredefault, // 6
    ATButtonTest,    // 7
    ATLedTest,       // 8
    ATWriteWpaPsk,   // 9
    ATShowWpaPsk,    // 10
    ATRomd,          // 11
    doRomfileInfo,   // 12
    nullptr,         // 13: end of table
};

int OKOut() { return printf("\nOK\n"); }
int ERROROut() { return printf("\nERROR\n"); }

bool ci_build_line(int argc, char **argv, char *out, size_t size)
{
    const char *name = argc > 0 && argv[0] ? program_name(argv[0]) : "wyci";
    int used = snprintf(out, size, "%s", name);
    if (used < 0 || static_cast<size_t>(used) >= size)
        return false;
    for (int i = 1; i < argc; ++i) {
        int len = snprintf(out + used, size - static_cast<size_t>(used), " %s", argv[i]);
        if (len < 0 || static_cast<size_t>(used + len) >= size)
            return false;
        used += len;
    }
    return true;
}

int ci_atoi(const char *answer)
{
    errno = 0;
    long value = strtol(answer, nullptr, 10);
    if (errno == ERANGE || value > INT_MAX || value < INT_MIN)
        return 0;
    return static_cast<int>(value);
}

bool ci_shell_ok(const char *line)
{
    int status = wy_system(line);
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int ci_main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "version") == 0) {
        printf("\r\n wyci version: %s\n", kVersion);
        return 0;
    }
    char line[kLineSize];
    if (!ci_build_line(argc, argv, line, sizeof line)) {
        // Cutting the line could hand the node another command than the one typed.
        printf("command line too long: at most %zu characters\n", kLineSize - 1);
        ERROROut();
        return 0;
    }
    int slot = exchange(line);
    if (slot < 1 || slot > kLastSlot || !ci_func[slot])
        return 0;
    ci_func[slot](argc - 1, argv + 1);
    return 0;
}

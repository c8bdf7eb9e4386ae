#include "sysroot.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr size_t kMaxCmdline = 1024;

#if WY_SYSROOT_PREFIX
bool root_char_ok(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '_' || c == '/' || c == '-';
}

bool root_valid(const char *root)
{
    if (root[0] != '/')
        return false;
    for (const char *c = root; *c; ++c)
        if (!root_char_ok(*c))
            return false;
    return true;
}
#endif

bool starts_path(const char *line, const char *at)
{
    if (*at != '/')
        return false;
    if (at == line)
        return true;
    char before = at[-1];
    return before == ' ' || before == '\t' || before == '<' || before == '>' || before == '=';
}

} // namespace

extern "C" const char *wy_sysroot(void)
{
#if WY_SYSROOT_PREFIX
    static bool refusal_printed = false;
    const char *root = getenv("WY_SYSROOT");
    if (!root || !root[0])
        return "";
    if (!root_valid(root)) {
        if (!refusal_printed)
            fprintf(stderr, "WY_SYSROOT refused: it must be an absolute path of A-Z a-z 0-9 . _ / - only\n");
        refusal_printed = true;
        return nullptr;
    }
    return root;
#else
    return "";
#endif
}

extern "C" char *wy_path(char *out, size_t size, const char *path)
{
    const char *root = wy_sysroot();
    if (size > 0)
        out[0] = '\0';
    if (!root)
        return nullptr;
    if (!path || path[0] != '/') {
        fprintf(stderr, "wy_path: not an absolute path: %s\n", path ? path : "(null)");
        return nullptr;
    }
    int len = snprintf(out, size, "%s%s", root, path);
    if (len < 0 || static_cast<size_t>(len) >= size) {
        fprintf(stderr, "wy_path: path too long: %s%s\n", root, path);
        if (size > 0)
            out[0] = '\0';
        return nullptr;
    }
    return out;
}

extern "C" char *wy_cmdline(char *out, size_t size, const char *line)
{
    const char *root = wy_sysroot();
    if (size > 0)
        out[0] = '\0';
    if (!root || size == 0)
        return nullptr;
    size_t root_len = strlen(root);
    size_t used = 0;
    for (const char *c = line; *c; ++c) {
        size_t need = starts_path(line, c) ? root_len + 1 : 1;
        if (used + need >= size) {
            fprintf(stderr, "wy_cmdline: command line too long: %s\n", line);
            out[0] = '\0';
            return nullptr;
        }
        if (need > 1) {
            memcpy(out + used, root, root_len);
            used += root_len;
        }
        out[used++] = *c;
    }
    out[used] = '\0';
    return out;
}

extern "C" int wy_system(const char *line)
{
    char cmd[kMaxCmdline];
    if (!wy_cmdline(cmd, sizeof cmd, line))
        return -1;
    fflush(stdout);
    return system(cmd);
}

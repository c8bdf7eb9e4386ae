#include <stdio.h>

#include "ci.h"

namespace {

// The value of a hexadecimal digit, -1 for any other character.
int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The restore type a parameter asks for: 0 gives 4, 1 gives 2; 0 for anything
// else. Only hexadecimal digits after an optional "0x" count as a number, so a
// typo never becomes 0 and with it a restore of type 4.
int restore_type(const char *text)
{
    if (text[0] == '0' && text[1] == 'x')
        text += 2;
    if (*text == '\0')
        return 0;
    unsigned value = 0;
    for (; *text; ++text) {
        int d = hex_digit(*text);
        if (d < 0)
            return 0;
        // Beyond 1 the value no longer matters, and it must not wrap back to 0.
        value = value > 1 ? value : value * 16 + static_cast<unsigned>(d);
    }
    return value == 0 ? 4 : value == 1 ? 2 : 0;
}

} // namespace

int ATRestoredefault(int n, char **p)
{
    int type = n == 1 ? 2 : n == 2 ? restore_type(p[1]) : 0;
    if (type == 0) {
        ERROROut();
        return -1;
    }
    const char *set = type == 2 ? "/userfs/bin/wyapi set System_Entry reboot_type 2"
                                : "/userfs/bin/wyapi set System_Entry reboot_type 4";
    // A commit without the request would restart nothing, or the wrong thing.
    if (!ci_shell_ok(set) || !ci_shell_ok("/userfs/bin/wyapi commit System_Entry")) {
        ERROROut();
        return -1;
    }
    OKOut();
    return 0;
}

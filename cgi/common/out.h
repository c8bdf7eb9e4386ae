// Output of the pages: printf-style formats whose %s arguments are escaped for
// the place they land in, so a value from the store cannot end an element,
// attribute or string early. Texts the format itself carries print unchanged.
#ifndef WY_CGI_OUT_H
#define WY_CGI_OUT_H

#include <stdarg.h>
#include <stdio.h>

enum class Esc {
    html, // element text and quoted attribute values: & < > " '
    js,   // inside a script string literal, in a script block or an attribute
};

// Writes `s` escaped for `esc`. HTML: & < > " ' become entities. Script
// strings: backslash, quotes, < > & and control bytes become \ escapes, so the
// result holds none of " ' < > & and is safe in either place.
// Other bytes (letters, digits, . / [ ] - : blanks, bytes >= 0x80) are kept.
void out_escaped(FILE *f, Esc esc, const char *s);

// printf subset: %% ; %d %i %u %x %X %c with flags, width and l/ll/h/z
// modifiers; %s, whose argument is escaped (a NULL prints nothing; width and
// precision are not taken for %s). At any other directive (%f, %p, %*d ...)
// the rest of the format prints as it stands and no further argument is read.
void out_vformat(FILE *f, Esc esc, const char *fmt, va_list ap);

// To standard output, %s escaped for HTML.
void html_out(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// To standard output, %s escaped for a script string literal.
void js_out(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// To `f`, for tests and pages that write elsewhere.
void html_fout(FILE *f, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
void js_fout(FILE *f, const char *fmt, ...) __attribute__((format(printf, 2, 3)));

#endif

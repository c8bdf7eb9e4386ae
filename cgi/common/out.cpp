#include "out.h"

#include <string.h>

namespace {

void put_html(FILE *f, unsigned char c)
{
    switch (c) {
    case '&': fputs("&amp;", f); break;
    case '<': fputs("&lt;", f); break;
    case '>': fputs("&gt;", f); break;
    case '"': fputs("&quot;", f); break;
    case '\'': fputs("&#39;", f); break;
    default: fputc(c, f); break;
    }
}

void put_js(FILE *f, unsigned char c)
{
    switch (c) {
    case '\\': fputs("\\\\", f); return;
    case '\n': fputs("\\n", f); return;
    case '\r': fputs("\\r", f); return;
    case '\t': fputs("\\t", f); return;
    default: break;
    }
    // Quotes as hex too: a script in an attribute must not see a raw '"'.
    if (c < 0x20 || c == 0x7f || c == '"' || c == '\'' || c == '<' || c == '>' || c == '&')
        fprintf(f, "\\x%02x", c);
    else
        fputc(c, f);
}

bool is_flag(char c)
{
    return c == '-' || c == '+' || c == ' ' || c == '0' || c == '#';
}

// Prints one integer conversion `directive` (e.g. "%05lu") of length class `len`.
void put_int(FILE *f, const char *directive, char conv, int len, va_list *ap)
{
    bool is_signed = conv == 'd' || conv == 'i';
    if (conv == 'c') {
        fprintf(f, directive, va_arg(*ap, int));
        return;
    }
    switch (len) {
    case 2:
        if (is_signed)
            fprintf(f, directive, va_arg(*ap, long long));
        else
            fprintf(f, directive, va_arg(*ap, unsigned long long));
        break;
    case 1:
        if (is_signed)
            fprintf(f, directive, va_arg(*ap, long));
        else
            fprintf(f, directive, va_arg(*ap, unsigned long));
        break;
    case 3:
        fprintf(f, directive, va_arg(*ap, size_t));
        break;
    default:
        if (is_signed)
            fprintf(f, directive, va_arg(*ap, int));
        else
            fprintf(f, directive, va_arg(*ap, unsigned));
        break;
    }
}

} // namespace

void out_escaped(FILE *f, Esc esc, const char *s)
{
    if (!s)
        return;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(s); *p; ++p) {
        if (esc == Esc::html)
            put_html(f, *p);
        else
            put_js(f, *p);
    }
}

void out_vformat(FILE *f, Esc esc, const char *fmt, va_list ap_in)
{
    va_list ap;
    va_copy(ap, ap_in);
    const char *p = fmt;
    while (*p) {
        const char *pct = strchr(p, '%');
        if (!pct) {
            fputs(p, f);
            break;
        }
        fwrite(p, 1, static_cast<size_t>(pct - p), f);
        const char *q = pct + 1;
        if (*q == '%') {
            fputc('%', f);
            p = q + 1;
            continue;
        }
        while (is_flag(*q))
            ++q;
        while (*q >= '0' && *q <= '9')
            ++q;
        if (*q == '.') {
            ++q;
            while (*q >= '0' && *q <= '9')
                ++q;
        }
        int len = 0;
        if (*q == 'l') {
            len = 1;
            if (*++q == 'l') {
                len = 2;
                ++q;
            }
        } else if (*q == 'h') {
            ++q;
            if (*q == 'h')
                ++q;
        } else if (*q == 'z') {
            len = 3;
            ++q;
        }
        char conv = *q;
        char directive[32];
        size_t directive_len = static_cast<size_t>(q - pct) + 1;
        if (conv == 's') {
            out_escaped(f, esc, va_arg(ap, const char *));
        } else if (conv && strchr("diuxXc", conv) && directive_len < sizeof directive) {
            memcpy(directive, pct, directive_len);
            directive[directive_len] = '\0';
            put_int(f, directive, conv, len, &ap);
        } else {
            // Not a conversion this printer knows: the type of its argument is
            // unknown, so no later conversion could take the right one. The
            // rest prints as it stands.
            fputs(pct, f);
            break;
        }
        p = q + 1;
    }
    va_end(ap);
}

void html_out(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    out_vformat(stdout, Esc::html, fmt, ap);
    va_end(ap);
}

void js_out(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    out_vformat(stdout, Esc::js, fmt, ap);
    va_end(ap);
}

void html_fout(FILE *f, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    out_vformat(f, Esc::html, fmt, ap);
    va_end(ap);
}

void js_fout(FILE *f, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    out_vformat(f, Esc::js, fmt, ap);
    va_end(ap);
}

#include "subject.h"

#include <stdio.h>
#include <string.h>

#include "utf8.h"

namespace {

// ASN.1 string tags an attribute value may carry.
constexpr int kTagUtf8 = 0x0C;
constexpr int kTagUniversal = 0x1C;
constexpr int kTagBmp = 0x1E;

constexpr unsigned kBad = '?';

struct PartFormat {
    const char *prefix;
    const char *separator;
};

constexpr PartFormat kParts[kSubjAttrs] = {
    {"C=", "/"}, {"ST=", "/"}, {"L=", "/"}, {"O=", "/"}, {"OU=", "/"}, {"CN=", ""},
};

bool is_control(unsigned cp)
{
    return cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
}

// Appends `cp` as UTF-8 when it fits before out[max]; false when it does not.
bool put(char *out, size_t *at, size_t max, unsigned cp)
{
    if (is_control(cp) || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = kBad;
    unsigned char b[4];
    size_t n;
    if (cp < 0x80) {
        b[0] = static_cast<unsigned char>(cp);
        n = 1;
    } else if (cp < 0x800) {
        b[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        b[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        n = 2;
    } else if (cp < 0x10000) {
        b[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        b[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        b[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        n = 3;
    } else {
        b[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
        b[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        b[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        b[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        n = 4;
    }
    if (*at + n > max)
        return false;
    memcpy(out + *at, b, n);
    *at += n;
    return true;
}

// The code point at v[*i] for the string type, moving *i past it.
unsigned next_char(int tag, const unsigned char *v, size_t len, size_t *i)
{
    size_t rest = len - *i;
    const unsigned char *p = v + *i;
    if (tag == kTagUtf8) {
        size_t n = utf8_seq_len(p, rest);
        if (n == 0) {
            *i += 1;
            return kBad;
        }
        *i += n;
        if (n == 1)
            return p[0];
        unsigned cp = p[0] & (0xFF >> (n + 1));
        for (size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (p[k] & 0x3F);
        return cp;
    }
    if (tag == kTagBmp || tag == kTagUniversal) {
        size_t n = tag == kTagBmp ? 2 : 4;
        if (rest < n) {
            *i = len;
            return kBad;
        }
        unsigned long cp = 0;
        for (size_t k = 0; k < n; ++k)
            cp = (cp << 8) | p[k];
        *i += n;
        return cp > 0x10FFFF ? kBad : static_cast<unsigned>(cp);
    }
    *i += 1;
    return p[0];
}

} // namespace

void subject_clear(Subject *s)
{
    memset(s, 0, sizeof *s);
}

void subject_set(Subject *s, SubjectAttr attr, int tag, const unsigned char *value, size_t len)
{
    char *out = s->text[attr];
    size_t at = 0;
    size_t i = 0;
    while (i < len && put(out, &at, kSubjPartMax, next_char(tag, value, len, &i))) {
    }
    out[at] = '\0';
    s->present[attr] = true;
}

void subject_line(const Subject *s, char *line, size_t size)
{
    size_t at = 0;
    if (size == 0)
        return;
    line[0] = '\0';
    for (int a = 0; a < kSubjAttrs; ++a) {
        if (!s->present[a])
            continue;
        const PartFormat &f = kParts[a];
        size_t room = kSubjPartMax - strlen(f.prefix) - strlen(f.separator);
        const char *v = s->text[a];
        int keep = static_cast<int>(utf8_cut(v, strlen(v), room));
        int n = snprintf(line + at, size - at, "%s%.*s%s", f.prefix, keep, v, f.separator);
        if (n < 0 || static_cast<size_t>(n) >= size - at)
            return; // only a buffer under kSubjLineSize gets here: the line is cut
        at += static_cast<size_t>(n);
    }
}

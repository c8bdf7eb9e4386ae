// The subject line of a CA certificate: six attributes, each absent or text,
// joined in a fixed order as "C=../ST=../L=../O=../OU=../CN=..".
#ifndef WY_CERTSUBJ_SUBJECT_H
#define WY_CERTSUBJ_SUBJECT_H

#include <stddef.h>

enum SubjectAttr {
    kSubjCountry,
    kSubjState,
    kSubjLocality,
    kSubjOrg,
    kSubjOrgUnit,
    kSubjCommonName,
    kSubjAttrs
};

// A part ("O=" value "/") holds at most this many bytes.
constexpr size_t kSubjPartMax = 127;
// The whole line and its NUL.
constexpr size_t kSubjLineSize = kSubjAttrs * kSubjPartMax + 1;

struct Subject {
    bool present[kSubjAttrs];
    char text[kSubjAttrs][kSubjPartMax + 1]; // UTF-8, NUL-terminated
};

// All six absent.
void subject_clear(Subject *s);

// Sets `attr` from an attribute value as the certificate holds it: the ASN.1
// string tag and its bytes. The text is UTF-8: UTF8String as it is,
// BMPString and UniversalString converted, every other string type taken as
// Latin-1 (as OpenSSL shows them). Bytes that are no character of the type
// and control characters (they would break the one-line file) become '?'.
// Only whole characters that fit in kSubjPartMax bytes are kept.
void subject_set(Subject *s, SubjectAttr attr, int tag, const unsigned char *value, size_t len);

// Writes the line into `line` (at least kSubjLineSize bytes). A present
// attribute gives its part, its value cut to whole characters so that the
// part, separator included, fits in kSubjPartMax bytes; an absent one nothing.
void subject_line(const Subject *s, char *line, size_t size);

#endif

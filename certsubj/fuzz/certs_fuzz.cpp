// Certificate reading and subject formatting on hostile bytes. The first byte
// picks the way in: 0 a PEM file's text, 1 one DER certificate, anything else
// an attribute value with that byte as its string tag. Every line made must
// be UTF-8 without control characters, with parts of at most 127 bytes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "certs.h"
#include "subject.h"
#include "utf8.h"

namespace {

void check_line(const Subject &s)
{
    char line[kSubjLineSize];
    subject_line(&s, line, sizeof line);
    size_t len = strlen(line), part = 0;
    for (size_t i = 0; i < len;) {
        size_t n = utf8_seq_len(reinterpret_cast<const unsigned char *>(line) + i, len - i);
        if (n == 0 || static_cast<unsigned char>(line[i]) < 0x20 || line[i] == 0x7F)
            abort();
        part += n;
        if (line[i] == '/')
            part = 0;
        if (part > kSubjPartMax)
            abort();
        i += n;
    }
}

void subjects_of(const unsigned char *der, size_t len)
{
    Subject s;
    if (cert_subject(der, len, &s) == 0)
        check_line(s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > kCertFileMax)
        return 0;
    const uint8_t *rest = data + 1;
    size_t len = size - 1;
    if (data[0] == 0) {
        char *text = static_cast<char *>(calloc(len + 1, 1));
        if (!text)
            return 0;
        memcpy(text, rest, len);
        CertListOwner certs;
        if (certs_read_text(text, len, &certs.list)) {
            size_t sum = 0;
            const unsigned char *at = certs.list.der;
            for (const size_t *n = certs.list.lengths; *n; ++n) {
                subjects_of(at, *n);
                at += *n;
                sum += *n;
            }
            if (sum != certs.list.total)
                abort();
        }
        free(text);
    } else if (data[0] == 1) {
        subjects_of(rest, len);
    } else {
        Subject s;
        subject_clear(&s);
        subject_set(&s, kSubjOrgUnit, data[0], rest, len);
        subject_set(&s, kSubjCommonName, data[0], rest, len / 2);
        check_line(s);
    }
    return 0;
}

#include "certs.h"

#include "owners.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mbedtls/oid.h>
#include <mbedtls/pem.h>
#include <mbedtls/x509_crt.h>

namespace {

constexpr const char *kBegin = "-----BEGIN CERTIFICATE-----";
constexpr const char *kEnd = "-----END CERTIFICATE-----";

size_t count_blocks(const char *text)
{
    size_t n = 0;
    for (const char *at = strstr(text, kBegin); at; at = strstr(at + 1, kBegin))
        ++n;
    return n;
}

struct Crt {
    mbedtls_x509_crt crt;
    Crt() { mbedtls_x509_crt_init(&crt); }
    ~Crt() { mbedtls_x509_crt_free(&crt); }
};

struct OidAttr {
    const char *oid;
    size_t oid_len;
    SubjectAttr attr;
};

#define WY_OID(o) o, sizeof(o) - 1
constexpr OidAttr kAttrs[] = {
    {WY_OID(MBEDTLS_OID_AT_COUNTRY), kSubjCountry},
    {WY_OID(MBEDTLS_OID_AT_STATE), kSubjState},
    {WY_OID(MBEDTLS_OID_AT_LOCALITY), kSubjLocality},
    {WY_OID(MBEDTLS_OID_AT_ORGANIZATION), kSubjOrg},
    {WY_OID(MBEDTLS_OID_AT_ORG_UNIT), kSubjOrgUnit},
    {WY_OID(MBEDTLS_OID_AT_CN), kSubjCommonName},
};
#undef WY_OID

} // namespace

bool certs_read_text(const char *text, size_t len, CertList *out)
{
    *out = CertList{};
    size_t blocks = count_blocks(text);
    if (blocks == 0)
        return false;
    // Decoded DER is shorter than its base64, so `len` bytes hold them all.
    unsigned char *der = static_cast<unsigned char *>(calloc(len, 1));
    size_t *lengths = static_cast<size_t *>(calloc(blocks + 1, sizeof *lengths));
    if (!der || !lengths) {
        free(der);
        free(lengths);
        return false;
    }
    size_t total = 0, count = 0;
    const unsigned char *at = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *end = at + len;
    while (at < end && count < blocks) {
        // From the next header on, so an end line before it cannot hide it.
        const char *begin = strstr(reinterpret_cast<const char *>(at), kBegin);
        if (!begin)
            break;
        at = reinterpret_cast<const unsigned char *>(begin);
        mbedtls_pem_context pem;
        mbedtls_pem_init(&pem);
        size_t used = 0;
        int rc = mbedtls_pem_read_buffer(&pem, kBegin, kEnd, at, nullptr, 0, &used);
        if (rc == MBEDTLS_ERR_PEM_NO_HEADER_FOOTER_PRESENT || used == 0) {
            mbedtls_pem_free(&pem);
            break;
        }
        if (rc == 0 && pem.buflen > 0 && pem.buflen <= len - total) {
            memcpy(der + total, pem.buf, pem.buflen);
            lengths[count++] = pem.buflen;
            total += pem.buflen;
        }
        mbedtls_pem_free(&pem);
        at += used;
    }
    if (count == 0) {
        free(der);
        free(lengths);
        return false;
    }
    *out = CertList{der, total, lengths};
    return true;
}

bool certs_read_file(const char *path, CertList *out)
{
    *out = CertList{};
    // Only a regular file: the open of a FIFO left in its place would wait for
    // a writer, and the list page with it. O_NONBLOCK keeps it from waiting.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        fd = -1;
    }
    wy::File f(fd >= 0 ? fdopen(fd, "rb") : nullptr);
    if (!f) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    // One byte more than allowed tells an over-long file, one more the NUL.
    char *text = static_cast<char *>(calloc(kCertFileMax + 2, 1));
    if (!text)
        return false;
    size_t len = fread(text, 1, kCertFileMax + 1, f.get());
    bool ok = !ferror(f.get()) && len <= kCertFileMax && certs_read_text(text, len, out);
    free(text);
    return ok;
}

void certs_free(CertList *list)
{
    free(list->der);
    free(list->lengths);
    *list = CertList{};
}

int cert_subject(const unsigned char *der, size_t len, Subject *s)
{
    subject_clear(s);
    Crt c;
    int rc = mbedtls_x509_crt_parse_der(&c.crt, der, len);
    if (rc != 0)
        return rc < 0 ? rc : -1;
    for (const mbedtls_x509_name *n = &c.crt.subject; n; n = n->next) {
        if (!n->oid.p)
            continue;
        for (const OidAttr &a : kAttrs) {
            if (s->present[a.attr] || n->oid.len != a.oid_len || memcmp(n->oid.p, a.oid, a.oid_len) != 0)
                continue;
            subject_set(s, a.attr, n->val.tag, n->val.p, n->val.len);
        }
    }
    return 0;
}

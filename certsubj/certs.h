// The certificate library as certsubj uses it: read a PEM file into
// certificates, parse one, take its subject's six attributes.
#ifndef WY_CERTSUBJ_CERTS_H
#define WY_CERTSUBJ_CERTS_H

#include <stddef.h>

#include "subject.h"

// A certificate file larger than this is not read.
constexpr size_t kCertFileMax = 256 * 1024;

// The certificates of one file: their DER bytes one after the other, their
// total length and each one's length, the list ended by a 0 entry.
struct CertList {
    unsigned char *der;
    size_t total;
    size_t *lengths;
};

// Reads every "CERTIFICATE" PEM block of the file at `path` (a full path,
// the system root already applied). Blocks whose base64 does not decode, or
// decodes to nothing, are skipped. Returns false, with `out` empty, when the
// file cannot be read, is not a regular file, is larger than kCertFileMax or
// yields no certificate; on true the caller frees `out` with certs_free.
bool certs_read_file(const char *path, CertList *out);

// The same over text[0..len); text[len] must be a NUL.
bool certs_read_text(const char *text, size_t len, CertList *out);

void certs_free(CertList *list);

// Parses one DER certificate and fills `s` from its subject: for each of the
// six attributes the first value in certificate order, or absent. Returns 0,
// or a negative number when the certificate does not parse (`s` then has all
// six absent).
int cert_subject(const unsigned char *der, size_t len, Subject *s);

// Owns a CertList for one scope.
struct CertListOwner {
    CertList list{};
    CertListOwner() = default;
    CertListOwner(const CertListOwner &) = delete;
    CertListOwner &operator=(const CertListOwner &) = delete;
    ~CertListOwner() { certs_free(&list); }
};

#endif

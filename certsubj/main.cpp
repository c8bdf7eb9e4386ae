// certsubj: writes the subject line of the CA certificate in slot N,
// /tmp/Certificates/CA<N>.pem, to /tmp/Certificates/CA<N>.subject.
// Usage: certsubj index <N>. Messages go to standard error; the exit status
// is always 0.
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <strings.h>

#include "certs.h"
#include "subject.h"
#include "sysroot.h"

namespace {

struct File {
    char device[64]; // as the messages name it
    char path[PATH_MAX];
};

bool slot_file(File *f, long slot, const char *ext)
{
    snprintf(f->device, sizeof f->device, "/tmp/Certificates/CA%ld.%s", slot, ext);
    return wy_path(f->path, sizeof f->path, f->device) != nullptr;
}

// Replaces the subject file's content with `line`; false when it cannot be opened.
bool write_subject(const char *path, const char *line)
{
    FILE *f = fopen(path, "w");
    if (!f)
        return false;
    fputs(line, f);
    fclose(f);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        fputs("Usage: certsubj index <Num>\n", stderr);
        return 0;
    }
    long slot = strcasecmp(argv[1], "index") == 0 ? strtol(argv[2], nullptr, 10) : 0;
    File pem, subject;
    if (!slot_file(&pem, slot, "pem") || !slot_file(&subject, slot, "subject"))
        return 0;

    // A file that cannot be read or holds no certificate leaves no trace.
    CertListOwner certs;
    if (!certs_read_file(pem.path, &certs.list))
        return 0;

    const unsigned char *at = certs.list.der;
    size_t remaining = certs.list.total;
    for (const size_t *len = certs.list.lengths; *len != 0 && *len <= remaining; ++len) {
        // Cleared per certificate, so none inherits a part of the one before.
        Subject s;
        if (cert_subject(at, *len, &s) < 0) {
            fputs("matrixX509ParseCert NOT OK\n", stderr);
            fprintf(stderr, "Error parsing CA cert %s\n", pem.device);
        } else {
            char line[kSubjLineSize];
            subject_line(&s, line, sizeof line);
            if (!write_subject(subject.path, line)) {
                fputs("Open file failed.\n", stderr);
                return 0;
            }
        }
        at += *len;
        remaining -= *len;
    }
    if (remaining != 0)
        fprintf(stderr, "%s:%d sslAssert(%s)\n", "certsubj", __LINE__, "outLen == 0");
    return 0;
}

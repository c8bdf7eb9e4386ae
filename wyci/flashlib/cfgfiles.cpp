// The configuration-file writers: the compressed file under /tmp and the
// bare block stream of one file into another.
#include "flashlib.h"
#include "cfgbytes.h"
#include "flashio.h"
#include "sysroot.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using cfgbytes::File;
using cfgbytes::HeapBytes;
using cfgbytes::zalloc;
using flashio::host_path;

constexpr char kTmpCompress[] = "/tmp/tmp_compress";
constexpr size_t kPathMax = 512;

bool write_all(FILE *f, const void *data, size_t n)
{
    return n == 0 || fwrite(data, 1, n, f) == n;
}

} // namespace

extern "C" int vr_compressCfgBufferToFile(char *outPath, char *buf, uint32_t *len)
{
    static const char kName[] = "vr_compressCfgBufferToFile";
    if (vr_configFileLzEncoder(buf, len) != 0) {
        printf("%s: lz encode error!\n", kName);
        return 0;
    }
    char path[kPathMax];
    File f(wy_path(path, sizeof path, kTmpCompress) ? fopen(path, "w") : nullptr);
    if (!f) {
        printf("%s: open file %s error!\n", kName, kTmpCompress);
        return 0;
    }
    bool written = write_all(f.get(), buf, size_t(*len) + CFG_COMPRESSED_HEADER_SIZE);
    if (fclose(f.release()) != 0)
        written = false;
    if (!written) {
        printf("%s: write file %s error!\n", kName, kTmpCompress);
        return 0;
    }
    if (outPath)
        memcpy(outPath, kTmpCompress, sizeof kTmpCompress);
    return 1;
}

extern "C" int compressCfgFileToFile(int unused, const char *inPath, const char *outPath)
{
    (void)unused;
    if (!inPath || !outPath) {
        printf("Error: no file name. Aborted.\n\n");
        return -1;
    }
    HeapBytes output = zalloc(CFG_MAX_STREAM_LEN);
    if (!output) {
        printf("compressCfgFileToFile: fastlz calloc compressed buffer fail!\n");
        return -1;
    }
    char in_path[kPathMax];
    char out_path[kPathMax];
    struct stat st;
    if (!host_path(in_path, sizeof in_path, inPath) || stat(in_path, &st) != 0 || !S_ISREG(st.st_mode) ||
        uint64_t(st.st_size) > UINT32_MAX) {
        printf("Error: stat error.\n");
        return -1;
    }
    uint32_t size = uint32_t(st.st_size);
    File in(fopen(in_path, "rb"));
    if (!in) {
        printf("Error: could not open %s. Aborted.\n\n", inPath);
        return -1;
    }
    HeapBytes input = zalloc(size);
    if (!input) {
        printf("compressCfgFileToFile: calloc input buffer fail!\n");
        return -1;
    }
    printf("intput file size = %u\n", unsigned(size));
    if (size > 0 && fread(input.get(), 1, size, in.get()) != size) {
        printf("Error: could not read %s. Aborted.\n\n", inPath);
        return -1;
    }
    in.reset();

    uint32_t stream_len = size;
    int result = compressCfgBufToBuf(reinterpret_cast<const char *>(input.get()),
                                     reinterpret_cast<char *>(output.get()), &stream_len, CFG_MAX_STREAM_LEN);
    if (result != 0) {
        printf("Error: could not compress %s into %u bytes. Aborted.\n\n", inPath, unsigned(CFG_MAX_STREAM_LEN));
        return -1;
    }
    printf("output len = %u\n", unsigned(stream_len));

    // O_EXCL: an existing file is refused even if it appears after a check.
    errno = 0;
    int fd = host_path(out_path, sizeof out_path, outPath) ? open(out_path, O_WRONLY | O_CREAT | O_EXCL, 0644) : -1;
    if (fd < 0) {
        if (errno == EEXIST)
            printf("Error: file %s already exists. Aborted.\n\n", outPath);
        else
            printf("Error: could not create %s. Aborted.\n\n", outPath);
        return -1;
    }
    File out(fdopen(fd, "wb"));
    if (!out) {
        close(fd);
        unlink(out_path);
        printf("Error: could not create %s. Aborted.\n\n", outPath);
        return -1;
    }
    bool written = write_all(out.get(), output.get(), stream_len);
    if (fclose(out.release()) != 0)
        written = false;
    if (!written) {
        unlink(out_path);
        printf("Error: could not write %s. Aborted.\n\n", outPath);
        return -1;
    }
    return result;
}

// One codec operation repeated over one file, for whole-process timing on the
// target under qemu (scripts/codec-bench-target.sh), where Google Benchmark is
// not built. Not a deliverable; LZ4 is linked in only here.
//   codec_loop fast|optimal|lz4 compress|decompress ITERATIONS FILE
// Prints the output size and a sum of the last output, so no work is skipped.
#include <lz4.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "flashlib.h"

int main(int argc, char **argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: codec_loop fast|optimal|lz4 compress|decompress ITERATIONS FILE\n");
        return 2;
    }
    const char *codec = argv[1];
    const bool compress = strcmp(argv[2], "compress") == 0;
    const long iterations = atol(argv[3]);
    FILE *f = fopen(argv[4], "rb");
    if (!f)
        return 1;
    constexpr size_t kMax = 1 << 20;
    std::unique_ptr<char[]> in(new char[kMax]);
    const int n = int(fread(in.get(), 1, kMax, f));
    fclose(f);
    const int bound = LZ4_compressBound(n) + n / 32 + 1;
    std::unique_ptr<char[]> packed(new char[bound]);
    std::unique_ptr<char[]> out(new char[n]);
    const bool lz4 = strcmp(codec, "lz4") == 0;
    auto encode = strcmp(codec, "optimal") == 0 ? fastlz_compress_optimal : fastlz_compress;
    const int plen = lz4 ? LZ4_compress_default(in.get(), packed.get(), n, bound) : encode(in.get(), n, packed.get());
    int r = compress ? plen : n;
    for (long i = 0; i < iterations; ++i) {
        if (compress)
            r = lz4 ? LZ4_compress_default(in.get(), packed.get(), n, bound) : encode(in.get(), n, packed.get());
        else
            r = lz4 ? LZ4_decompress_safe(packed.get(), out.get(), plen, n)
                    : fastlz_decompress(packed.get(), plen, out.get(), n);
    }
    if (!compress && iterations > 0 && (r != n || memcmp(out.get(), in.get(), size_t(n)) != 0)) {
        fprintf(stderr, "decoding failed\n");
        return 1;
    }
    unsigned sum = 0;
    const char *last = compress ? packed.get() : out.get();
    for (int i = 0; i < r; ++i)
        sum = sum * 31 + (unsigned char)last[i];
    printf("%d %u\n", r, sum);
    return 0;
}

// The compressed configuration file: a 40-byte text header, then blocks of
// FastLZ level 1 (or stored bytes) behind 16-byte little-endian headers.
#include "flashlib.h"
#include "cfgbytes.h"
#include "fastlz_private.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

using cfgbytes::get_le16;
using cfgbytes::get_le32;
using cfgbytes::HeapBytes;
using cfgbytes::put_le16;
using cfgbytes::put_le32;
using cfgbytes::zalloc;

constexpr uint32_t kTagLen = sizeof CFG_COMPRESSED_TAG - 1;
constexpr uint32_t kResultSize = 2 * CFG_BLOCK_SIZE;
static_assert(kResultSize >= fastlz_bound(CFG_BLOCK_SIZE), "result area below the codec's worst case");
constexpr uint32_t kStoredBelow = 32;
// Most bytes the in-place decoder gives a file's blocks room for, whatever
// their headers declare: sixteen full blocks.
constexpr uint32_t kMaxDecodedFile = 16 * CFG_BLOCK_SIZE;

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// atoi over p[0..n): white space, a sign, digits up to the first other byte.
// Beyond the int range the value saturates, as strtol does on the gateway.
int parse_int(const char *p, size_t n)
{
    size_t i = 0;
    while (i < n && is_space(p[i]))
        ++i;
    bool negative = false;
    if (i < n && (p[i] == '+' || p[i] == '-'))
        negative = p[i++] == '-';
    long long v = 0;
    for (; i < n && p[i] >= '0' && p[i] <= '9'; ++i) {
        v = v * 10 + (p[i] - '0');
        if (v > INT_MAX) {
            v = INT_MAX + 1LL;
            break;
        }
    }
    if (negative)
        return v > INT_MAX ? INT_MIN : int(-v);
    return v > INT_MAX ? INT_MAX : int(v);
}

// A work buffer of the decoder: grows (old one freed, new one zeroed) when a
// block needs more than it holds, never shrinks.
struct WorkBuffer {
    HeapBytes data;
    uint32_t size = 0;

    bool reserve(uint32_t n)
    {
        if (n <= size)
            return true;
        data.reset();
        size = 0;
        data = zalloc(n);
        if (!data)
            return false;
        size = n;
        return true;
    }
};

// Decoded bytes declared by the blocks decompressCfgBufToBuf will decode,
// walked the way it walks them, at most kMaxDecodedFile.
uint32_t declared_decoded_size(const uint8_t *s, uint32_t stream_len)
{
    uint64_t sum = 0;
    uint32_t pos = 0;
    while (stream_len - pos >= CFG_BLOCK_HEADER_SIZE && sum < kMaxDecodedFile) {
        const uint8_t *h = s + pos;
        uint32_t method = get_le16(h + 2);
        uint32_t payload_size = get_le32(h + 4);
        pos += CFG_BLOCK_HEADER_SIZE;
        if (get_le16(h) != CFG_BLOCK_ID || (method != CFG_METHOD_STORED && method != CFG_METHOD_FASTLZ))
            continue;
        if (payload_size > stream_len - pos)
            break;
        pos += payload_size;
        sum += method == CFG_METHOD_STORED ? payload_size : get_le32(h + 12);
    }
    return sum < kMaxDecodedFile ? uint32_t(sum) : kMaxDecodedFile;
}

} // namespace

uint32_t cfg_decode_capacity(const char *stream, uint32_t stream_len, uint32_t given)
{
    // Five times the stream, or what its blocks declare when that is more:
    // repetitive text compresses far better than 5:1.
    uint32_t declared = declared_decoded_size(reinterpret_cast<const uint8_t *>(stream), given);
    return 5 * stream_len > declared ? 5 * stream_len : declared;
}

extern "C" int isCompressedConfigFile(const char *buf)
{
    if (!buf)
        return 0;
    return strncmp(buf, CFG_COMPRESSED_TAG, kTagLen) == 0 ? 1 : 0;
}

extern "C" uint32_t vr_getCompressedConfigFileLength(const char *buf)
{
    if (!buf)
        return 0;
    char head[CFG_COMPRESSED_HEADER_SIZE];
    memcpy(head, buf, sizeof head);
    const char *gt = static_cast<const char *>(memchr(head, '>', sizeof head));
    if (!gt)
        return 0;
    const char *digits = head + kTagLen;
    int value = gt > digits ? parse_int(digits, size_t(gt - digits)) : 0;
    if (value < 0 || value > CFG_MAX_STREAM_LEN) {
        printf("Oversized length %d in compressed config file header\n", value);
        return 0;
    }
    return uint32_t(value);
}

namespace {

using Encoder = int (*)(const void *, int, void *);

// The blocks of in[0..n) with one encoder tier into outp[0..capacity); false
// when they do not fit, with nothing written past `capacity`.
bool compress_blocks(const uint8_t *in, uint32_t n, uint8_t *outp, uint32_t capacity, Encoder encode,
                     uint8_t *block, uint8_t *result, uint32_t *out_len)
{
    uint32_t consumed = 0;
    uint32_t out = 0;
    while (consumed < n) {
        uint32_t block_len = n - consumed > CFG_BLOCK_SIZE ? CFG_BLOCK_SIZE : n - consumed;
        memcpy(block, in + consumed, block_len);
        consumed += block_len;

        uint32_t method = block_len < kStoredBelow ? CFG_METHOD_STORED : CFG_METHOD_FASTLZ;
        const uint8_t *payload = block;
        uint32_t payload_size = block_len;
        if (method == CFG_METHOD_FASTLZ) {
            payload = result;
            payload_size = uint32_t(encode(block, int(block_len), result));
        }
        if (payload_size > capacity - out || CFG_BLOCK_HEADER_SIZE > capacity - out - payload_size)
            return false;
        uint8_t *h = outp + out;
        put_le16(h, CFG_BLOCK_ID);
        put_le16(h + 2, method);
        put_le32(h + 4, payload_size);
        put_le32(h + 8, vr_adler32(1, payload, payload_size));
        put_le32(h + 12, block_len);
        out += CFG_BLOCK_HEADER_SIZE;
        memcpy(outp + out, payload, payload_size);
        out += payload_size;
    }
    *out_len = out;
    return true;
}

// The fast tier first; the optimal tier when that stream is longer than
// `fit`, so the largest configuration that fits is the optimal tier's.
int compress_tiered(const char *src, char *dst, uint32_t *len, uint32_t capacity, uint32_t fit)
{
    static const char kName[] = "compressCfgBufToBuf";
    if (!len || (*len > 0 && (!src || !dst))) {
        printf("%s: no buffer!\n", kName);
        return -1;
    }
    HeapBytes block = zalloc(CFG_BLOCK_SIZE);
    HeapBytes result = zalloc(kResultSize);
    if (!block || !result) {
        printf("%s: fastlz calloc compressed buffer fail!\n", kName);
        return -1;
    }
    const uint8_t *in = reinterpret_cast<const uint8_t *>(src);
    uint8_t *outp = reinterpret_cast<uint8_t *>(dst);
    uint32_t out = 0;
    if (!compress_blocks(in, *len, outp, fit < capacity ? fit : capacity, fastlz_compress, block.get(),
                         result.get(), &out) &&
        !compress_blocks(in, *len, outp, capacity, fastlz_compress_optimal, block.get(), result.get(), &out)) {
        printf("Error: compressed stream does not fit its %u-byte buffer!\n", unsigned(capacity));
        return -1;
    }
    *len = out;
    return 0;
}

} // namespace

extern "C" int compressCfgBufToBuf(const char *src, char *dst, uint32_t *len, uint32_t capacity)
{
    return compress_tiered(src, dst, len, capacity, capacity);
}

extern "C" int decompressCfgBufToBuf(const char *stream, uint32_t *len, char *dst, uint32_t capacity)
{
    const uint8_t *s = reinterpret_cast<const uint8_t *>(stream);
    uint8_t *outp = reinterpret_cast<uint8_t *>(dst);
    const uint32_t stream_len = s ? *len : 0;
    uint32_t pos = 0;
    uint32_t out = 0;
    uint32_t total = 0; // never above capacity, and never below out
    WorkBuffer compressed;
    WorkBuffer decoded;

    while (pos < stream_len) {
        if (stream_len - pos < CFG_BLOCK_HEADER_SIZE) {
            printf("Error: block header at offset %u runs past the end of the stream. Stopped.\n",
                   unsigned(pos));
            break;
        }
        const uint8_t *h = s + pos;
        uint32_t id = get_le16(h);
        uint32_t method = get_le16(h + 2);
        uint32_t payload_size = get_le32(h + 4);
        uint32_t checksum = get_le32(h + 8);
        uint32_t decoded_size = get_le32(h + 12);
        pos += CFG_BLOCK_HEADER_SIZE;

        if (id != CFG_BLOCK_ID)
            continue;
        if (method != CFG_METHOD_STORED && method != CFG_METHOD_FASTLZ) {
            printf("Error: unknown compression method (%d)\n", int(method));
            continue;
        }
        if (payload_size > stream_len - pos) {
            printf("Error: block payload of %u bytes runs past the end of the stream. Stopped.\n",
                   unsigned(payload_size));
            break;
        }
        uint32_t out_size = method == CFG_METHOD_STORED ? payload_size : decoded_size;
        if (out_size > capacity - total) {
            printf("Error: block of %u decoded bytes does not fit the output. Skipped.\n",
                   unsigned(out_size));
            pos += payload_size;
            continue;
        }

        if (method == CFG_METHOD_STORED) {
            total += payload_size;
            if (payload_size > 0)
                memcpy(outp + out, s + pos, payload_size);
            uint32_t sum = vr_adler32(1, outp + out, payload_size);
            pos += payload_size;
            out += payload_size;
            if (sum != checksum) {
                printf("Error: checksum mismatch. Skipped.\n");
                printf("case 0: Got %08lX Expecting %08lX\n", (unsigned long)sum, (unsigned long)checksum);
            }
            continue;
        }

        if (!compressed.reserve(payload_size)) {
            printf("Error: compressed_buffer calloc fail. Skipped.\n");
            pos += payload_size;
            continue;
        }
        if (!decoded.reserve(decoded_size)) {
            printf("Error: decompressed_buffer calloc fail. Skipped.\n");
            pos += payload_size;
            continue;
        }
        if (payload_size > 0)
            memcpy(compressed.data.get(), s + pos, payload_size);
        pos += payload_size;
        uint32_t sum = vr_adler32(1, compressed.data.get(), payload_size);
        total += decoded_size;
        if (sum != checksum) {
            printf("Error: checksum mismatch. Skipped.\n");
            printf("case 1: Got %08lX Expecting %08lX\n", (unsigned long)sum, (unsigned long)checksum);
            continue;
        }
        int got = 0;
        if (payload_size <= INT_MAX && decoded_size <= INT_MAX)
            got = fastlz_decompress(compressed.data.get(), int(payload_size), decoded.data.get(),
                                    int(decoded_size));
        if (uint32_t(got) != decoded_size) {
            printf("Error: decompression failed. Skipped.\n");
            continue;
        }
        if (decoded_size > 0)
            memcpy(outp + out, decoded.data.get(), decoded_size);
        out += decoded_size;
    }
    *len = total;
    return 0;
}

extern "C" int vr_configFileLzDecoder(char **buf, uint32_t *len)
{
    static const char kName[] = "vr_configFileLzDecoder";
    if (!buf || !*buf || !len) {
        printf("%s: no buffer!\n", kName);
        return -1;
    }
    uint32_t stream_len = vr_getCompressedConfigFileLength(*buf);
    *len = stream_len;
    // The header may claim up to 65536 stream bytes, but the caller's buffer
    // is only known to hold 65536 bytes in all, header included.
    const uint32_t readable = CFG_MAX_STREAM_LEN - CFG_COMPRESSED_HEADER_SIZE;
    uint32_t given = stream_len < readable ? stream_len : readable;
    const char *stream = *buf + CFG_COMPRESSED_HEADER_SIZE;
    uint32_t capacity = cfg_decode_capacity(stream, stream_len, given);
    HeapBytes output = zalloc(capacity);
    if (!output) {
        printf("%s: fastlz calloc compressed buffer fail!\n", kName);
        return -1;
    }
    uint32_t total = given;
    decompressCfgBufToBuf(stream, &total, reinterpret_cast<char *>(output.get()), capacity);
    *len = total;
    if (total > CFG_MAX_STREAM_LEN) {
        char *grown = static_cast<char *>(realloc(*buf, total));
        if (!grown) {
            printf("Error: %s realloc fail!\n", kName);
            return -1;
        }
        *buf = grown;
    }
    if (total > 0)
        memcpy(*buf, output.get(), total);
    return 0;
}

extern "C" int vr_configFileLzEncoder(char *buf, uint32_t *len)
{
    static const char kName[] = "vr_configFileLzEncoder";
    if (!buf || !len) {
        printf("%s: no buffer!\n", kName);
        return -1;
    }
    const uint32_t n = *len;
    // Room for the worst case, so that an incompressible input is measured
    // and refused below instead of overrunning the work area.
    uint64_t area = CFG_COMPRESSED_HEADER_SIZE + cfg_stream_bound(n);
    HeapBytes work = area <= UINT32_MAX ? zalloc(size_t(area)) : nullptr;
    if (!work) {
        printf("%s: fastlz calloc compressed buffer fail!\n", kName);
        return -1;
    }
    uint32_t stream_len = n;
    // The file is headed for a partition of 64 KiB: the optimal tier when the
    // fast one would not fit it.
    if (compress_tiered(buf, reinterpret_cast<char *>(work.get()) + CFG_COMPRESSED_HEADER_SIZE, &stream_len,
                        uint32_t(area - CFG_COMPRESSED_HEADER_SIZE),
                        CFG_MAX_STREAM_LEN - CFG_COMPRESSED_HEADER_SIZE) != 0) {
        printf("Error: compressCfgBufToBuf fail!\n");
        return -1;
    }
    printf("compressed len = %d, uncompressed len = %d\n", int(stream_len), int(n));
    snprintf(reinterpret_cast<char *>(work.get()), CFG_COMPRESSED_HEADER_SIZE, "%s%d>", CFG_COMPRESSED_TAG,
             int(stream_len));
    uint64_t file_len = uint64_t(stream_len) + CFG_COMPRESSED_HEADER_SIZE;
    if (n < file_len) {
        printf("Error: input buffer is not enough!\n");
        return -1;
    }
    memset(buf, 0, n);
    memcpy(buf, work.get(), size_t(file_len));
    *len = stream_len;
    return 0;
}

// The compressed configuration file: block layout, header length, ROM text
// measure, the in-place encoder and decoder, and the two file writers.
#include "flashlib.h"
#include "testdata.h"
#include "wytest/capture.h"
#include "wytest/temproot.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testdata::Bytes;
using testdata::random_bytes;
using testdata::read_file;
using testdata::vectors_dir;

namespace {

const Bytes &reference_rom()
{
    static const Bytes src = read_file(vectors_dir() / "romfile_65536.in");
    return src;
}

// Tests built from the reference ROM file stop here without it: on an empty
// text they would index past what they decode.
::testing::AssertionResult reference_rom_present()
{
    if (!reference_rom().empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "reference vectors missing: " << vectors_dir() / "romfile_65536.in";
}

// Configuration text of any length, cut from the reference ROM file.
Bytes rom_text(size_t n)
{
    const Bytes &src = reference_rom();
    Bytes out;
    while (out.size() < n && !src.empty())
        out.insert(out.end(), src.begin(), src.end());
    out.resize(n);
    return out;
}

using wytest::Capture;

uint32_t le32(const uint8_t *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

struct Block {
    uint32_t id, method, payload, checksum, decoded;
    size_t offset; // of the payload in the stream
};

std::vector<Block> parse_blocks(const Bytes &s)
{
    std::vector<Block> out;
    size_t pos = 0;
    while (pos + 16 <= s.size()) {
        const uint8_t *h = s.data() + pos;
        Block b{uint32_t(h[0] | (h[1] << 8)), uint32_t(h[2] | (h[3] << 8)), le32(h + 4), le32(h + 8), le32(h + 12),
                pos + 16};
        out.push_back(b);
        pos += 16 + b.payload;
    }
    EXPECT_EQ(pos, s.size()) << "stream does not end on a block boundary";
    return out;
}

Bytes compress(const Bytes &in, uint32_t capacity = 0)
{
    if (capacity == 0)
        capacity = uint32_t(in.size() + in.size() / 16 + 1024);
    Bytes out(capacity);
    uint32_t len = uint32_t(in.size());
    EXPECT_EQ(compressCfgBufToBuf(reinterpret_cast<const char *>(in.data()), reinterpret_cast<char *>(out.data()),
                                  &len, capacity),
              0);
    out.resize(len);
    return out;
}

struct Decoded {
    int result;
    uint32_t total;
    Bytes out; // the whole destination, `capacity` bytes
    std::string printed;
};

// Stream and destination are heap blocks of exactly their size.
Decoded decompress(const Bytes &stream, uint32_t capacity)
{
    std::unique_ptr<char[]> s(new char[stream.size() + 1]);
    if (!stream.empty())
        std::memcpy(s.get(), stream.data(), stream.size());
    std::unique_ptr<char[]> dst(new char[capacity + 1]());
    Decoded d;
    d.total = uint32_t(stream.size());
    Capture cap;
    d.result = decompressCfgBufToBuf(s.get(), &d.total, dst.get(), capacity);
    d.printed = cap.text();
    d.out.assign(dst.get(), dst.get() + capacity);
    return d;
}

void put_header(Bytes &s, uint32_t id, uint32_t method, uint32_t payload, uint32_t checksum, uint32_t decoded)
{
    const uint32_t v[] = {payload, checksum, decoded};
    s.push_back(uint8_t(id));
    s.push_back(uint8_t(id >> 8));
    s.push_back(uint8_t(method));
    s.push_back(uint8_t(method >> 8));
    for (uint32_t x : v)
        for (int i = 0; i < 4; ++i)
            s.push_back(uint8_t(x >> (8 * i)));
}

void put_stored(Bytes &s, const Bytes &payload)
{
    put_header(s, 17, 0, uint32_t(payload.size()), vr_adler32(1, payload.data(), payload.size()),
               uint32_t(payload.size()));
    s.insert(s.end(), payload.begin(), payload.end());
}

std::string hex8(uint32_t v)
{
    char b[16];
    snprintf(b, sizeof b, "%08X", v);
    return b;
}

// A ROM file in a heap buffer of `size` bytes (malloc'd, as the readers do).
char *heap_copy(const Bytes &data, size_t size)
{
    char *p = static_cast<char *>(calloc(size, 1));
    std::memcpy(p, data.data(), std::min(size, data.size()));
    return p;
}

} // namespace

TEST(CfgStream, BlockLayoutBySize)
{
    ASSERT_TRUE(reference_rom_present());
    struct Case {
        size_t n;
        std::vector<std::pair<uint32_t, uint32_t>> blocks; // method, decoded size
    };
    const Case cases[] = {
        {0, {}},
        {20, {{0, 20}}},
        {31, {{0, 31}}},
        {32, {{1, 32}}},
        {100, {{1, 100}}},
        {65536, {{1, 65536}}},
        {65537, {{1, 65536}, {0, 1}}},
        {65536 + 31, {{1, 65536}, {0, 31}}},
        {65536 + 32, {{1, 65536}, {1, 32}}},
        {3 * 65536, {{1, 65536}, {1, 65536}, {1, 65536}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.n);
        Bytes in = rom_text(c.n);
        Bytes s = compress(in);
        std::vector<Block> blocks = parse_blocks(s);
        ASSERT_EQ(blocks.size(), c.blocks.size());
        size_t from = 0;
        for (size_t i = 0; i < blocks.size(); ++i) {
            const Block &b = blocks[i];
            EXPECT_EQ(b.id, 17u);
            EXPECT_EQ(b.method, c.blocks[i].first);
            EXPECT_EQ(b.decoded, c.blocks[i].second);
            EXPECT_EQ(b.checksum, vr_adler32(1, s.data() + b.offset, b.payload));
            if (b.method == 0) {
                EXPECT_EQ(b.payload, b.decoded);
                EXPECT_TRUE(std::equal(in.begin() + from, in.begin() + from + b.payload, s.begin() + b.offset));
            } else {
                EXPECT_EQ(s[b.offset] >> 5, 0) << "level-1 marker";
            }
            from += b.decoded;
        }
        Decoded d = decompress(s, uint32_t(5 * s.size()));
        EXPECT_EQ(d.result, 0);
        EXPECT_EQ(d.total, c.n);
        EXPECT_EQ(d.printed, "");
        EXPECT_TRUE(std::equal(in.begin(), in.end(), d.out.begin()));
    }
}

TEST(CfgStream, StoredBlockHeaderBytes)
{
    ASSERT_TRUE(reference_rom_present());
    Bytes in = rom_text(20);
    Bytes s = compress(in);
    ASSERT_EQ(s.size(), 36u);
    uint32_t sum = vr_adler32(1, in.data(), 20);
    const Bytes head = {0x11, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, uint8_t(sum), uint8_t(sum >> 8),
                        uint8_t(sum >> 16), uint8_t(sum >> 24), 0x14, 0x00, 0x00, 0x00};
    EXPECT_EQ(Bytes(s.begin(), s.begin() + 16), head);
    EXPECT_EQ(Bytes(s.begin() + 16, s.end()), in);
}

TEST(CfgStream, EncoderRefusesAnAreaTooSmall)
{
    Bytes in = random_bytes(5000, 3);
    Bytes full = compress(in);
    ASSERT_GT(full.size(), 0u);
    for (uint32_t capacity : {uint32_t(full.size()), uint32_t(full.size() - 1), 16u, 0u}) {
        Bytes area(capacity + 8, 0xEE);
        uint32_t len = uint32_t(in.size());
        Capture cap;
        int r = compressCfgBufToBuf(reinterpret_cast<const char *>(in.data()), reinterpret_cast<char *>(area.data()),
                                    &len, capacity);
        std::string printed = cap.text();
        if (capacity == full.size()) {
            EXPECT_EQ(r, 0);
            EXPECT_EQ(len, full.size());
            EXPECT_EQ(printed, "");
        } else {
            EXPECT_EQ(r, -1) << capacity;
            EXPECT_EQ(len, in.size());
            EXPECT_NE(printed.find("does not fit"), std::string::npos) << printed;
        }
        for (size_t i = capacity; i < area.size(); ++i)
            ASSERT_EQ(area[i], 0xEE) << "written past the area at " << i;
    }
}

TEST(CfgStream, DamagedBlocksAreReportedAndSkipped)
{
    ASSERT_TRUE(reference_rom_present());
    Bytes in = rom_text(2 * 65536 + 20); // compressed, compressed, stored
    Bytes s = compress(in);
    std::vector<Block> blocks = parse_blocks(s);
    ASSERT_EQ(blocks.size(), 3u);

    Bytes bad = s;
    bad[blocks[1].offset + 7] ^= 0x40;
    uint32_t got = vr_adler32(1, bad.data() + blocks[1].offset, blocks[1].payload);
    Decoded d = decompress(bad, uint32_t(5 * bad.size()));
    EXPECT_EQ(d.printed, "Error: checksum mismatch. Skipped.\ncase 1: Got " + hex8(got) + " Expecting " +
                             hex8(blocks[1].checksum) + "\n");
    EXPECT_EQ(d.total, in.size()) << "the skipped block still counts";
    // Block 3 moves up behind block 1; zeros after.
    EXPECT_TRUE(std::equal(in.begin(), in.begin() + 65536, d.out.begin()));
    EXPECT_TRUE(std::equal(in.begin() + 2 * 65536, in.end(), d.out.begin() + 65536));
    EXPECT_TRUE(std::all_of(d.out.begin() + 65536 + 20, d.out.end(), [](uint8_t b) { return b == 0; }));

    Bytes bad_stored = s;
    bad_stored[blocks[2].offset] ^= 0x01;
    got = vr_adler32(1, bad_stored.data() + blocks[2].offset, 20);
    d = decompress(bad_stored, uint32_t(5 * s.size()));
    EXPECT_EQ(d.printed, "Error: checksum mismatch. Skipped.\ncase 0: Got " + hex8(got) + " Expecting " +
                             hex8(blocks[2].checksum) + "\n");
    EXPECT_EQ(d.total, in.size());
    EXPECT_TRUE(std::equal(bad_stored.begin() + blocks[2].offset, bad_stored.end(), d.out.begin() + 2 * 65536))
        << "stored bytes stay in the output";
}

TEST(CfgStream, HostileBlockHeaders)
{
    ASSERT_TRUE(reference_rom_present());
    const Bytes text = rom_text(40);
    Bytes good;
    put_stored(good, text);
    Bytes lz = compress(rom_text(200));
    const uint32_t lz_sum = le32(lz.data() + 8);
    Bytes lz_payload(lz.begin() + 16, lz.end());

    struct Case {
        const char *what;
        Bytes stream;
        uint32_t capacity;
        uint32_t total;
        Bytes out_prefix;
        std::string printed;
    };
    std::vector<Case> cases;
    cases.push_back({"empty stream, no room", {}, 0, 0, {}, ""});
    {
        Bytes s = good;
        s.insert(s.end(), {0x11, 0, 0, 0, 1});
        cases.push_back({"header cut short", s, 1000, 40, text,
                         "Error: block header at offset 56 runs past the end of the stream. Stopped.\n"});
    }
    {
        Bytes s;
        put_header(s, 17, 0, 41, 0, 41);
        s.insert(s.end(), text.begin(), text.end());
        cases.push_back({"stored payload past the end", s, 1000, 0, {},
                         "Error: block payload of 41 bytes runs past the end of the stream. Stopped.\n"});
    }
    {
        Bytes s;
        put_header(s, 17, 1, 0xFFFFFFF0u, lz_sum, 200);
        s.insert(s.end(), lz_payload.begin(), lz_payload.end());
        cases.push_back({"compressed payload size wraps", s, 1000, 0, {},
                         "Error: block payload of 4294967280 bytes runs past the end of the stream. Stopped.\n"});
    }
    {
        Bytes s;
        put_header(s, 17, 1, uint32_t(lz_payload.size()), lz_sum, 0x7FFFFFFF);
        s.insert(s.end(), lz_payload.begin(), lz_payload.end());
        s.insert(s.end(), good.begin(), good.end());
        cases.push_back({"decoded size beyond the output", s, 1000, 40, text,
                         "Error: block of 2147483647 decoded bytes does not fit the output. Skipped.\n"});
    }
    {
        Bytes s = good;
        s.insert(s.end(), good.begin(), good.end());
        cases.push_back({"second block one byte over", s, 79, 40, text,
                         "Error: block of 40 decoded bytes does not fit the output. Skipped.\n"});
        cases.push_back({"second block fits exactly", s, 80, 80, Bytes(), ""});
    }
    {
        Bytes s;
        put_header(s, 17, 7, 0, 0, 0);
        s.insert(s.end(), good.begin(), good.end());
        cases.push_back({"unknown method, next header right after", s, 1000, 40, text,
                         "Error: unknown compression method (7)\n"});
    }
    {
        Bytes s;
        put_header(s, 18, 0, 5, 0, 5);
        s.insert(s.end(), good.begin(), good.end());
        cases.push_back({"other block id ignored", s, 1000, 40, text, ""});
    }
    {
        Bytes s;
        put_header(s, 17, 1, uint32_t(lz_payload.size()), lz_sum, 201);
        s.insert(s.end(), lz_payload.begin(), lz_payload.end());
        s.insert(s.end(), good.begin(), good.end());
        cases.push_back({"declared size one too large", s, 1000, 241, text,
                         "Error: decompression failed. Skipped.\n"});
    }
    {
        Bytes s;
        put_header(s, 17, 1, uint32_t(lz_payload.size()), lz_sum, 199);
        s.insert(s.end(), lz_payload.begin(), lz_payload.end());
        cases.push_back({"declared size one too small", s, 1000, 199, {},
                         "Error: decompression failed. Skipped.\n"});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d = decompress(c.stream, c.capacity);
        EXPECT_EQ(d.result, 0);
        EXPECT_EQ(d.total, c.total);
        EXPECT_EQ(d.printed, c.printed);
        if (!c.out_prefix.empty()) {
            EXPECT_TRUE(std::equal(c.out_prefix.begin(), c.out_prefix.end(), d.out.begin()));
        }
    }
}

TEST(CfgHeader, StreamLengthFromHeader)
{
    struct Case {
        const char *header;
        uint32_t expect;
        const char *printed;
    };
    const Case cases[] = {
        {"<compressed len=987>", 987, ""},
        {"<compressed len=65536>", 65536, ""},
        {"<compressed len=65537>", 0, "Oversized length 65537 in compressed config file header\n"},
        {"<compressed len=0>", 0, ""},
        {"<compressed len=-1>", 0, "Oversized length -1 in compressed config file header\n"},
        {"<compressed len= +42>", 42, ""},
        {"<compressed len=12ab>", 12, ""},
        {"<compressed len=abc>", 0, ""},
        {"<compressed len=99999999999999999999>", 0,
         "Oversized length 2147483647 in compressed config file header\n"},
        {"<compressed len=-99999999999999999999>", 0,
         "Oversized length -2147483648 in compressed config file header\n"},
        {"<compressed len=987", 0, ""},
        {"<compr>ssed len=987>", 0, ""},
    };
    for (const Case &c : cases) {
        char buf[40] = {};
        std::memcpy(buf, c.header, std::min(sizeof buf, std::strlen(c.header)));
        std::unique_ptr<char[]> heap(new char[40]);
        std::memcpy(heap.get(), buf, 40);
        Capture cap;
        uint32_t v = vr_getCompressedConfigFileLength(heap.get());
        std::string printed = cap.text();
        EXPECT_EQ(v, c.expect) << c.header;
        EXPECT_EQ(printed, c.printed) << c.header;
    }
    // A ">" beyond the first 40 bytes does not count.
    std::string far = std::string("<compressed len=") + std::string(24, '1') + ">";
    std::unique_ptr<char[]> heap(new char[40]);
    std::memcpy(heap.get(), far.data(), 40);
    EXPECT_EQ(vr_getCompressedConfigFileLength(heap.get()), 0u);
}

TEST(CfgHeader, RecognisesTheTag)
{
    EXPECT_EQ(isCompressedConfigFile("<compressed len=12>"), 1);
    EXPECT_EQ(isCompressedConfigFile("<compressed len="), 1);
    EXPECT_EQ(isCompressedConfigFile("<compressed len"), 0);
    EXPECT_EQ(isCompressedConfigFile("<ROMFILE>"), 0);
    EXPECT_EQ(isCompressedConfigFile(""), 0);
    EXPECT_EQ(isCompressedConfigFile(nullptr), 0);
}

TEST(RomText, RealLength)
{
    struct Case {
        const char *what;
        std::string text;
        uint32_t size; // bytes handed over; 0 means the text's length
        uint32_t expect;
        const char *printed;
    };
    const std::string rom = "<ROMFILE><a b=\"1\"/></ROMFILE>";
    const Case cases[] = {
        {"plain", rom, 0, uint32_t(rom.size()), ""},
        {"trailer after the end tag", rom + "\xFF\xFF</ROMFILE>", 0, uint32_t(rom.size()), ""},
        {"no end tag", "<ROMFILE><a/>", 0, 0, "Current ROM file is not valid!\n"},
        {"neither tag", "<compressed len=1>", 0, 0, ""},
        {"end tag only", "<a/></ROMFILE>", 0, 0, ""},
        {"start tag not at the start", " <ROMFILE></ROMFILE>", 0, 0, "Current ROM file is not valid!\n"},
        {"NUL before the end tag", std::string("<ROMFILE>\0</ROMFILE>", 20), 0, 0, "Current ROM file is not valid!\n"},
        {"end tag cut by the size", rom, uint32_t(rom.size() - 1), 0, "Current ROM file is not valid!\n"},
        {"shorter than the start tag", "<ROMF", 0, 0, ""},
    };
    for (const Case &c : cases) {
        uint32_t size = c.size ? c.size : uint32_t(c.text.size());
        std::unique_ptr<char[]> buf(new char[size ? size : 1]);
        std::memcpy(buf.get(), c.text.data(), size);
        Capture cap;
        uint32_t got = vr_getRealRom(buf.get(), size);
        std::string printed = cap.text();
        EXPECT_EQ(got, c.expect) << c.what;
        EXPECT_EQ(printed, c.printed) << c.what;
    }
    Capture cap;
    uint32_t got = vr_getRealRom(nullptr, 100);
    std::string printed = cap.text();
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(printed, "Input ROM file buffer is NULL!\n");
}

TEST(RomText, FullBlockWithoutNul)
{
    ASSERT_TRUE(reference_rom_present());
    // 64 KiB of text with the end tag in its last bytes and no NUL anywhere.
    Bytes block = rom_text(65536);
    const char tail[] = "</ROMFILE>";
    std::memcpy(block.data() + 65536 - 10, tail, 10);
    std::unique_ptr<char[]> buf(new char[65536]);
    std::memcpy(buf.get(), block.data(), 65536);
    uint32_t first = 0;
    while (std::memcmp(buf.get() + first, tail, 10) != 0)
        ++first;
    EXPECT_EQ(vr_parseRomFromBuffer(buf.get(), 65536), first + 10);
}

TEST(CfgFile, EncoderWritesHeaderAndStreamInPlace)
{
    ASSERT_TRUE(reference_rom_present());
    Bytes in = rom_text(100);
    Bytes s = compress(in);
    std::vector<Block> blocks = parse_blocks(s);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].method, 1u);
    EXPECT_EQ(blocks[0].decoded, 100u);
    EXPECT_EQ(s.size(), 16 + blocks[0].payload);

    std::string repeated;
    while (repeated.size() < 100)
        repeated += "<Entry/>";
    repeated.resize(100);
    for (const Bytes &text : {Bytes(repeated.begin(), repeated.end()), rom_text(2000), rom_text(65536)}) {
        const size_t n = text.size();
        SCOPED_TRACE(n);
        Bytes stream = compress(text);
        std::unique_ptr<char[]> buf(new char[n]);
        std::memcpy(buf.get(), text.data(), n);
        uint32_t len = uint32_t(n);
        Capture cap;
        int r = vr_configFileLzEncoder(buf.get(), &len);
        std::string printed = cap.text();
        ASSERT_EQ(r, 0) << printed;
        EXPECT_EQ(printed, "compressed len = " + std::to_string(stream.size()) +
                               ", uncompressed len = " + std::to_string(n) + "\n");
        if (n == 100) {
            EXPECT_EQ(len, 16 + parse_blocks(stream).at(0).payload);
        }
        EXPECT_EQ(len, stream.size());
        std::string header = "<compressed len=" + std::to_string(stream.size()) + ">";
        EXPECT_EQ(std::string(buf.get(), header.size()), header);
        EXPECT_TRUE(std::all_of(buf.get() + header.size(), buf.get() + 40, [](char c) { return c == 0; }));
        EXPECT_EQ(Bytes(buf.get() + 40, buf.get() + 40 + len), stream);
        EXPECT_TRUE(std::all_of(buf.get() + 40 + len, buf.get() + n, [](char c) { return c == 0; }));
        EXPECT_EQ(isCompressedConfigFile(buf.get()), 1);
        EXPECT_EQ(vr_getCompressedConfigFileLength(buf.get()), len);
    }
}

TEST(CfgFile, EncoderRefusesWhenTheFileWouldNotFit)
{
    // Random bytes followed by zeros: as the zeros grow, the input outgrows its
    // compressed file by one byte at a time, so some length fits exactly.
    const Bytes head = random_bytes(300, 11);
    bool exact_seen = false, short_seen = false;
    for (size_t zeros = 0; zeros < 200; ++zeros) {
        Bytes in = head;
        in.resize(head.size() + zeros, 0);
        uint32_t file_len = uint32_t(40 + compress(in).size());
        std::unique_ptr<char[]> buf(new char[in.size()]);
        std::memcpy(buf.get(), in.data(), in.size());
        uint32_t len = uint32_t(in.size());
        Capture cap;
        int r = vr_configFileLzEncoder(buf.get(), &len);
        std::string printed = cap.text();
        if (file_len > in.size()) {
            short_seen |= file_len == in.size() + 1;
            EXPECT_EQ(r, -1) << zeros;
            EXPECT_NE(printed.find("Error: input buffer is not enough!\n"), std::string::npos);
            EXPECT_EQ(len, in.size());
            EXPECT_EQ(Bytes(buf.get(), buf.get() + in.size()), in) << "input changed";
        } else {
            exact_seen |= file_len == in.size();
            EXPECT_EQ(r, 0) << zeros;
            EXPECT_EQ(printed.find("not enough"), std::string::npos);
        }
    }
    EXPECT_TRUE(exact_seen);
    EXPECT_TRUE(short_seen);
}

TEST(CfgFile, DecoderRestoresTheRomTextInPlace)
{
    ASSERT_TRUE(reference_rom_present());
    Bytes text = rom_text(30000);
    const char end_tag[] = "</ROMFILE>";
    std::memcpy(text.data() + text.size() - 10, end_tag, 10);
    char *buf = heap_copy(text, 65536);
    uint32_t len = uint32_t(text.size());
    Capture enc;
    int encoded = vr_configFileLzEncoder(buf, &len);
    enc.text();
    ASSERT_EQ(encoded, 0);
    // Bytes past the decoded text (a trailer, say) must survive decoding.
    std::memset(buf + 65000, 0xA5, 536);
    Capture cap;
    int r = vr_configFileLzDecoder(&buf, &len);
    EXPECT_EQ(cap.text(), "");
    ASSERT_EQ(r, 0);
    EXPECT_EQ(len, text.size());
    EXPECT_EQ(Bytes(buf, buf + len), text);
    EXPECT_TRUE(std::all_of(buf + 65000, buf + 65536, [](char c) { return uint8_t(c) == 0xA5; }));
    EXPECT_EQ(vr_getRealRom(buf, 65536), text.size());
    free(buf);
}

TEST(CfgFile, DecoderGrowsTheBufferForLargeText)
{
    ASSERT_TRUE(reference_rom_present());
    Bytes text = rom_text(150000);
    Bytes stream = compress(text);
    ASSERT_LT(stream.size() + 40, 65536u);
    std::string header = "<compressed len=" + std::to_string(stream.size()) + ">";
    Bytes file(40, 0);
    std::memcpy(file.data(), header.data(), header.size());
    file.insert(file.end(), stream.begin(), stream.end());
    char *buf = heap_copy(file, 65536);
    uint32_t len = 0;
    ASSERT_EQ(vr_configFileLzDecoder(&buf, &len), 0);
    EXPECT_EQ(len, text.size());
    EXPECT_EQ(Bytes(buf, buf + len), text);
    free(buf);
}

// A configuration of many alike entries compresses far better than 5:1; the
// decoder must size its output from the blocks, not from the stream length.
TEST(CfgFile, DecoderKeepsEveryBlockOfRepetitiveText)
{
    const std::string line = "<Entry Active=\"Yes\" Name=\"PVC0\" VLANID=\"0\"/>\n";
    struct Case {
        size_t n;           // text length
        uint32_t expect;    // decoded length
        const char *printed;
    };
    const Case cases[] = {
        {65536 + 5000, 65536 + 5000, ""},
        {300000, 300000, ""},
        {16 * 65536, 16 * 65536, ""},
        // The output is bounded: a 17th block is past it, whatever the headers say.
        {16 * 65536 + 100, 16 * 65536, "Error: block of 100 decoded bytes does not fit the output. Skipped.\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.n);
        std::string text = "<ROMFILE>\n";
        while (text.size() < c.n)
            text += line;
        text.resize(c.n - 10);
        text += "</ROMFILE>";
        std::unique_ptr<char[]> enc(new char[c.n]);
        std::memcpy(enc.get(), text.data(), c.n);
        uint32_t len = uint32_t(c.n);
        Capture quiet;
        int encoded = vr_configFileLzEncoder(enc.get(), &len);
        quiet.text();
        ASSERT_EQ(encoded, 0);
        ASSERT_LT(5 * uint64_t(len), c.n) << "text not repetitive enough to show the fault";
        char *buf = heap_copy(Bytes(enc.get(), enc.get() + 40 + len), 65536);
        uint32_t dec_len = 0;
        Capture cap;
        int r = vr_configFileLzDecoder(&buf, &dec_len);
        EXPECT_EQ(cap.text(), c.printed);
        ASSERT_EQ(r, 0);
        ASSERT_EQ(dec_len, c.expect);
        EXPECT_TRUE(std::memcmp(buf, text.data(), c.expect) == 0);
        if (c.expect == c.n) {
            EXPECT_EQ(vr_getRealRom(buf, dec_len), c.n);
        }
        free(buf);
    }
}

TEST(CfgFile, DecoderReadsOnlyTheFirst64KiB)
{
    ASSERT_TRUE(reference_rom_present());
    // A header that claims the largest stream: 40 of its bytes would lie past
    // the 64 KiB buffer. The zero bytes after the real block read as headers
    // of other ids until the cut-off.
    Bytes text = rom_text(3000);
    Bytes stream = compress(text);
    Bytes file(40, 0);
    std::memcpy(file.data(), "<compressed len=65536>", 22);
    file.insert(file.end(), stream.begin(), stream.end());
    char *buf = heap_copy(file, 65536);
    uint32_t len = 0;
    Capture cap;
    int r = vr_configFileLzDecoder(&buf, &len);
    std::string printed = cap.text();
    ASSERT_EQ(r, 0);
    // A trailing piece shorter than a header is reported.
    bool partial_header = (65536 - 40 - stream.size()) % 16 != 0;
    EXPECT_EQ(printed.find("runs past the end of the stream") != std::string::npos, partial_header) << printed;
    EXPECT_EQ(len, text.size());
    EXPECT_EQ(Bytes(buf, buf + len), text);
    free(buf);
}

TEST(CfgFile, DecoderWithUnusableHeaderLength)
{
    for (const char *header : {"<compressed len=65537>", "<compressed len=0>"}) {
        Bytes file(65536, 0x20);
        std::memcpy(file.data(), header, std::strlen(header));
        char *buf = heap_copy(file, 65536);
        uint32_t len = 99;
        Capture cap;
        int r = vr_configFileLzDecoder(&buf, &len);
        std::string printed = cap.text();
        EXPECT_EQ(r, 0) << header;
        if (std::strstr(header, "65537")) {
            EXPECT_EQ(printed, "Oversized length 65537 in compressed config file header\n");
        }
        EXPECT_EQ(len, 0u) << header;
        EXPECT_EQ(Bytes(buf, buf + 65536), file) << header;
        free(buf);
    }
}

class CfgFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(reference_rom_present()); }
    void write(const std::string &device_path, const Bytes &data)
    {
        tmp_.put(device_path, std::string(data.begin(), data.end()));
    }
    wytest::TempRoot tmp_{"/tmp"};
    const fs::path root_ = tmp_.dir();
};

TEST_F(CfgFiles, BufferToFileWritesTmpCompress)
{
    Bytes text = rom_text(5000);
    std::unique_ptr<char[]> buf(new char[text.size()]);
    std::memcpy(buf.get(), text.data(), text.size());
    uint32_t len = uint32_t(text.size());
    char out_path[18] = {};
    Capture cap;
    int r = vr_compressCfgBufferToFile(out_path, buf.get(), &len);
    std::string printed = cap.text();
    ASSERT_EQ(r, 1) << printed;
    EXPECT_STREQ(out_path, "/tmp/tmp_compress");
    Bytes file = read_file(root_ / "tmp/tmp_compress");
    EXPECT_EQ(file.size(), 40 + len);
    EXPECT_EQ(file, Bytes(buf.get(), buf.get() + 40 + len));
    // The file decodes back to the text.
    char *dec = heap_copy(file, 65536);
    uint32_t dec_len = 0;
    ASSERT_EQ(vr_configFileLzDecoder(&dec, &dec_len), 0);
    EXPECT_EQ(Bytes(dec, dec + dec_len), text);
    free(dec);
}

TEST_F(CfgFiles, BufferToFileFailures)
{
    Bytes noise = random_bytes(500, 9);
    std::unique_ptr<char[]> buf(new char[noise.size()]);
    std::memcpy(buf.get(), noise.data(), noise.size());
    uint32_t len = uint32_t(noise.size());
    char out_path[18] = {};
    {
        Capture cap;
        int r = vr_compressCfgBufferToFile(out_path, buf.get(), &len);
        std::string printed = cap.text();
        EXPECT_EQ(r, 0);
        EXPECT_NE(printed.find("Error: input buffer is not enough!\nvr_compressCfgBufferToFile: lz encode error!\n"),
                  std::string::npos)
            << printed;
    }
    EXPECT_FALSE(fs::exists(root_ / "tmp/tmp_compress"));

    fs::remove_all(root_ / "tmp");
    Bytes text = rom_text(5000);
    std::unique_ptr<char[]> tbuf(new char[text.size()]);
    std::memcpy(tbuf.get(), text.data(), text.size());
    len = uint32_t(text.size());
    Capture cap;
    int r = vr_compressCfgBufferToFile(out_path, tbuf.get(), &len);
    std::string printed = cap.text();
    EXPECT_EQ(r, 0);
    EXPECT_NE(printed.find("vr_compressCfgBufferToFile: open file /tmp/tmp_compress error!\n"), std::string::npos)
        << printed;
    EXPECT_EQ(out_path[0], 0);
}

TEST_F(CfgFiles, FileToFileWritesTheBareStream)
{
    Bytes text = rom_text(20000);
    write("/tmp/in.cfg", text);
    Capture cap;
    int r = compressCfgFileToFile(0, "/tmp/in.cfg", "/tmp/out.lz");
    std::string printed = cap.text();
    EXPECT_EQ(r, 0);
    Bytes stream = compress(text);
    EXPECT_EQ(printed, "intput file size = 20000\noutput len = " + std::to_string(stream.size()) + "\n");
    EXPECT_EQ(read_file(root_ / "tmp/out.lz"), stream);
}

// Length of the block stream one encoder tier gives `text`.
size_t tier_stream_size(const Bytes &text, int (*encode)(const void *, int, void *))
{
    size_t total = 0;
    Bytes area(65536 + 65536 / 32 + 1);
    for (size_t at = 0; at < text.size(); at += 65536) {
        size_t n = std::min<size_t>(65536, text.size() - at);
        total += 16 + (n < 32 ? n : size_t(encode(text.data() + at, int(n), area.data())));
    }
    return total;
}

TEST_F(CfgFiles, WritersFallBackToTheOptimalTierWhenTheFastOneDoesNotFit)
{
    // Configuration text of three blocks and more: find the lengths where the
    // fast tier fits both writers, where only the optimal one does, and where
    // neither fits.
    size_t fits_fast = 0, fits_optimal = 0, fits_none = 0;
    for (size_t n = 3 * 65536; n < 4 * 65536 && !fits_none; n += 256) {
        const Bytes text = rom_text(n);
        const size_t fast = tier_stream_size(text, fastlz_compress);
        const size_t optimal = tier_stream_size(text, fastlz_compress_optimal);
        if (40 + fast <= 65536 && !fits_fast)
            fits_fast = n;
        if (fast > 65536 && 40 + optimal <= 65536 && !fits_optimal)
            fits_optimal = n;
        if (optimal > 65536)
            fits_none = n;
    }
    ASSERT_TRUE(fits_fast && fits_optimal && fits_none) << fits_fast << " " << fits_optimal << " " << fits_none;

    struct Case {
        size_t n;
        int (*tier)(const void *, int, void *); // the one the writers should use; null: the file writer refuses
    };
    const Case cases[] = {{fits_fast, fastlz_compress},
                          {fits_optimal, fastlz_compress_optimal},
                          {fits_none, nullptr}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.n);
        const Bytes text = rom_text(c.n);
        write("/tmp/in.cfg", text);
        fs::remove(root_ / "tmp/out.lz");
        Capture cap;
        int r = compressCfgFileToFile(0, "/tmp/in.cfg", "/tmp/out.lz");
        std::string printed = cap.text();
        if (!c.tier) {
            EXPECT_EQ(r, -1);
            EXPECT_NE(printed.find("could not compress"), std::string::npos) << printed;
            continue;
        }
        EXPECT_EQ(r, 0) << printed;
        const Bytes stream = read_file(root_ / "tmp/out.lz");
        EXPECT_EQ(stream.size(), tier_stream_size(text, c.tier));
        Decoded d = decompress(stream, uint32_t(c.n));
        EXPECT_EQ(d.total, c.n);
        EXPECT_TRUE(d.out == text);

        // The in-place writer: a file of at most 64 KiB, header included.
        std::unique_ptr<char[]> buf(new char[c.n]);
        std::memcpy(buf.get(), text.data(), c.n);
        uint32_t len = uint32_t(c.n);
        Capture cap2;
        r = vr_configFileLzEncoder(buf.get(), &len);
        printed = cap2.text();
        ASSERT_EQ(r, 0) << printed;
        EXPECT_EQ(len, tier_stream_size(text, c.tier));
        EXPECT_LE(40 + len, 65536u);
        char *dec = heap_copy(Bytes(buf.get(), buf.get() + 65536), 65536);
        uint32_t dec_len = 0;
        ASSERT_EQ(vr_configFileLzDecoder(&dec, &dec_len), 0);
        EXPECT_TRUE(Bytes(dec, dec + dec_len) == text);
        free(dec);
    }
}

TEST_F(CfgFiles, FileToFileRefusals)
{
    write("/tmp/in.cfg", rom_text(1000));
    const Bytes existing = {'k', 'e', 'e', 'p'};
    write("/tmp/exists", existing);
    write("/tmp/noise", random_bytes(70000, 4));
    struct Case {
        const char *in, *out, *printed;
    };
    const Case cases[] = {
        {"/tmp/in.cfg", "/tmp/exists", "Error: file /tmp/exists already exists. Aborted.\n\n"},
        {"/tmp/missing", "/tmp/new1", "Error: stat error.\n"},
        {"/tmp/in.cfg", "/tmp/nodir/new2", "Error: could not create /tmp/nodir/new2. Aborted.\n\n"},
        {"/tmp/noise", "/tmp/new3", "Error: could not compress /tmp/noise into 65536 bytes. Aborted.\n\n"},
    };
    for (const Case &c : cases) {
        Capture cap;
        int r = compressCfgFileToFile(0, c.in, c.out);
        std::string printed = cap.text();
        EXPECT_EQ(r, -1) << c.out;
        EXPECT_NE(printed.find(c.printed), std::string::npos) << printed;
    }
    EXPECT_EQ(read_file(root_ / "tmp/exists"), existing);
    EXPECT_FALSE(fs::exists(root_ / "tmp/new1"));
    EXPECT_FALSE(fs::exists(root_ / "tmp/new3"));
}

// The level-1 codec against the reference streams, its own streams, and
// hostile input. Buffers are heap blocks of the exact size so that the
// sanitizer build catches any access one byte outside.
#include "flashlib.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

const char *const kInputs[] = {"mixed_20000", "pattern_32", "random_4096", "romfile_2000", "romfile_65536",
                               "zeros_65536"};
const char *const kReleases[] = {"flz2007", "flz2020"};

// Decodes into a heap block of exactly `cap` bytes; returns the result and the
// bytes written.
int decode(const Bytes &stream, size_t cap, Bytes *out = nullptr)
{
    std::unique_ptr<uint8_t[]> in(new uint8_t[stream.size() ? stream.size() : 1]);
    if (!stream.empty())
        std::memcpy(in.get(), stream.data(), stream.size());
    std::unique_ptr<uint8_t[]> dst(new uint8_t[cap ? cap : 1]);
    int r = fastlz_decompress(in.get(), int(stream.size()), cap ? dst.get() : nullptr, int(cap));
    if (out)
        out->assign(dst.get(), dst.get() + (r > 0 ? r : 0));
    return r;
}

using Encoder = int (*)(const void *, int, void *);
struct Tier {
    const char *name;
    Encoder encode;
};
const Tier kTiers[] = {{"fast", fastlz_compress}, {"optimal", fastlz_compress_optimal}};

// Compresses into a heap block of exactly the documented worst-case size.
Bytes encode(const Bytes &in, Encoder encoder = fastlz_compress)
{
    size_t bound = in.size() + in.size() / 32 + 1;
    std::unique_ptr<uint8_t[]> src(new uint8_t[in.size() ? in.size() : 1]);
    if (!in.empty())
        std::memcpy(src.get(), in.data(), in.size());
    std::unique_ptr<uint8_t[]> dst(new uint8_t[bound]);
    int n = encoder(src.get(), int(in.size()), dst.get());
    EXPECT_GE(n, 0);
    EXPECT_LE(size_t(n), bound);
    return Bytes(dst.get(), dst.get() + n);
}

// Checks the rules an encoder must keep, which a decoder alone does not: first
// byte's level bits 0, matches within the window, a literal run at the end.
::testing::AssertionResult well_formed(const Bytes &s)
{
    if (s.empty())
        return ::testing::AssertionFailure() << "empty stream";
    if (s[0] >> 5)
        return ::testing::AssertionFailure() << "level bits of the first byte: " << (s[0] >> 5);
    size_t ip = 0, op = 0;
    bool last_literal = false;
    while (ip < s.size()) {
        unsigned c = s[ip++];
        unsigned t = c >> 5;
        if (ip == 1 || t == 0) {
            ip += (c & 31) + 1;
            op += (c & 31) + 1;
            last_literal = true;
            continue;
        }
        size_t len = t + 2;
        if (t == 7)
            len = s[ip++] + 9;
        size_t dist = ((c & 31) << 8) + s[ip++] + 1;
        if (dist > op)
            return ::testing::AssertionFailure() << "match before start at output " << op;
        op += len;
        last_literal = false;
    }
    if (ip != s.size())
        return ::testing::AssertionFailure() << "last instruction runs past the end";
    if (!last_literal)
        return ::testing::AssertionFailure() << "stream does not end with literals";
    return ::testing::AssertionSuccess();
}

Bytes text_like(size_t n, uint32_t seed)
{
    static const char *const words[] = {"<Entry", " Active=\"Yes\"", " Name=\"", "192.168.", "PVC", "/>\n",
                                        "<Wan>", "</Wan>\n", "0", "1", "N/A", " VLANID=\"", "\"", "Firewall_"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const char *w = words[rng() % std::size(words)];
        out.insert(out.end(), w, w + std::strlen(w));
    }
    out.resize(n);
    return out;
}

} // namespace

TEST(FastlzVectors, ReferenceStreamsDecodeExactlyAndFailOneByteShort)
{
    fs::path dir = vectors_dir();
    ASSERT_TRUE(fs::is_directory(dir)) << "reference vectors missing: " << dir;
    for (const char *name : kInputs) {
        Bytes input = read_file(dir / (std::string(name) + ".in"));
        ASSERT_FALSE(input.empty()) << name;
        for (const char *rel : kReleases) {
            SCOPED_TRACE(std::string(name) + "." + rel);
            Bytes stream = read_file(dir / (std::string(name) + "." + rel));
            ASSERT_FALSE(stream.empty());
            Bytes out;
            EXPECT_EQ(decode(stream, input.size(), &out), int(input.size()));
            EXPECT_EQ(out, input);
            EXPECT_EQ(decode(stream, input.size() - 1), 0);
        }
    }
}

TEST(FastlzVectors, OwnStreamsRoundTripAndCompressAtLeastAsWell)
{
    fs::path dir = vectors_dir();
    ASSERT_TRUE(fs::is_directory(dir)) << "reference vectors missing: " << dir;
    for (const char *name : kInputs)
    for (const Tier &tier : kTiers) {
        SCOPED_TRACE(std::string(name) + ", " + tier.name);
        Bytes input = read_file(dir / (std::string(name) + ".in"));
        ASSERT_FALSE(input.empty());
        Bytes stream = encode(input, tier.encode);
        EXPECT_TRUE(well_formed(stream));
        Bytes out;
        EXPECT_EQ(decode(stream, input.size(), &out), int(input.size()));
        EXPECT_EQ(out, input);
        EXPECT_EQ(decode(stream, input.size() - 1), 0);
        // Not worse than either release on any of them, configuration text
        // above all.
        for (const char *rel : kReleases)
            EXPECT_LE(stream.size(), fs::file_size(dir / (std::string(name) + "." + rel))) << rel;
    }
}

TEST(FastlzVectors, LevelMarkerOfFirstByteIsIgnored)
{
    fs::path dir = vectors_dir();
    ASSERT_TRUE(fs::is_directory(dir)) << "reference vectors missing: " << dir;
    Bytes input = read_file(dir / "romfile_2000.in");
    Bytes stream = read_file(dir / "romfile_2000.flz2020");
    ASSERT_FALSE(stream.empty());
    ASSERT_EQ(stream[0] >> 5, 0);
    for (unsigned marker = 1; marker < 8; ++marker) {
        Bytes marked = stream;
        marked[0] = uint8_t((marker << 5) | (stream[0] & 31));
        Bytes out;
        EXPECT_EQ(decode(marked, input.size(), &out), int(input.size())) << marker;
        EXPECT_EQ(out, input) << marker;
    }
}

TEST(FastlzVectors, OptimalTierNeverLargerOnConfigurationText)
{
    fs::path dir = vectors_dir();
    ASSERT_TRUE(fs::is_directory(dir)) << "reference vectors missing: " << dir;
    for (const char *name : {"romfile_2000", "romfile_65536", "mixed_20000"}) {
        Bytes input = read_file(dir / (std::string(name) + ".in"));
        ASSERT_FALSE(input.empty()) << name;
        EXPECT_LE(encode(input, fastlz_compress_optimal).size(), encode(input).size()) << name;
    }
    for (uint32_t seed : {1u, 2u, 3u}) {
        Bytes input = text_like(65536, seed);
        EXPECT_LE(encode(input, fastlz_compress_optimal).size(), encode(input).size()) << seed;
    }
}

TEST(FastlzCompress, FullBlockIsLevelOne)
{
    for (const Tier &tier : kTiers)
    for (const Bytes &in : {text_like(65536, 1), random_bytes(65536, 2), Bytes(65536, 0x41), text_like(100000, 3)}) {
        SCOPED_TRACE(tier.name);
        Bytes s = encode(in, tier.encode);
        ASSERT_FALSE(s.empty());
        EXPECT_EQ(s[0] >> 5, 0);
        EXPECT_TRUE(well_formed(s));
        Bytes out;
        EXPECT_EQ(decode(s, in.size(), &out), int(in.size()));
        EXPECT_TRUE(out == in);
    }
}

TEST(FastlzCompress, RoundTripsAcrossSizesAndShapes)
{
    std::vector<Bytes> inputs;
    for (size_t n : {1, 2, 3, 4, 5, 31, 32, 33, 264, 265, 266, 267, 1000, 8192, 8193, 8195, 20000})
        inputs.push_back(random_bytes(n, uint32_t(n)));
    for (size_t n : {1, 3, 4, 12, 13, 265, 266, 267, 528, 529, 530, 531, 70000})
        inputs.push_back(Bytes(n, 0));
    for (size_t n : {40, 500, 9000, 65535})
        inputs.push_back(text_like(n, uint32_t(n)));
    // Repeats at the window's edge: 8192 back is reachable, 8193 is not.
    for (size_t gap : {8189, 8190, 8191, 8192, 8193}) {
        Bytes head = random_bytes(gap, 77);
        Bytes in = head;
        in.insert(in.end(), head.begin(), head.begin() + 300);
        in.push_back(1);
        inputs.push_back(in);
    }
    for (const Tier &tier : kTiers)
    for (const Bytes &in : inputs) {
        SCOPED_TRACE(std::string(tier.name) + ", " + std::to_string(in.size()));
        Bytes s = encode(in, tier.encode);
        EXPECT_TRUE(well_formed(s));
        Bytes out;
        EXPECT_EQ(decode(s, in.size(), &out), int(in.size()));
        EXPECT_TRUE(out == in);
        EXPECT_EQ(decode(s, in.size() - 1), 0);
    }
}

TEST(FastlzCompress, UsesTheWholeWindowAndLongMatches)
{
    // A 300-byte repeat exactly 8192 bytes back must come out as matches. The
    // fast tier crosses long random stretches in strides, so it is asked only
    // of the optimal one.
    Bytes head = random_bytes(8192, 5);
    Bytes in = head;
    in.insert(in.end(), head.begin(), head.begin() + 300);
    in.push_back(9);
    Bytes s = encode(in, fastlz_compress_optimal);
    EXPECT_LT(s.size(), 8192 + 8192 / 32 + 1 + 20u);
    // Runs of one byte: about 3 bytes per 264 input bytes.
    Bytes zeros(65536, 0);
    for (const Tier &tier : kTiers)
        EXPECT_LT(encode(zeros, tier.encode).size(), 800u) << tier.name;
}

TEST(FastlzCompress, EmptyInputWritesNothing)
{
    for (const Tier &tier : kTiers) {
        uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        EXPECT_EQ(tier.encode("x", 0, out), 0) << tier.name;
        EXPECT_EQ(out[0], 0xAA) << tier.name;
    }
}

TEST(FastlzDecompress, RejectsStreamsThatBreakTheBounds)
{
    struct Case {
        const char *what;
        Bytes stream;
        size_t cap;
        int expect;
    };
    const Case cases[] = {
        {"empty input", {}, 16, 0},
        {"literal run of 3, 2 given", {0x02, 'a', 'b'}, 16, 0},
        {"literal run fits exactly", {0x02, 'a', 'b', 'c'}, 3, 3},
        {"literal run one past capacity", {0x02, 'a', 'b', 'c'}, 2, 0},
        {"zero capacity", {0x00, 'a'}, 0, 0},
        {"short match without distance byte", {0x00, 'a', 0x20}, 16, 0},
        {"short match distance 1 repeats", {0x00, 'a', 0x20, 0x00}, 4, 4},
        {"short match past capacity", {0x00, 'a', 0x20, 0x00}, 3, 0},
        {"match before start", {0x00, 'a', 0x20, 0x01}, 16, 0},
        {"match far before start", {0x00, 'a', 0x3F, 0xFF}, 16, 0},
        {"long match without length byte", {0x00, 'a', 0xE0}, 300, 0},
        {"long match without distance byte", {0x00, 'a', 0xE0, 0x00}, 300, 0},
        {"long match of 9", {0x00, 'a', 0xE0, 0x00, 0x00}, 10, 10},
        {"long match of 264", {0x00, 'a', 0xE0, 0xFF, 0x00}, 265, 265},
        {"long match one past capacity", {0x00, 'a', 0xE0, 0xFF, 0x00}, 264, 0},
        {"literal run after match cut short", {0x00, 'a', 0x20, 0x00, 0x05, 'x'}, 64, 0},
        {"first byte with level bits is a literal run", {0xE1, 'a', 'b'}, 2, 2},
    };
    for (const Case &c : cases) {
        Bytes out;
        EXPECT_EQ(decode(c.stream, c.cap, &out), c.expect) << c.what;
    }
    Bytes out;
    ASSERT_EQ(decode({0x00, 'a', 0x20, 0x00}, 4, &out), 4);
    EXPECT_EQ(out, Bytes(4, 'a'));
    EXPECT_EQ(fastlz_decompress("\x00" "a", -1, out.data(), 4), 0);
    EXPECT_EQ(fastlz_decompress("\x00" "a", 2, out.data(), -1), 0);
}

TEST(FastlzDecompress, EveryTruncationStaysInBoundsAndNeverLies)
{
    // Every prefix of a reference stream either fails or decodes to a prefix
    // of the original: a cut between instructions is a valid shorter stream.
    fs::path dir = vectors_dir();
    ASSERT_TRUE(fs::is_directory(dir)) << "reference vectors missing: " << dir;
    Bytes input = read_file(dir / "romfile_2000.in");
    Bytes stream = read_file(dir / "romfile_2000.flz2007");
    ASSERT_FALSE(stream.empty());
    int valid_prefixes = 0;
    for (size_t n = 0; n < stream.size(); ++n) {
        Bytes cut(stream.begin(), stream.begin() + n);
        Bytes out;
        int r = decode(cut, input.size(), &out);
        ASSERT_GE(r, 0);
        ASSERT_LT(size_t(r), input.size()) << n;
        if (r > 0) {
            ++valid_prefixes;
            ASSERT_TRUE(std::equal(out.begin(), out.end(), input.begin())) << n;
        }
    }
    EXPECT_GT(valid_prefixes, 10);
}

// The format read the plain way, one byte at a time; valid streams only.
Bytes reference_decode(const Bytes &s)
{
    Bytes out;
    size_t ip = 0;
    while (ip < s.size()) {
        unsigned c = s[ip++];
        if (ip == 1 || (c >> 5) == 0) {
            out.insert(out.end(), s.begin() + long(ip), s.begin() + long(ip + (c & 31) + 1));
            ip += (c & 31) + 1;
            continue;
        }
        size_t len = (c >> 5) + 2;
        if ((c >> 5) == 7)
            len += s[ip++];
        size_t dist = ((c & 31) << 8) + s[ip++] + 1;
        for (size_t i = 0; i < len; ++i)
            out.push_back(out[out.size() - dist]);
    }
    return out;
}

TEST(FastlzDecompress, CopiesOfEveryShapeMatchThePlainReading)
{
    // Random valid streams: literal runs of 1 to 32 bytes, matches of every
    // length at distances from 1 (overlapping) to the window, the copies'
    // fixed-size pieces meeting the end of the output with and without room
    // after it.
    std::mt19937 rng(7);
    for (int i = 0; i < 400; ++i) {
        Bytes s;
        size_t out = 0;
        const size_t target = 1 + rng() % 3000;
        while (out < target) {
            if (out == 0 || rng() % 3 == 0) {
                size_t run = 1 + rng() % 32;
                s.push_back(uint8_t(run - 1));
                for (size_t k = 0; k < run; ++k)
                    s.push_back(uint8_t(rng() % 4)); // few symbols: overlaps show
                out += run;
                continue;
            }
            size_t len = 3 + (rng() % 2 ? rng() % 6 : rng() % 262);
            size_t far = std::min<size_t>(out, 8192);
            size_t dist = 1 + (rng() % 2 ? rng() % std::min<size_t>(far, 24) : rng() % far);
            size_t code = dist - 1;
            if (len <= 8) {
                s.push_back(uint8_t(((len - 2) << 5) | (code >> 8)));
            } else {
                s.push_back(uint8_t(0xE0 | (code >> 8)));
                s.push_back(uint8_t(len - 9));
            }
            s.push_back(uint8_t(code & 0xFF));
            out += len;
        }
        const Bytes want = reference_decode(s);
        ASSERT_EQ(want.size(), out);
        for (size_t room : {0, 1, 15, 40}) {
            Bytes got;
            ASSERT_EQ(decode(s, out + room, &got), int(out)) << i << " room " << room;
            ASSERT_TRUE(got == want) << i << " room " << room;
        }
        ASSERT_EQ(decode(s, out - 1), 0) << i;
    }
}

TEST(FastlzDecompress, RandomBytesNeverEscapeTheBuffers)
{
    std::mt19937 rng(42);
    for (int i = 0; i < 3000; ++i) {
        Bytes s = random_bytes(1 + rng() % 200, rng());
        size_t cap = rng() % 400;
        Bytes out;
        int r = decode(s, cap, &out);
        ASSERT_GE(r, 0);
        ASSERT_LE(size_t(r), cap);
    }
}

TEST(Adler32, CheckValues)
{
    struct Case {
        std::string data;
        uint32_t expect;
    };
    const Case cases[] = {
        {"", 0x00000001},
        {"a", 0x00620062},
        {"abc", 0x024D0127},
        {"Wikipedia", 0x11E60398},
        {"123456789", 0x091E01DE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(vr_adler32(1, c.data.data(), c.data.size()), c.expect) << c.data;
}

TEST(Adler32, LongRunsMatchPerByteModulo)
{
    // Runs of 0xFF stress the deferred modulo; pieces fed one by one must give
    // the same value as the whole.
    for (size_t n : {5551, 5552, 5553, 100000}) {
        Bytes data(n, 0xFF);
        uint32_t s1 = 1, s2 = 0;
        for (uint8_t b : data) {
            s1 = (s1 + b) % 65521;
            s2 = (s2 + s1) % 65521;
        }
        uint32_t whole = vr_adler32(1, data.data(), n);
        EXPECT_EQ(whole, (s2 << 16) | s1) << n;
        uint32_t pieces = vr_adler32(1, data.data(), 1000);
        pieces = vr_adler32(pieces, data.data() + 1000, n - 1000);
        EXPECT_EQ(pieces, whole) << n;
    }
}

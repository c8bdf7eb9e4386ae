// The configuration and firmware checksum: check values, pieces against the
// whole, and the sliced code against the bitwise reference.
#include "flashlib.h"
#include "fwimage.h"

#include <gtest/gtest.h>

#include <cstring>

using fwimage::Bytes;
using fwimage::pattern;
using fwimage::ref_crc;

TEST(Crc32, CheckValues)
{
    struct Case {
        const char *text;
        uint32_t crc;
    };
    // The complement of the common CRC-32 (0xCBF43926 for "123456789").
    const Case cases[] = {
        {"", 0xFFFFFFFFu},
        {"123456789", 0x340BC6D9u},
        {"abc", 0xCADBBE3Du},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(crc32buf(c.text, std::strlen(c.text)), c.crc) << '"' << c.text << '"';
        EXPECT_EQ(getCrc32Iterative(c.text, std::strlen(c.text), 0xFFFFFFFFu), c.crc) << '"' << c.text << '"';
    }
    EXPECT_EQ(crc32buf(nullptr, 0), 0xFFFFFFFFu);
}

TEST(Crc32, MatchesTheBitwiseReferenceAtEveryAlignmentAndLength)
{
    const Bytes data = pattern(4096 + 64, 7);
    for (size_t start = 0; start < 9; ++start)
        for (size_t len : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 64u, 65u, 1000u, 4096u})
            ASSERT_EQ(crc32buf(data.data() + start, len), ref_crc(data.data() + start, len))
                << "start " << start << " length " << len;
}

TEST(Crc32, PiecesInOrderEqualTheWhole)
{
    const Bytes data = pattern(3 * 65536 + 5, 11);
    const uint32_t whole = crc32buf(data.data(), data.size());
    ASSERT_EQ(whole, ref_crc(data));
    struct Case {
        const char *what;
        std::vector<size_t> cuts; // piece lengths; the rest is the last piece
    };
    const Case cases[] = {
        {"one piece", {}},
        {"64 KiB pieces", {65536, 65536, 65536}},
        {"odd pieces", {1, 3, 5, 7, 65536, 13}},
        {"empty pieces between", {0, 100, 0, 0, 9}},
    };
    for (const Case &c : cases) {
        uint32_t crc = 0xFFFFFFFFu;
        size_t at = 0;
        for (size_t n : c.cuts) {
            crc = getCrc32Iterative(data.data() + at, n, crc);
            at += n;
        }
        crc = getCrc32Iterative(data.data() + at, data.size() - at, crc);
        EXPECT_EQ(crc, whole) << c.what;
    }
}

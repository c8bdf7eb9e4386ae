#include "utf8.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

TEST(Utf8, SequenceLengths)
{
    struct Case {
        const char *bytes;
        size_t len;
        size_t want;
    } cases[] = {
        {"A", 1, 1},
        {"\xC3\xA9", 2, 2},             // é
        {"\xE2\x82\xAC", 3, 3},         // €
        {"\xF0\x9F\x98\x80", 4, 4},     // U+1F600
        {"\xF4\x8F\xBF\xBF", 4, 4},     // U+10FFFF
        {"\xC3", 1, 0},                 // cut short
        {"\xE2\x82", 2, 0},             // cut short
        {"\x80", 1, 0},                 // stray continuation
        {"\xC0\xAF", 2, 0},             // overlong '/'
        {"\xE0\x80\xAF", 3, 0},         // overlong '/'
        {"\xED\xA0\x80", 3, 0},         // surrogate U+D800
        {"\xF4\x90\x80\x80", 4, 0},     // past U+10FFFF
        {"\xF5\x80\x80\x80", 4, 0},     // no such lead byte
        {"\xE2\x41\xAC", 3, 0},         // ASCII where a continuation belongs
        {"", 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(utf8_seq_len(reinterpret_cast<const unsigned char *>(c.bytes), c.len), c.want)
            << testing::PrintToString(std::string(c.bytes, c.len));
}

TEST(Utf8, CutNeverSplitsASequence)
{
    struct Case {
        const char *text;
        size_t max;
        size_t want;
    } cases[] = {
        {"abcdef", 4, 4},
        {"abc", 10, 3},
        {"abc", 0, 0},
        {"ab\xC3\xA9", 3, 2},              // é would straddle the limit
        {"ab\xC3\xA9", 4, 4},
        {"a\xE2\x82\xAC" "b", 2, 1},       // € straddles
        {"a\xE2\x82\xAC" "b", 3, 1},
        {"a\xE2\x82\xAC" "b", 4, 4},
        {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 7, 4},
        {"ab\x80\x80", 3, 3},              // stray bytes count one by one
        {"ab\xE2\x82", 3, 3},              // a sequence cut short: its bytes count one by one
    };
    for (const Case &c : cases) {
        size_t n = utf8_cut(c.text, strlen(c.text), c.max);
        EXPECT_EQ(n, c.want) << testing::PrintToString(std::string(c.text)) << " max " << c.max;
        EXPECT_LE(n, c.max);
    }
}

} // namespace

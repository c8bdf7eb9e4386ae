// The subject line from attribute values: text conversion, order, cuts.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "subject.h"
#include "utf8.h"

namespace {

constexpr int kUtf8 = 0x0C, kPrintable = 0x13, kT61 = 0x14, kIa5 = 0x16, kUniversal = 0x1C,
              kBmp = 0x1E;

std::string text_of(int tag, const std::string &bytes)
{
    Subject s;
    subject_clear(&s);
    subject_set(&s, kSubjCommonName, tag, reinterpret_cast<const unsigned char *>(bytes.data()),
                bytes.size());
    return s.text[kSubjCommonName];
}

bool valid_utf8(const std::string &s)
{
    for (size_t i = 0; i < s.size();) {
        size_t n = utf8_seq_len(reinterpret_cast<const unsigned char *>(s.data() + i), s.size() - i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

TEST(SubjectText, StringTypesBecomeUtf8)
{
    struct Case {
        int tag;
        std::string bytes;
        std::string want;
    } cases[] = {
        {kPrintable, "Acme Root CA", "Acme Root CA"},
        {kUtf8, "M\xC3\xBCnchen", "M\xC3\xBCnchen"},
        {kT61, "M\xFCnchen", "M\xC3\xBCnchen"},               // Latin-1
        {kIa5, "a\xE9", "a\xC3\xA9"},
        {kBmp, std::string("\x00" "A\x20\xAC", 4), "A\xE2\x82\xAC"},
        {kUniversal, std::string("\x00\x01\xF6\x00", 4), "\xF0\x9F\x98\x80"},
        {kUtf8, "a\xC3", "a?"},                              // cut-short sequence
        {kUtf8, "a\xED\xA0\x80z", "a???z"},                  // encoded surrogate
        {kUtf8, "line\nbreak\r", "line?break?"},             // would break the one-line file
        {kUtf8, std::string("nul\0in", 6), "nul?in"},
        {kT61, "\x85", "?"},                                 // C1 control
        {kBmp, std::string("\xD8\x00", 2), "?"},             // lone surrogate
        {kBmp, std::string("\x00" "A\x00", 3), "A?"},        // odd length
        {kUniversal, std::string("\x00\x11\x00\x00", 4), "?"}, // past U+10FFFF
        {kUtf8, "", ""},
    };
    for (const Case &c : cases) {
        std::string got = text_of(c.tag, c.bytes);
        EXPECT_EQ(got, c.want) << "tag " << c.tag << " " << testing::PrintToString(c.bytes);
        EXPECT_TRUE(valid_utf8(got));
    }
}

TEST(SubjectText, LongValuesKeepWholeCharacters)
{
    struct Case {
        std::string bytes;
        size_t want_len;
    } cases[] = {
        {std::string(200, 'x'), kSubjPartMax},
        {std::string(126, 'x') + "\xC3\xA9", 126},           // é would end at byte 128
        {std::string(125, 'x') + "\xC3\xA9", 127},
        {std::string(125, 'x') + "\xE2\x82\xAC", 125},
        {std::string(60, 'x') + std::string(40, '\0'), 100},
    };
    for (const Case &c : cases) {
        std::string got = text_of(kUtf8, c.bytes);
        EXPECT_EQ(got.size(), c.want_len);
        EXPECT_TRUE(valid_utf8(got));
    }
}

struct Attr {
    SubjectAttr attr;
    const char *value;
};

std::string line_of(std::initializer_list<Attr> attrs)
{
    Subject s;
    subject_clear(&s);
    for (const Attr &a : attrs)
        subject_set(&s, a.attr, kUtf8, reinterpret_cast<const unsigned char *>(a.value), strlen(a.value));
    char line[kSubjLineSize];
    memset(line, 'Z', sizeof line);
    subject_line(&s, line, sizeof line);
    return line;
}

TEST(SubjectLine, PartsInFixedOrder)
{
    EXPECT_EQ(line_of({{kSubjCommonName, "Acme Root"}, {kSubjOrg, "Acme"}, {kSubjCountry, "DE"}}),
              "C=DE/O=Acme/CN=Acme Root");
    EXPECT_EQ(line_of({{kSubjCommonName, "Only"}}), "CN=Only");
    EXPECT_EQ(line_of({{kSubjOrgUnit, "Unit"}, {kSubjState, "Bayern"}, {kSubjLocality, "M"}}),
              "ST=Bayern/L=M/OU=Unit/");
    EXPECT_EQ(line_of({}), "");
    EXPECT_EQ(line_of({{kSubjCommonName, ""}}), "CN=");
    EXPECT_EQ(line_of({{kSubjCountry, "US"}, {kSubjState, "S"}, {kSubjLocality, "L"}, {kSubjOrg, "O"},
                       {kSubjOrgUnit, "U"}, {kSubjCommonName, "N"}}),
              "C=US/ST=S/L=L/O=O/OU=U/CN=N");
}

// Each part, prefix and separator included, stays within 127 bytes and keeps
// its separator, so the next part still starts after a "/".
TEST(SubjectLine, LongPartsAreCutBeforeTheSeparator)
{
    std::string o(200, 'o');
    std::string cn = std::string(123, 'c') + "\xE2\x82\xAC"; // € at bytes 124..126 of "CN=..."
    std::string line = line_of({{kSubjOrg, o.c_str()}, {kSubjCommonName, cn.c_str()}});
    std::string want_o = "O=" + std::string(124, 'o') + "/";
    EXPECT_EQ(want_o.size(), kSubjPartMax);
    // The value holds 126 bytes, the whole €; "CN=" leaves room for 124, so the € goes.
    EXPECT_EQ(line, want_o + "CN=" + std::string(123, 'c'));
    EXPECT_TRUE(valid_utf8(line));
}

} // namespace

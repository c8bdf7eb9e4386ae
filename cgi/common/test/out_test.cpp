// The escaping printers.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "out.h"

namespace {

template <typename Fn>
std::string capture(Fn fn)
{
    char *buf = nullptr;
    size_t len = 0;
    FILE *f = open_memstream(&buf, &len);
    fn(f);
    fclose(f);
    std::string s(buf, len);
    free(buf);
    return s;
}

std::string esc(Esc e, const std::string &v)
{
    return capture([&](FILE *f) { out_escaped(f, e, v.c_str()); });
}

} // namespace

TEST(Out, EscapesForHtmlAndScriptStrings)
{
    struct Case {
        std::string in, html, js;
    } cases[] = {
        {"", "", ""},
        {"192.168.1.1-192.168.1.9", "192.168.1.1-192.168.1.9", "192.168.1.1-192.168.1.9"},
        {"fe80::1/64 Any[TCP] LANtoLAN_2 N/A", "fe80::1/64 Any[TCP] LANtoLAN_2 N/A",
         "fe80::1/64 Any[TCP] LANtoLAN_2 N/A"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;",
         "\\x3cscript\\x3ealert(1)\\x3c/script\\x3e"},
        {"a&b", "a&amp;b", "a\\x26b"},
        {"\"onmouseover=x", "&quot;onmouseover=x", "\\x22onmouseover=x"},
        {"it's", "it&#39;s", "it\\x27s"},
        {"back\\slash", "back\\slash", "back\\\\slash"},
        {"l1\nl2\r\tx", "l1\nl2\r\tx", "l1\\nl2\\r\\tx"},
        {"\x01\x1f\x7f", "\x01\x1f\x7f", "\\x01\\x1f\\x7f"},
        {"T\xfcrk\xe7\x65 \xc3\xa7", "T\xfcrk\xe7\x65 \xc3\xa7", "T\xfcrk\xe7\x65 \xc3\xa7"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(esc(Esc::html, c.in), c.html) << c.in;
        EXPECT_EQ(esc(Esc::js, c.in), c.js) << c.in;
        // Nothing that could end a script, a string or an attribute survives.
        EXPECT_EQ(esc(Esc::js, c.in).find_first_of("\"'<>&\n"), std::string::npos) << c.in;
    }
    EXPECT_EQ(capture([](FILE *f) { out_escaped(f, Esc::html, nullptr); }), "");
}

TEST(Out, FormatsLikePrintfWithEscapedStrings)
{
    EXPECT_EQ(capture([](FILE *f) {
                  html_fout(f, "<td width=\"20%%\" align=center>%s-%s</td>\n", "1.1.1.1", "<b>");
              }),
              "<td width=\"20%\" align=center>1.1.1.1-&lt;b&gt;</td>\n");
    EXPECT_EQ(capture([](FILE *f) {
                  html_fout(f, "[%d|%5d|%-3d|%03u|%x|%X|%c|%ld|%lld|%zu|%i]", -7, 42, 1, 9u, 255u, 255u,
                            'Q', -123456789L, 1234567890123LL, static_cast<size_t>(77), 5);
              }),
              "[-7|   42|1  |009|ff|FF|Q|-123456789|1234567890123|77|5]");
    EXPECT_EQ(capture([](FILE *f) { js_fout(f, "x = '%s'; n = %d;", "a'b\"c", 3); }),
              "x = 'a\\x27b\\x22c'; n = 3;");
    const char *volatile none = nullptr;
    EXPECT_EQ(capture([&](FILE *f) { html_fout(f, "%s|%s", none, "ok"); }), "|ok");
    // A trailing lone percent sign is printed, not read past.
    const char *volatile lone = "100%";
    EXPECT_EQ(capture([&](FILE *f) { html_fout(f, lone); }), "100%");
    // A directive the printer does not know ends the formatting: the arguments
    // after it are never taken by the wrong conversion.
    EXPECT_EQ(capture([](FILE *f) { html_fout(f, "%d %*d|%s|%d", 1, 5, 3, "x", 4); }), "1 %*d|%s|%d");
    EXPECT_EQ(capture([](FILE *f) { html_fout(f, "<%jd>%s", static_cast<intmax_t>(2), "<y>"); }), "<%jd>%s");
    const char *volatile wide = "%0000000000000000000000000000000000000007d|%s";
    EXPECT_EQ(capture([&](FILE *f) { html_fout(f, wide, 1, "z"); }), wide);
}

// qos_queue_list: the four QoS queues. With weighted round robin each queue's
// weight, otherwise its priority and, where rate limiting is supported, its
// rate. The table and footer are built in memory and printed after the head.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>


#include "frame.h"
#include "frame_variants.h"
#include "out.h"
#include "page_parts.h"
#include "owners.h"
#include "store.h"

namespace {

constexpr int kQueues = 4;
constexpr const char *kEol = "\r \n";

// The two script functions of the head; each line ends in "\r \n" as the
// rest of this head does.
constexpr const char *kMultiLanguage =
    "<script language=\"JavaScript\">\r \n"
    "function Multi_Language(Index,Discpline,SupportRateLimit)\r \n"
    "{\r \n"
    "language_Index=parseInt(Index);\r \n"
    "if(Discpline != \"WRR\")\r \n"
    "{\r \n"
    "document.getElementById(\"Qos_Priority\").innerHTML = Qos_Priority[language_Index];\r \n"
    "if(SupportRateLimit == \"Yes\")\r \n"
    "document.getElementById(\"QoS_Rate_Limit\").innerHTML = QoS_Rate_Limit[language_Index];\r \n"
    "}\r \n"
    "document.getElementById(\"Active\").innerHTML = Active[language_Index];\r \n"
    "document.getElementById(\"QoS_Queue_Index\").innerHTML = QoS_Queue_Index[language_Index];\r \n"
    "}\r \n"
    "</script>\r \n";
constexpr const char *kMultiLanguage1 =
    "<script language=\"JavaScript\">\r \n"
    "function Multi_Language1(Index,Discpline,SupportRatePercent)\r \n"
    "{\r \n"
    "language_Index=parseInt(Index);\r \n"
    "if(Discpline != \"WRR\")\r \n"
    "{\r \n"
    "document.getElementById(\"Qos_Priority\").innerHTML = Qos_Priority[language_Index];\r \n"
    "if(SupportRatePercent == \"Yes\")\r \n"
    "document.getElementById(\"QoS_Rate_Percent_Limit\").innerHTML = "
    "QoS_Rate_Percent_Limit[language_Index];\r \n"
    "}\r \n"
    "document.getElementById(\"Active\").innerHTML = Active[language_Index];\r \n"
    "document.getElementById(\"QoS_Queue_Index\").innerHTML = QoS_Queue_Index[language_Index];\r \n"
    "}\r \n"
    "</script>\r \n";

// The table tag is left unclosed before "<tr>"; browsers render it and the
// surrounding page expects these bytes.
#define TABLE_HEAD                                                                                 \
    "<table id=\"CgiInnerTable\" width=\"60%%\" border=\"1\" align=center cellpadding=\"1\" "       \
    "cellspacing=\"0\" bordercolor=\"#FFFFFF\" <tr><td width=\"20%%\" align=\"center\" "           \
    "class=\"tableTitle\"> <span id='QoS_Queue_Index'></span></td> <td width=\"20%%\" "            \
    "align=\"center\" class=\"tableTitle\"><span id='Active'></span></td>"

using Value = char[WYAPI_BUF_SIZE];

struct Common {
    Value discipline, rate_limit, rate_percent;
    bool wrr, with_rate, percent;
};

struct Queue {
    Value shown, sw, weight, priority, rate;
};

void vpiece(FILE *doc, bool space, const char *fmt, va_list ap)
{
    if (space)
        fputc(' ', doc);
    out_vformat(doc, Esc::html, fmt, ap);
}

// The first piece of the weight table: no space in front.
void first_piece(FILE *doc, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vpiece(doc, false, fmt, ap);
    va_end(ap);
}

// Every other piece: one space in front, %s escaped for HTML.
void piece(FILE *doc, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vpiece(doc, true, fmt, ap);
    va_end(ap);
}

void read_common(Common &c)
{
    // A failure text would reach the footer's script call: "N/A" stands in.
    store_get_or("QoS_Common", "Discipline", c.discipline, sizeof c.discipline, "N/A");
    store_get_or("QoS_Common", "QoSRateLimit", c.rate_limit, sizeof c.rate_limit, "N/A");
    store_get_or("QoS_Common", "QoSRatePercent", c.rate_percent, sizeof c.rate_percent, "N/A");
    c.wrr = strcmp(c.discipline, "WRR") == 0;
    c.with_rate = strcmp(c.rate_limit, "Yes") == 0;
    c.percent = strcmp(c.rate_percent, "Yes") == 0;
}

// A queue is hidden when its "Queue%d" value cannot be read or is one of the
// texts that mean so, failure texts stored as values included.
bool hidden(bool read, const char *v)
{
    return !read || strcmp(v, WYAPI_NO_ATTR) == 0 || strcmp(v, WYAPI_NO_NODE) == 0 ||
           strcmp(v, "N/A") == 0 || strcmp(v, "No") == 0;
}

// False when the queue is hidden.
bool read_queue(int n, Queue &q)
{
    char attr[16];
    snprintf(attr, sizeof attr, "Queue%d", n);
    bool read = store_get("QoS_Common", attr, q.shown, sizeof q.shown) == WYAPI_OK;
    snprintf(attr, sizeof attr, "QueueSW%d", n);
    store_get_or("QoS_Common", attr, q.sw, sizeof q.sw, "N/A");
    snprintf(attr, sizeof attr, "QueueWRR%d", n);
    store_get_or("QoS_Common", attr, q.weight, sizeof q.weight, "N/A");
    snprintf(attr, sizeof attr, "QueueSP%d", n);
    store_get_or("QoS_Common", attr, q.priority, sizeof q.priority, "N/A");
    // An unreadable rate is no limit, as an empty one is.
    snprintf(attr, sizeof attr, "QueueRate%d", n);
    store_get_or("QoS_Common", attr, q.rate, sizeof q.rate, "");
    return !hidden(read, q.shown);
}

void table_head(FILE *d, const Common &c)
{
    if (c.wrr) {
        first_piece(d, TABLE_HEAD "<td width=\"20%%\" align=\"center\" class=\"tableTitle\">Weight</td></tr>");
        return;
    }
    piece(d, TABLE_HEAD " <td width=\"20%%\" align=\"center\" class=\"tableTitle\">"
                        "<span id='Qos_Priority'></span></td>\n");
    if (!c.with_rate)
        return;
    if (c.percent)
        piece(d, "<td width=\"20%%\" align=\"center\" class=\"tableTitle\">"
                 "<span id='QoS_Rate_Percent_Limit'></span></td></tr>");
    else
        piece(d, "<td width=\"20%%\" align=\"center\" class=\"tableTitle\">"
                 "<span id='QoS_Rate_Limit'></span></td></tr>");
}

void queue_row(FILE *d, const Common &c, int n, const Queue &q)
{
    int cls = row_class_by_index(n - 1); // counts hidden queues too
    if (c.wrr) {
        if (n == kQueues)
            piece(d, "<tr class=tabcolor%d><td align=center width=\"20%%\">default</td>"
                     "<td align=center width=\"20%%\">%s</td>\n", cls, q.sw);
        else
            piece(d, "<tr class=tabcolor%d><td align=center width=\"20%%\">%d</td>"
                     "<td align=center width=\"20%%\">%s</td>\n", cls, n, q.sw);
        piece(d, "<td align=center width=\"20%%\">%s</td></tr>\n", q.weight);
        return;
    }
    piece(d, "<tr class=tabcolor%d><td align=center width=\"20%%\">%d</td>"
             "<td align=center width=\"20%%\">%s</td>\n", cls, n, q.sw);
    piece(d, "<td align=center width=\"20%%\">%s</td>\n", q.priority);
    if (!c.with_rate)
        return; // the row stays open
    if (q.rate[0] == '\0')
        piece(d, "<td align=center width=\"20%%\">No limit</td></tr>\n");
    else if (c.percent)
        piece(d, "<td align=center width=\"20%%\">%s%%</td></tr>\n", q.rate);
    else
        piece(d, "<td align=center width=\"20%%\">%s</td></tr>\n", q.rate);
}

void footer(FILE *d, const Common &c, int lang)
{
    // Script strings: the values are escaped for a script literal.
    fputc(' ', d);
    if (c.percent)
        js_fout(d, "</table></body><script language=\"JavaScript\">Multi_Language1(%d,\"%s\",\"%s\");"
                     "</script></html>", lang, c.discipline, c.rate_percent);
    else
        js_fout(d, "</table></body><script language=\"JavaScript\">Multi_Language(%d,\"%s\",\"%s\");"
                     "</script></html>", lang, c.discipline, c.rate_limit);
}

void print_head()
{
    frame_head_quoted_meta(kEol);
    frame_style_block_eol(kEol);
    frame_include_eol("../Multi_Language.js", kEol);
    fputs(kMultiLanguage, stdout);
    frame_include_eol("../Multi_Language.js", kEol);
    fputs(kMultiLanguage1, stdout);
    fputs("</head>", stdout);
    fputs(kEol, stdout);
    frame_body_bgcolor();
}

// The table and the footer, written to `doc`.
void build(FILE *doc)
{
    // Values of the longest length the store holds: nothing is cut.
    static Common c;
    static Queue q;
    read_common(c);
    table_head(doc, c);
    for (int n = 1; n <= kQueues; ++n)
        if (read_queue(n, q))
            queue_row(doc, c, n, q);
    footer(doc, c, frame_language_index());
}

} // namespace

int main()
{
    frame_header();
    // The document grows as it is written, so no stored length can overrun it.
    char *text = nullptr;
    size_t len = 0;
    FILE *mem = open_memstream(&text, &len);
    bool built = false;
    wy::Heap<char> owner;
    if (mem) {
        build(mem);
        built = ferror(mem) == 0;
        // fclose sets text and len; the text is ours to free even on failure.
        built &= fclose(mem) == 0;
        owner.reset(text);
    }
    print_head();
    if (built)
        fwrite(text, 1, len, stdout);
    else
        build(stdout); // without memory for it, the document goes out piece by piece
    fputs("\r \n ", stdout);
    fflush(stdout);
    return 0;
}

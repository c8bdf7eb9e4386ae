// url_filter_list: the URL filter entries that have both a state and a URL.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "out.h"
#include "page_parts.h"
#include "store.h"

namespace {

constexpr int kEntries = 16;

constexpr SpanText kSpans[] = {
    {"Active", nullptr},
    {"Index_Text", nullptr},
};

// "No" for "0", "Yes" for "1", anything else is not a state the page knows.
const char *state_word(const char *activate)
{
    if (strcmp(activate, "0") == 0)
        return "No";
    if (strcmp(activate, "1") == 0)
        return "Yes";
    return "Wrong setting";
}

} // namespace

int main()
{
    frame_header();
    head_short("/control.css");
    fputs("\n", stdout);
    frame_style_open();
    fputs("</style>", stdout);
    frame_script_src("../Multi_Language.js");
    frame_script(kSpans, sizeof kSpans / sizeof kSpans[0], nullptr);
    fputs("</head><body class=\"main\" bgcolor=\"#FFFFFF\" topmargin=\"10\" leftmargin=\"0\" >\n",
          stdout);
    // The table tag has always gone out without its ">"; browsers close it at
    // the heading row.
    table_plain(false);
    fputs("<tr>", stdout);
    heading_span_cell(7, "Index_Text");
    heading_span_cell(7, "Active");
    heading_text_cell(75, "URL");
    fputs("</tr>\n", stdout);

    for (int i = 0; i < kEntries; ++i) {
        char node[32];
        snprintf(node, sizeof node, "UrlFilter_Entry%d", i);
        // Long enough that a longer value cannot be cut down to "0" or "1".
        char activate[8];
        char url[WYAPI_BUF_SIZE];
        if (store_get(node, "Activate", activate, sizeof activate) != WYAPI_OK ||
            store_get(node, "URL", url, sizeof url) != WYAPI_OK)
            continue;
        html_out("<tr class=\"tabcolor%d\"><td align=center width=7%%>%d</td>"
                 "<td align=center width=7%%>%s</td><td align=center width=95%%>%s</td></tr>\n",
                 row_class_by_index(i), i + 1, state_word(activate), url);
    }
    frame_footer(frame_language_index());
    return 0;
}

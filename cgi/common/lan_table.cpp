#include "lan_table.h"

#include <stdio.h>
#include <string.h>

#include "out.h"
#include "page_parts.h"
#include "store.h"

const char *const kLanDeleteByIndex =
    "function doDeleteRule(CurrentIndex)\n"
    "{\n"
    "\tvar f = top.main.document.forms[0];\n"
    "\tf.returnCurrentIndex.value = parseInt(CurrentIndex, 10);\n"
    "\tf.submit();\n"
    "}\n";

void lan_page_start(bool line_feed, bool style, const SpanText *spans, size_t count,
                    const char *functions)
{
    frame_header();
    head_short("../control.css");
    if (line_feed)
        fputc('\n', stdout);
    if (style)
        frame_style_block();
    frame_head_end();
    frame_script_src("../General.js");
    frame_script_src("../Multi_Language.js");
    frame_script(spans, count, functions);
    frame_body();
    table_plain(true);
}

void lan_heading_number(int width)
{
    printf("<tr><td width=\"%d\" align=\"center\" class=\"tableTitle\">#</td>\n", width);
}

void lan_heading_span(int width, const char *span, bool closes_row)
{
    html_out("<td width=\"%d\" align=\"center\" class=\"tableTitle\"><span id='%s'></span></td>", width,
             span);
    fputs(closes_row ? "</tr>\n" : "\n", stdout);
}

void lan_row_start(int row_class, int width, int number)
{
    printf("<tr class=\"tabcolor%d\"><td width=\"%d\" align=\"center\">%d</td>\n", row_class, width,
           number);
}

void lan_text_cell(int width, const char *text, bool closes_row)
{
    html_out("<td width=\"%d\" align=\"center\">%s</td>", width, text);
    fputs(closes_row ? "</tr>\n" : "\n", stdout);
}

void lan_icon_cell(int width, bool active)
{
    printf("<td width=\"%d\" align=\"center\"><img src=\"%s\" width=\"16\" height=\"14\"></td>\n", width,
           active ? "../i_active_on.gif" : "../i_active_off.gif");
}

bool lan_lease_active(const char *node)
{
    // Longer than "0:0:0", so a longer value is never cut down to it.
    char expire[16];
    return store_get(node, "ExpireTime", expire, sizeof expire) == WYAPI_OK &&
           strcmp(expire, "0:0:0") != 0;
}

bool lan_key_usable(const char *value, size_t size)
{
    size_t len = strlen(value);
    return len > 0 && len + 1 < size && strcmp(value, "N/A") != 0;
}

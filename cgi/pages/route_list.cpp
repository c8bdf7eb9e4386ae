#include "route_list.h"

#include <stdio.h>

#include "out.h"
#include "page_parts.h"
#include "store.h"

namespace {

constexpr int kEntries = 16;

using Value = char[128];

void print_head(const RouteTable &t)
{
    frame_header();
    fputs("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
          "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\">\n",
          stdout);
    frame_script_src("/General.js");
    frame_script_src("../Multi_Language.js");
    frame_script_open(t.spans, t.span_count,
                      "function doFindCurrentRule(CurrentIndex)\n"
                      "{\n"
                      "\ttop.main.document.forms[0].returnCurrentIndex.value = CurrentIndex;\n"
                      "}\n");
    js_out("function doEditRule()\n"
           "{\n"
           "\ttop.main.location = \"%s?returnCurrentIndex=\" + "
           "top.main.document.forms[0].returnCurrentIndex.value;\n"
           "}\n",
           t.edit_page);
    fputs("function doDeleteRule()\n"
          "{\n"
          "\ttop.main.document.forms[0].submit();\n"
          "}\n"
          "</script></head>\n",
          stdout);
}

void print_headings(const RouteTable &t)
{
    fputs("<tr bgcolor=\"#003399\">"
          "<td width=\"5%\" class=\"tableTitle\"><div align=\"center\">#</div></td>\n",
          stdout);
    for (size_t c = 0; c < t.column_count; ++c)
        html_out("<td width=\"20%%\" class=\"tableTitle\"><div align=\"center\"><span id='%s'>%s</span>"
                 "</div></td>\n",
                 t.columns[c].span, t.columns[c].text);
    fputs("<td width=\"20%\" class=\"tableTitle\"><div align=\"center\"><span id='Modify'></span>"
          "</div></td></tr>\n",
          stdout);
}

void print_route(const RouteTable &t, int i)
{
    char node[64];
    snprintf(node, sizeof node, "%s%d", t.node, i);
    if (row_class_by_index_reversed(i) == 2)
        printf("<tr class=\"tabcolor2\"><td width=\"5%%\"><div align=\"center\"><strong>%d</strong>"
               "</div></td>",
               i + 1);
    else
        printf("<tr class=\"tabcolor1\"><td width=\"5%%\"><div align=\"center\"><strong>%d</strong>"
               "</div></td>",
               i + 1);
    for (size_t c = 0; c < t.column_count; ++c) {
        Value v;
        store_get_or(node, t.columns[c].attr, v, sizeof v, "N/A");
        html_out("<td width=\"20%%\"><div align=\"center\">%s</div></td>", v);
    }
    printf("<td width=\"20%%\"><div align=\"center\">"
           "<a href=\"javascript:doFindCurrentRule(%d); doEditRule();\">"
           "<img src=\"/i_edit.gif\" name=\"Image260\" width=\"19\" height=\"14\" border=\"0\"></a> "
           "<a href=\"javascript:doFindCurrentRule(%d); doDeleteRule();\">"
           "<img src=\"/i_delete.gif\" name=\"Image290\" width=\"19\" height=\"14\" border=\"0\"></a>"
           "</div></td></tr>\n",
           i, i);
}

} // namespace

int route_list_main(const RouteTable &t)
{
    print_head(t);
    fputs("<body marginwidth=\"0\" marginheight=\"0\" LINK=#000000 VLINK=#000000 ALINK=#000000 >\n",
          stdout);
    frame_table();
    print_headings(t);
    for (int i = 0; i < kEntries; ++i)
        print_route(t, i);
    frame_footer(frame_language_index());
    return 0;
}

#include "page_parts.h"

#include <stdio.h>

#include "out.h"
#include "store.h"

void store_get_or(const char *node, const char *attr, char *buf, size_t size,
                  const char *fallback)
{
    if (store_get(node, attr, buf, size) != WYAPI_OK && size > 0)
        snprintf(buf, size, "%s", fallback);
}

void head_short(const char *stylesheet)
{
    html_out("<html><head><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
             "<link rel=\"stylesheet\" href=\"%s\" type=\"text/css\">",
             stylesheet);
}

void table_plain(bool bracket)
{
    fputs("<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" "
          "bordercolor=\"#FFFFFF\"",
          stdout);
    fputs(bracket ? ">\n" : "\n", stdout);
}

void heading_span_cell(int width, const char *id)
{
    html_out("<td width=\"%d%%\" align=\"center\" class=\"tableTitle\"><span id='%s'></span></td>\n",
             width, id);
}

void heading_text_cell(int width, const char *text)
{
    html_out("<td width=\"%d%%\" align=\"center\" class=\"tableTitle\">%s</td>\n", width, text);
}

void modify_cell(int width, const char *page, const char *args, int index, bool ends_row)
{
    // page and args are the program's own texts: "&" in args must stay as it is.
    printf("<td width=\"%d%%\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\">"
           "<a onClick=\"javascript:top.main.location='%s?Index=%d%s'\">"
           "<img src=\"../i_edit.gif\" width=\"19\" height=\"14\"  border=\"0\"> </a> "
           "<a onClick=\"doDeleteRule(%d)\" onMouseOut=\"MM_swapImgRestore()\" "
           "onMouseOver=\"MM_swapImage('Image29','','../i_delete_on.gif',1)\">"
           "<img src=\"../trashcan.gif\"  border=\"0\"> </a></font></td>%s\n",
           width, page, index, args, index, ends_row ? "</tr>" : "");
}

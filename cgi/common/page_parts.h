// Pieces the list pages share beyond the frame: reading a value with its
// default, heading cells, and the edit-and-delete cell of the rule list.
#ifndef WY_CGI_PAGE_PARTS_H
#define WY_CGI_PAGE_PARTS_H

#include <stddef.h>

// Reads `attr` of `node` into `buf` (bounded by `size`); when the read fails,
// `buf` holds `fallback` instead of what the store left there.
void store_get_or(const char *node, const char *attr, char *buf, size_t size,
                  const char *fallback);

// The short head opening: "<html><head>", the Content-Type meta line and the
// stylesheet link to `stylesheet`, with no line feed after it.
void head_short(const char *stylesheet);
// The table tag of the common one without its bgcolor. `bracket` false leaves
// out its closing ">", which pages that always printed it so keep.
void table_plain(bool bracket);

// "<td width=\"W%\" align=\"center\" class=\"tableTitle\"><span id='ID'></span></td>\n".
void heading_span_cell(int width, const char *id);
// The same cell holding the plain text `text` instead of a span.
void heading_text_cell(int width, const char *text);

// The modify cell of the firewall rule list: an edit link opening
// "PAGE?Index=N" followed by `args` in top.main, and a link calling
// doDeleteRule(N). `ends_row` closes the row after the cell.
void modify_cell(int width, const char *page, const char *args, int index, bool ends_row);

#endif

// The static route pages: one body, told by a table which store entries,
// columns and edit page it shows.
#ifndef WY_CGI_ROUTE_LIST_H
#define WY_CGI_ROUTE_LIST_H

#include <stddef.h>

#include "frame.h"

struct RouteColumn {
    const char *attr; // attribute of the entry node shown in the column
    const char *span; // heading span id
    const char *text; // text the span holds until Multi_Language fills it
};

struct RouteTable {
    const char *node;      // entry node name before its index
    const char *edit_page; // opened by doEditRule with the chosen index
    const RouteColumn *columns;
    size_t column_count;
    const SpanText *spans; // filled by Multi_Language
    size_t span_count;
};

// Prints the page of `t`; the program's exit status.
int route_list_main(const RouteTable &t);

#endif

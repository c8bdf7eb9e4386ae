// wan_node_list: the WAN remote nodes, one row per virtual circuit, with edit
// and delete links for every circuit but the first.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "out.h"
#include "page_parts.h"
#include "store.h"

namespace {

constexpr int kCircuits = 8;

constexpr SpanText kSpans[] = {
    {"Encapsulation", nullptr},
    {"Active", nullptr},
    {"Modify", nullptr},
    {"Node_Name", nullptr},
};

constexpr const char *kFunctions =
    "function doDeleteRule(CurrentIndex)\n"
    "{\n"
    "\tvar f = top.main.document.forms[0];\n"
    "\tf.returnCurrentIndex.value = CurrentIndex;\n"
    "\tf.submit();\n"
    "}\n";

using Text = char[64];

struct Node {
    bool active;
    char name[128];
    Text vpi, vci, encap;
};

void read_node(int i, Node &n)
{
    char node[32];
    snprintf(node, sizeof node, "Wan_PVC%d", i);
    // Long enough that a longer value cannot be cut down to "Yes".
    char active[8];
    n.active = store_get(node, "Active", active, sizeof active) == WYAPI_OK &&
               strcmp(active, "Yes") == 0;
    // Only the first circuit has a name of its own; the others get a fixed
    // text rather than whatever the failed read left behind.
    store_get_or(node, "NodeName", n.name, sizeof n.name, i == 0 ? "Wan_PVC0" : "N/A");
    store_get_or(node, "VPI", n.vpi, sizeof n.vpi, "--");
    store_get_or(node, "VCI", n.vci, sizeof n.vci, "--");
    store_get_or(node, "ENCAP", n.encap, sizeof n.encap, "--");
}

void print_node(int i, const Node &n)
{
    printf("<tr class=\"tabcolor%d\">\n", row_class_by_index_reversed(i));
    printf("<td width=\"5%%\" align=\"center\">%d</td>\n", i + 1);
    printf("<td width=\"5%%\" align=\"center\"><input type=\"checkbox\" %s disabled></td>\n",
           n.active ? "checked" : "");
    html_out("<td width=\"30%%\" align=\"center\">%s</td>\n", n.name);
    html_out("<td width=\"15%%\" align=\"center\">%s/%s</td>\n", n.vpi, n.vci);
    html_out("<td width=\"25%%\" align=\"center\">%s</td>\n", n.encap);
    // The first circuit can be neither edited nor deleted here.
    if (i == 0)
        fputs("<td width=\"20%\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\">"
              "</font></td></tr>\n",
              stdout);
    else
        modify_cell(20, "wanRemoteNode_Edit.asp", "", i, true);
}

} // namespace

int main()
{
    frame_header();
    head_short("../control.css");
    fputs("</head>\n", stdout);
    frame_script_src("../General.js");
    frame_script_src("../Multi_Language.js");
    frame_script(kSpans, sizeof kSpans / sizeof kSpans[0], kFunctions);
    fputs("<body bgcolor=\"#FFFFFF\" topmargin=\"10\" leftmargin=\"0\" >\n", stdout);
    table_plain(true);
    fputs("<tr>", stdout);
    heading_text_cell(5, "#");
    heading_span_cell(5, "Active");
    heading_span_cell(30, "Node_Name");
    heading_text_cell(15, "VPI/VCI");
    heading_span_cell(25, "Encapsulation");
    heading_span_cell(20, "Modify");
    fputs("</tr>\n", stdout);

    for (int i = 0; i < kCircuits; ++i) {
        Node n;
        read_node(i, n);
        print_node(i, n);
    }
    frame_footer(frame_language_index());
    return 0;
}

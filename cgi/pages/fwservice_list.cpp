// fwservice_list: the user-defined firewall services, up to the first entry
// without a name, with edit and delete links.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "out.h"
#include "page_parts.h"
#include "store.h"

namespace {

constexpr int kMaxServices = 20;

constexpr SpanText kSpans[] = {
    {"Protocol_Text", nullptr},
    {"No", nullptr},
    {"Name_Text", nullptr},
    {"Modify", nullptr},
};

constexpr const char *kFunctions =
    "<script language=\"JavaScript\">\n"
    "function doDeleteRule(CurrentIndex)\n"
    "{\n"
    "\tvar f = top.main.document.forms[0];\n"
    "\tf.FirewallServiceIndex.value = CurrentIndex;\n"
    "\tf.FirewallServiceAction.value = 1;\n"
    "\tf.submit();\n"
    "}\n"
    "</script>\n";

using Text = char[64];

struct Service {
    char name[128];
    Text protocol, port_type, start, end;
};

// False when the entry has no readable "ServiceName": the list ends there.
bool read_service(const char *node, Service &s)
{
    if (store_get(node, "ServiceName", s.name, sizeof s.name) != WYAPI_OK)
        return false;
    store_get_or(node, "Protocol", s.protocol, sizeof s.protocol, "N/A");
    store_get_or(node, "ServicePortType", s.port_type, sizeof s.port_type, "N/A");
    store_get_or(node, "StartPort", s.start, sizeof s.start, "N/A");
    store_get_or(node, "EndPort", s.end, sizeof s.end, "N/A");
    return true;
}

void print_service(int i, const Service &s)
{
    printf("<tr class=\"tabcolor%d\"><td width=\"5%%\" align=center>%d</td>\n", row_class_by_index(i),
           i + 1);
    html_out("<td width=\"25%%\" align=\"center\">%s</td>\n", s.name);
    html_out("<td width=\"25%%\" align=center>%s</td>\n", s.protocol);
    if (strcmp(s.port_type, "rangePort") == 0)
        html_out("<td width=\"25%%\" align=center>%s-%s</td>\n", s.start, s.end);
    else
        html_out("<td width=\"25%%\" align=center>%s</td>\n", s.start);
    modify_cell(15, "Firewall_ServiceEdit.asp", "&Action=1", i, true);
}

} // namespace

int main()
{
    frame_header();
    frame_head_a();
    frame_style_block();
    frame_script_src("../Multi_Language.js");
    frame_script(kSpans, sizeof kSpans / sizeof kSpans[0], nullptr);
    frame_head_end();
    frame_script_src("../General.js");
    fputs(kFunctions, stdout);
    frame_body();
    frame_table();
    // The heading row is left open, as the rule list's is.
    fputs("<tr><td width=\"5%\" align=center class=\"tableTitle\"><span id='No'></span>.</td>\n"
          "<td width=\"25%\" align=center class=\"tableTitle\"><span id='Name_Text'></span></td>\n"
          "<td width=\"25%\" align=center class=\"tableTitle\"><span id='Protocol_Text'></span></td>\n"
          "<td width=\"25%\" align=center class=\"tableTitle\">Port</td>\n"
          "<td width=\"15%\" align=center class=\"tableTitle\"><span id='Modify'></span></td>\n",
          stdout);

    for (int i = 0; i < kMaxServices; ++i) {
        char node[32];
        snprintf(node, sizeof node, "FWService_Entry%d", i);
        Service s;
        if (!read_service(node, s))
            break;
        print_service(i, s);
    }
    frame_footer(frame_language_index());
    return 0;
}

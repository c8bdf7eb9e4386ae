// wan_pvc_list: the addresses of the eight WAN virtual circuits, with their
// encapsulation and VPI/VCI.
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
    {"IP_Subnet_Mask", nullptr},
    {"Default_Gateway", nullptr},
    {"IP_Address", nullptr},
};

using Text = char[64];
using Addr = char[128];

struct Circuit {
    Addr ip, mask, gateway;
    Text vpi, vci, encap;
};

void read_circuit(int i, Circuit &c)
{
    char pvc[32], info[32];
    snprintf(pvc, sizeof pvc, "Wan_PVC%d", i);
    snprintf(info, sizeof info, "DeviceInfo_PVC%d", i);
    // Long enough that a longer value cannot be cut down to "Yes".
    char active[8];
    if (store_get(pvc, "Active", active, sizeof active) == WYAPI_OK && strcmp(active, "Yes") == 0) {
        store_get_or(info, "WanIP", c.ip, sizeof c.ip, "0.0.0.0");
        store_get_or(info, "WanSubMask", c.mask, sizeof c.mask, "0.0.0.0");
        store_get_or(info, "gateway", c.gateway, sizeof c.gateway, "0.0.0.0");
    } else {
        // An inactive circuit's device information may be stale: never shown.
        snprintf(c.ip, sizeof c.ip, "--");
        snprintf(c.mask, sizeof c.mask, "--");
        snprintf(c.gateway, sizeof c.gateway, "--");
    }
    store_get_or(pvc, "VPI", c.vpi, sizeof c.vpi, "--");
    store_get_or(pvc, "VCI", c.vci, sizeof c.vci, "--");
    store_get_or(pvc, "ENCAP", c.encap, sizeof c.encap, "--");
}

void print_circuit(int i, const Circuit &c)
{
    fputs("<tr class=\"tabcolor2\">\n", stdout);
    printf("<td width=\"10%%\" align=\"center\">PVC%d</td>\n", i);
    html_out("<td width=\"10%%\" align=\"center\">%s</td>\n", c.encap);
    html_out("<td width=\"20%%\" align=\"center\">%s</td>\n", c.ip);
    html_out("<td width=\"15%%\" align=\"center\">%s</td>\n", c.mask);
    html_out("<td width=\"25%%\" align=\"center\">%s</td>\n", c.gateway);
    html_out("<td width=\"25%%\" align=\"center\">%s/%s</td></tr>\n", c.vpi, c.vci);
}

} // namespace

int main()
{
    frame_header();
    head_short("../control.css");
    fputs("</head>\n", stdout);
    frame_script_src("../General.js");
    frame_script_src("../Multi_Language.js");
    frame_script(kSpans, sizeof kSpans / sizeof kSpans[0], nullptr);
    fputs("<body bgcolor=\"#FFFFFF\" topmargin=\"0\" leftmargin=\"0\" >\n", stdout);
    table_plain(true);
    fputs("<tr>", stdout);
    heading_text_cell(10, "#");
    heading_span_cell(10, "Encapsulation");
    heading_span_cell(20, "IP_Address");
    heading_span_cell(15, "IP_Subnet_Mask");
    heading_span_cell(25, "Default_Gateway");
    heading_text_cell(20, "VPI/VCI");
    fputs("</tr>\n", stdout);

    for (int i = 0; i < kCircuits; ++i) {
        Circuit c;
        read_circuit(i, c);
        print_circuit(i, c);
    }
    frame_footer(frame_language_index());
    return 0;
}

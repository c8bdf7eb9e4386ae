// ipmacfilter_list: the IPv4 packet filter rules, one row per stored rule; a
// provider setting selects a reduced form with four data columns.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "frame_variants.h"
#include "out.h"
#include "store.h"
#include "store_read.h"

namespace {

constexpr int kMaxRules = 16;

constexpr SpanText kSpans[] = {
    {"Active", nullptr},
    {"Interface", nullptr},
    {"Filter_Direction", nullptr},
    {"Mac_Address", "MAC_Address"},
    {"Protocol_Text", nullptr},
    {"Filter_Src_IP_Mask", nullptr},
    {"Filter_Dest_IP_Mask", nullptr},
    {"Filter_Dest_Port", nullptr},
    {"Filter_Src_Port", nullptr},
};
// The reduced form fills the first four only.
constexpr size_t kReducedSpans = 4;

struct Heading {
    const char *span;
    int width;
};

constexpr Heading kHeadings[] = {
    {"Active", 5},
    {"Interface", 5},
    {"Filter_Direction", 5},
    {"Filter_Src_IP_Mask", 20},
    {"Filter_Dest_IP_Mask", 20},
    {"Mac_Address", 10},
    {"Filter_Src_Port", 10},
    {"Filter_Dest_Port", 10},
    {"Protocol_Text", 10},
};

using Text = char[128];

struct Rule {
    Text active, interface, direction, mac;
    Text src_ip, src_mask, dest_ip, dest_mask, src_port, dest_port, protocol;
};

// "DOVAN_GUI" of "GUI_Entry3" reading "1" selects the reduced form.
bool reduced_form()
{
    char v[16];
    return store_get("GUI_Entry3", "DOVAN_GUI", v, sizeof v) == WYAPI_OK && strcmp(v, "1") == 0;
}

void print_heading(const Heading &h, const char *end)
{
    html_out("<td width=\"%d%%\" align=center class=\"tableTitle\"><span id='%s'></span></td>", h.width,
             h.span);
    fputs(end, stdout);
}

void print_headings(bool reduced)
{
    fputs("<tr><td width=\"5%\" align=center class=\"tableTitle\">#</td>\n", stdout);
    if (reduced) {
        // Active, Interface, Filter_Direction, Mac_Address; the row stays open.
        for (size_t h = 0; h < 3; ++h)
            print_heading(kHeadings[h], "\n");
        print_heading(kHeadings[5], "\n");
        return;
    }
    constexpr size_t n = sizeof kHeadings / sizeof kHeadings[0];
    for (size_t h = 0; h < n; ++h)
        print_heading(kHeadings[h], h + 1 == n ? "</tr>\n" : "\n");
}

// False when the entry has no readable "Active": no row for it.
bool read_rule(const char *node, bool reduced, Rule &r)
{
    if (store_get(node, "Active", r.active, sizeof r.active) != WYAPI_OK)
        return false;
    store_get_set_or(node, "Interface", r.interface, sizeof r.interface, "N/A");
    store_get_set_or(node, "Direction", r.direction, sizeof r.direction, "N/A");
    store_get_set_or(node, "MacAddr", r.mac, sizeof r.mac, "N/A");
    if (reduced)
        return true;
    store_get_set_or(node, "SrcIPAddr", r.src_ip, sizeof r.src_ip, "N/A");
    store_get_set_or(node, "SrcIPMask", r.src_mask, sizeof r.src_mask, "N/A");
    store_get_set_or(node, "DesIPAddr", r.dest_ip, sizeof r.dest_ip, "N/A");
    store_get_set_or(node, "DesIPMask", r.dest_mask, sizeof r.dest_mask, "N/A");
    store_get_set_or(node, "SrcPort", r.src_port, sizeof r.src_port, "N/A");
    store_get_set_or(node, "DesPort", r.dest_port, sizeof r.dest_port, "N/A");
    store_get_set_or(node, "Protocol", r.protocol, sizeof r.protocol, "N/A");
    return true;
}

void print_rule(int i, bool reduced, const Rule &r)
{
    html_out("<tr class=\"tabcolor%d\"><td align=center>%d</td>\n", row_class_by_index(i), i + 1);
    html_out("<td align=\"center\">%s</td>\n", r.active);
    html_out("<td align=\"center\">%s</td>\n", r.interface);
    html_out("<td align=\"center\">%s</td>\n", r.direction);
    if (!reduced) {
        html_out("<td align=\"center\">%s/<br/>%s</td>\n", r.src_ip, r.src_mask);
        html_out("<td align=\"center\">%s/<br/>%s</td>\n", r.dest_ip, r.dest_mask);
    }
    html_out("<td align=center>%s</td>\n", r.mac);
    if (reduced)
        return; // the reduced row ends after the MAC cell, left open
    html_out("<td align=center>%s</td>\n", r.src_port);
    html_out("<td align=center>%s</td>\n", r.dest_port);
    html_out("<td align=center>%s</td></tr>\n", r.protocol);
}

} // namespace

int main()
{
    bool reduced = reduced_form();
    frame_header();
    frame_head_a();
    frame_style_block();
    frame_include("../Multi_Language.js");
    frame_script_one_line(kSpans, reduced ? kReducedSpans : sizeof kSpans / sizeof kSpans[0], nullptr);
    frame_head_close();
    frame_body();
    frame_table();
    print_headings(reduced);

    for (int i = 0; i < kMaxRules; ++i) {
        char node[32];
        snprintf(node, sizeof node, "IpMacFilter_Entry%d", i);
        Rule rule;
        if (read_rule(node, reduced, rule))
            print_rule(i, reduced, rule);
    }
    frame_footer(frame_language_index());
    return 0;
}

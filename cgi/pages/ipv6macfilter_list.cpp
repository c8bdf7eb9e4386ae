// ipv6macfilter_list: the IPv6 packet filter rules, one row per stored rule,
// the MLD message types shown as words.
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
    {"PrefixLength1", "IPv6_string5"},
    {"PrefixLength2", "IPv6_string5"},
};

struct TypeWord {
    const char *stored;
    const char *shown;
};

constexpr TypeWord kTypeWords[] = {
    {"130", "listener query"},
    {"131", "listener report"},
    {"132", "listener done"},
    {"143", "listener report v2"},
};

using Text = char[128];

struct Rule {
    Text active, interface, direction, icmp_type, src_ip, src_prefix, dest_ip, dest_prefix, mac, protocol;
};

// The word for a known message type, else the stored text itself.
const char *type_text(const char *stored)
{
    for (const TypeWord &w : kTypeWords)
        if (strcmp(stored, w.stored) == 0)
            return w.shown;
    return stored;
}

void print_headings()
{
    fputs("<tr><td width=\"5%\" align=center class=\"tableTitle\">#</td>\n"
          "<td width=\"5%\" align=center class=\"tableTitle\"><span id='Active'></span></td>\n"
          "<td width=\"5%\" align=center class=\"tableTitle\"><span id='Interface'></span></td>\n"
          "<td width=\"5%\" align=center class=\"tableTitle\"><span id='Filter_Direction'></span></td>\n"
          "<td width=\"20%\" align=center class=\"tableTitle\">ICMPv6Type</td>\n"
          "<td width=\"25%\" align=center class=\"tableTitle\">Src IP/<span id='PrefixLength1'>PrefixLength</span></td>\n"
          "<td width=\"25%\" align=center class=\"tableTitle\">Dest IP/<span id='PrefixLength2'>PrefixLength</span></td>\n"
          "<td width=\"10%\" align=center class=\"tableTitle\"><span id='Mac_Address'></span></td>\n"
          "<td width=\"10%\" align=center class=\"tableTitle\"><span id='Protocol_Text'></span></td></tr>\n",
          stdout);
}

// False when the entry has no readable "Active": no row for it.
bool read_rule(const char *node, Rule &r)
{
    if (store_get(node, "Active", r.active, sizeof r.active) != WYAPI_OK)
        return false;
    store_get_set_or(node, "Interface", r.interface, sizeof r.interface, "N/A");
    store_get_set_or(node, "Direction", r.direction, sizeof r.direction, "N/A");
    store_get_set_or(node, "ICMPv6Type", r.icmp_type, sizeof r.icmp_type, "N/A");
    store_get_set_or(node, "SrcIPAddr", r.src_ip, sizeof r.src_ip, "N/A");
    store_get_set_or(node, "SrcIPMask", r.src_prefix, sizeof r.src_prefix, "N/A");
    store_get_set_or(node, "DesIPAddr", r.dest_ip, sizeof r.dest_ip, "N/A");
    store_get_set_or(node, "DesIPMask", r.dest_prefix, sizeof r.dest_prefix, "N/A");
    store_get_set_or(node, "MacAddr", r.mac, sizeof r.mac, "N/A");
    store_get_set_or(node, "Protocol", r.protocol, sizeof r.protocol, "N/A");
    return true;
}

void print_rule(int i, const Rule &r)
{
    html_out("<tr class=\"tabcolor%d\"><td align=center>%d</td>\n", row_class_by_index(i), i + 1);
    html_out("<td align=\"center\">%s</td>\n", r.active);
    html_out("<td align=\"center\">%s</td>\n", r.interface);
    html_out("<td align=\"center\">%s</td>\n", r.direction);
    html_out("<td align=center>%s</td>\n", type_text(r.icmp_type));
    html_out("<td align=\"center\">%s/<br/>%s</td>\n", r.src_ip, r.src_prefix);
    html_out("<td align=\"center\">%s/<br/>%s</td>\n", r.dest_ip, r.dest_prefix);
    html_out("<td align=center>%s</td>\n", r.mac);
    html_out("<td align=center>%s</td></tr>\n", r.protocol);
}

} // namespace

int main()
{
    frame_header();
    frame_head_a();
    frame_style_block();
    frame_include("../Multi_Language.js");
    frame_script_one_line(kSpans, sizeof kSpans / sizeof kSpans[0], nullptr);
    frame_head_close();
    frame_body();
    frame_table();
    print_headings();

    for (int i = 0; i < kMaxRules; ++i) {
        char node[32];
        snprintf(node, sizeof node, "Ipv6MacFilter_Entry%d", i);
        Rule rule;
        if (read_rule(node, rule))
            print_rule(i, rule);
    }
    frame_footer(frame_language_index());
    return 0;
}

// dhcp_static_list: the DHCP static address assignments, each with the state
// of its lease and edit/delete links.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "lan_table.h"
#include "out.h"
#include "page_parts.h"
#include "row_count.h"
#include "store.h"

namespace {

constexpr SpanText kSpans[] = {
    {"Status", nullptr},
    {"IP_Address", nullptr},
    {"MAC_Address", nullptr},
    {"Modify", nullptr},
};

// Long enough for any address; a longer value is cut and then never matches.
using Key = char[64];

struct Entry {
    Key ip, mac;
};

// The state of the first lease with the entry's IP and MAC; inactive when
// none has them. An unset or cut IP or MAC matches nothing.
bool static_entry_active(const Entry &e)
{
    if (!lan_key_usable(e.ip, sizeof e.ip) || !lan_key_usable(e.mac, sizeof e.mac))
        return false;
    int leases = 0;
    // An unreadable lease count: no lease to match, the entry shows inactive.
    if (!row_count_read("DhcpLease", "LeaseNum", kMaxLeases, &leases))
        return false;
    for (int i = 0; i < leases; ++i) {
        char node[32];
        snprintf(node, sizeof node, "DhcpLease_Entry%d", i);
        Key ip, mac;
        if (store_get(node, "IP", ip, sizeof ip) != WYAPI_OK ||
            store_get(node, "MAC", mac, sizeof mac) != WYAPI_OK)
            continue;
        if (strcmp(ip, e.ip) == 0 && strcmp(mac, e.mac) == 0)
            return lan_lease_active(node);
    }
    return false;
}

void print_headings()
{
    lan_heading_number(45);
    lan_heading_span(61, "Status", false);
    lan_heading_span(224, "IP_Address", false);
    lan_heading_span(245, "MAC_Address", false);
    lan_heading_span(220, "Modify", true);
}

void print_modify(int i, bool active)
{
    fputs("<td width=\"220\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\">", stdout);
    if (active)
        fputs("&nbsp; &nbsp;&nbsp; ", stdout);
    else
        printf("<a onClick=\"javascript:top.main.location='LAN_ClientInfo.asp?Index=%d'\">"
               "<img src=\"../i_edit.gif\" width=\"19\" height=\"14\"  border=\"0\"> </a> ",
               i);
    printf("<a onClick=\"doDeleteRule(%d)\" onMouseOut=\"MM_swapImgRestore()\" "
           "onMouseOver=\"MM_swapImage('Image29','','../i_delete_on.gif',1)\">"
           "<img src=\"../trashcan.gif\"  border=\"0\"> </a></font></td></tr>\n",
           i);
}

} // namespace

int main()
{
    lan_page_start(true, true, kSpans, sizeof kSpans / sizeof kSpans[0], kLanDeleteByIndex);
    print_headings();

    int count = 0;
    // Unreadable count: the document ends after the heading row.
    if (!row_count_read("Dhcpd", "MaxStaticNum", kMaxStaticEntries, &count))
        return -1;
    for (int i = 0; i < count; ++i) {
        char node[32];
        snprintf(node, sizeof node, "Dhcpd_Entry%d", i);
        Entry e;
        store_get_or(node, "IP", e.ip, sizeof e.ip, "N/A");
        store_get_or(node, "MAC", e.mac, sizeof e.mac, "N/A");
        bool active = static_entry_active(e);
        lan_row_start(row_class_by_index_reversed(i), 45, i + 1);
        lan_icon_cell(61, active);
        lan_text_cell(224, e.ip, false);
        lan_text_cell(280, e.mac, false);
        print_modify(i, active);
    }
    frame_footer(frame_language_index());
    return 0;
}

// dhcp_lease_list: the DHCP leases with their state; an entry without an
// address gets no row.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "lan_table.h"
#include "page_parts.h"
#include "row_count.h"
#include "store.h"

namespace {

constexpr SpanText kSpans[] = {
    {"Status", nullptr},
    {"Host_Name", nullptr},
    {"IP_Address", nullptr},
    {"Mac_Address", "MAC_Address"},
};

using Text = char[128];

void print_headings()
{
    lan_heading_number(15);
    lan_heading_span(41, "Status", false);
    lan_heading_span(173, "Host_Name", false);
    lan_heading_span(214, "IP_Address", false);
    lan_heading_span(235, "Mac_Address", false);
}

} // namespace

int main()
{
    lan_page_start(true, false, kSpans, sizeof kSpans / sizeof kSpans[0], nullptr);
    print_headings();

    int count = 0;
    // Unreadable count: the document ends after the heading row.
    if (!row_count_read("DhcpLease", "LeaseNum", kMaxLeases, &count))
        return -1;
    int printed = 0;
    for (int i = 0; i < count; ++i) {
        char node[32];
        snprintf(node, sizeof node, "DhcpLease_Entry%d", i);
        Text host, ip, mac;
        store_get_or(node, "HostName", host, sizeof host, "N/A");
        store_get_or(node, "IP", ip, sizeof ip, "N/A");
        store_get_or(node, "MAC", mac, sizeof mac, "N/A");
        if (strcmp(ip, "N/A") == 0)
            continue;
        lan_row_start(row_class_by_count(printed), 15, printed + 1);
        ++printed;
        lan_icon_cell(41, lan_lease_active(node));
        lan_text_cell(173, host, false);
        lan_text_cell(214, ip, false);
        lan_text_cell(235, mac, true);
    }
    frame_footer(frame_language_index());
    return 0;
}

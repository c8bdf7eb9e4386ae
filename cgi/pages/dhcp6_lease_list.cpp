// dhcp6_lease_list: the DHCPv6 leases; an entry without an address gets no
// row.
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
    {"IPv6_Client_Addr", nullptr},
    {"IPv6_Client_DUID", nullptr},
};

void print_headings()
{
    lan_heading_number(15);
    lan_heading_span(41, "Status", false);
    lan_heading_span(214, "IPv6_Client_Addr", false);
    lan_heading_span(235, "IPv6_Client_DUID", false);
}

} // namespace

int main()
{
    lan_page_start(true, true, kSpans, sizeof kSpans / sizeof kSpans[0], nullptr);
    print_headings();

    int count = 0;
    // Unreadable count: the document ends after the heading row.
    if (!row_count_read("Dhcp6Lease", "LeaseNum", kMaxLeases, &count))
        return -1;
    int printed = 0;
    for (int i = 0; i < count; ++i) {
        char node[32];
        snprintf(node, sizeof node, "Dhcp6Lease_Entry%d", i);
        char ip6[128];
        // A DUID is at most 130 bytes, shown in hex with separators.
        char duid[400];
        store_get_or(node, "IP6", ip6, sizeof ip6, "N/A");
        store_get_or(node, "ClientDuid", duid, sizeof duid, "N/A");
        if (strcmp(ip6, "N/A") == 0)
            continue;
        lan_row_start(row_class_by_count(printed), 15, printed + 1);
        ++printed;
        lan_icon_cell(41, true);
        lan_text_cell(214, ip6, false);
        lan_text_cell(235, duid, true);
    }
    frame_footer(frame_language_index());
    return 0;
}

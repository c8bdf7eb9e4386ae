// wifi_station_list: the wireless stations associated now, with their
// association time.
#include <stdio.h>

#include "frame.h"
#include "lan_table.h"
#include "row_count.h"
#include "store.h"

namespace {

constexpr SpanText kSpans[] = {
    {"Asso_Time", nullptr},
    {"Mac_Address", "MAC_Address"},
};

void print_headings()
{
    lan_heading_number(15);
    lan_heading_span(214, "Mac_Address", false);
    lan_heading_span(235, "Asso_Time", false);
}

} // namespace

int main()
{
    lan_page_start(false, true, kSpans, sizeof kSpans / sizeof kSpans[0], nullptr);
    print_headings();

    int count = 0;
    // Unreadable count: the document ends after the heading row.
    if (!row_count_read("wifiMacTab_Common", "NUM", kMaxStations, &count))
        return -1;
    int printed = 0;
    for (int i = 0; i < count; ++i) {
        char node[40];
        snprintf(node, sizeof node, "wifiMacTab_Entry%d", i);
        char mac[64], time[64];
        if (store_get(node, "MAC", mac, sizeof mac) != WYAPI_OK)
            continue;
        if (store_get(node, "TIME", time, sizeof time) != WYAPI_OK)
            snprintf(time, sizeof time, "N/A");
        lan_row_start(row_class_by_count(printed), 15, printed + 1);
        ++printed;
        lan_text_cell(214, mac, false);
        lan_text_cell(235, time, true);
    }
    frame_footer(frame_language_index());
    return 0;
}

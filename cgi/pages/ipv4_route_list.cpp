// ipv4_route_list: the sixteen IPv4 static route entries.
#include "route_list.h"

namespace {

constexpr RouteColumn kColumns[] = {
    {"DST_IP", "Destination", ""},
    {"Sub_mask", "Netmask", ""},
    {"Gateway", "Gateway", ""},
};

constexpr SpanText kSpans[] = {
    {"Destination", nullptr},
    {"Netmask", nullptr},
    {"Gateway", nullptr},
    {"Modify", nullptr},
};

constexpr RouteTable kTable = {
    "Route_Entry",      "/cgi-bin/StaticRouteEntry.asp",
    kColumns,           sizeof kColumns / sizeof kColumns[0],
    kSpans,             sizeof kSpans / sizeof kSpans[0],
};

} // namespace

int main()
{
    return route_list_main(kTable);
}

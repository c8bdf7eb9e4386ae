// ipv6_route_list: the sixteen IPv6 static route entries.
#include "route_list.h"

namespace {

constexpr RouteColumn kColumns[] = {
    {"DST_IP", "Destination", ""},
    {"PrefixV6Length", "Prefix_Length_Text", "Prefix Length"},
    {"Gateway", "Gateway", ""},
    {"Device", "Device_Text", "Device"},
};

constexpr SpanText kSpans[] = {
    {"Destination", nullptr},
    {"Prefix_Length_Text", nullptr},
    {"Gateway", nullptr},
    {"Device_Text", nullptr},
    {"Modify", nullptr},
};

constexpr RouteTable kTable = {
    "IPv6Route_Entry",  "/cgi-bin/IPv6StaticRouteEntry.asp",
    kColumns,           sizeof kColumns / sizeof kColumns[0],
    kSpans,             sizeof kSpans / sizeof kSpans[0],
};

} // namespace

int main()
{
    return route_list_main(kTable);
}

// Shapes the LAN-side list pages share: the start of the DHCP and station
// pages, heading and row cells sized in pixels, the state icon, a lease's
// state, and how many rows each list can have.
#ifndef WY_CGI_LAN_TABLE_H
#define WY_CGI_LAN_TABLE_H

#include <stddef.h>

#include "frame.h"

// Upper bounds of the stored counts (larger counts are clamped to them).
constexpr int kMaxStaticEntries = 64;  // "MaxStaticNum" of "Dhcpd"
constexpr int kMaxLeases = 256;        // "LeaseNum" of "DhcpLease" and of "Dhcp6Lease"
constexpr int kMaxBssids = 16;         // "BssidNum" of "WLan_Common" (entry 0 included)
constexpr int kMaxStations = 64;       // "NUM" of "wifiMacTab_Common"
// Samba users and USB devices have a fixed number of slots.
constexpr int kFixedSlots = 16;

// doDeleteRule(CurrentIndex): puts the index, read in base 10, into the
// form's returnCurrentIndex and submits the form.
extern const char *const kLanDeleteByIndex;

// The DHCP and station pages from the header to the table tag: the short
// head with "../control.css" (a line feed after it when `line_feed`), the style block when `style`,
// both script includes, Multi_Language for `spans` and the page's `functions`,
// the body and a table tag without background.
void lan_page_start(bool line_feed, bool style, const SpanText *spans, size_t count,
                    const char *functions);

// Heading row: "<tr>" and the "#" cell, then one span cell per heading; the
// last cell closes the row when `closes_row`.
void lan_heading_number(int width);
void lan_heading_span(int width, const char *span, bool closes_row);

// Row start: the row class and the number cell.
void lan_row_start(int row_class, int width, int number);
// "<td width=\"W\" align=\"center\">TEXT</td>", TEXT escaped, then "</tr>"
// when `closes_row`, then a line feed.
void lan_text_cell(int width, const char *text, bool closes_row);
// The state icon cell: "../i_active_on.gif" or "../i_active_off.gif".
void lan_icon_cell(int width, bool active);

// A lease is active when its "ExpireTime" can be read and is not "0:0:0".
bool lan_lease_active(const char *node);

// True when `value`, read into a buffer of `size` bytes, can identify an
// entry: set (not "N/A", not empty) and not possibly cut by the read.
bool lan_key_usable(const char *value, size_t size);

#endif

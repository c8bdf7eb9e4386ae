// fwrule_list: the firewall rules of the selected direction, one row per
// stored rule, with edit, delete and move links.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "out.h"
#include "page_parts.h"
#include "store.h"

namespace {

constexpr int kMaxRules = 50;

constexpr SpanText kSpans[] = {
    {"Active", nullptr},
    {"Filter_SrcIP", nullptr},
    {"Filter_DestIP", nullptr},
    {"Firewall_Src_MacAddr", nullptr},
    {"Firewall_Src_Interface", nullptr},
    {"Firewall_Dest_Interface", nullptr},
    {"Firewall_Schedule_string", nullptr},
    {"Firewall_Log", nullptr},
    {"Firewall_Rate_Limit", nullptr},
    {"Firewall_TCP_flag", nullptr},
    {"Firewall_Service", nullptr},
    {"Action_Text", nullptr},
    {"Modify", nullptr},
    {"Order_Text", nullptr},
};

constexpr const char *kFunctions =
    "function doDeleteRule(CurrentIndex)\n"
    "{\n"
    "\tvar f = top.main.document.forms[0];\n"
    "\tf.FirewallRuleIndexFlag.value = CurrentIndex;\n"
    "\tf.FirewallActionFlag.value = 1;\n"
    "\tf.FirewallRuleFlag.value = 1;\n"
    "\tf.submit();\n"
    "}\n"
    "function doshowmove(CurrentIndex)\n"
    "{\n"
    "\tvar f = top.main.document.forms[0];\n"
    "\tf.FirewallRuleIndexFlag.value = CurrentIndex;\n"
    "\tf.FirewallActionFlag.value = 3;\n"
    "\tvar move = top.main.document.getElementById(\"move\");\n"
    "\tmove.style.display = move.style.display == \"none\" ? \"\" : \"none\";\n"
    "}\n";

struct Heading {
    const char *span;
    int width;
};

constexpr Heading kHeadings[] = {
    {"Active", 5},
    {"Filter_SrcIP", 20},
    {"Filter_DestIP", 20},
    {"Firewall_Src_MacAddr", 10},
    {"Firewall_Service", 10},
    {"Action_Text", 5},
    {"Firewall_Src_Interface", 3},
    {"Firewall_Dest_Interface", 3},
    {"Firewall_Schedule_string", 3},
    {"Firewall_Log", 3},
    {"Firewall_Rate_Limit", 3},
    {"Firewall_TCP_flag", 3},
    {"Modify", 5},
    {"Order_Text", 4},
};

constexpr const char *kDays[] = {
    "Schedule_Everyday", "Schedule_Mon", "Schedule_Tue", "Schedule_Wed", "Schedule_Thu",
    "Schedule_Fri", "Schedule_Sat", "Schedule_Sun", "Schedule_Allday",
};
constexpr const char *kTimes[] = {
    "Schedule_Start_hour", "Schedule_Start_minute", "Schedule_End_hour", "Schedule_End_minute",
};

using Text = char[64];
using Addr = char[128];

struct Side {
    Text type;
    Addr start, end, mask;
};

struct Rule {
    Text active, ip_type, src_mac, service, action, src_if, dest_if, log;
    Text rate_limit, rate_unit, rate_burst, tcp_flag;
    Side src, dest;
    bool scheduled;
};

// Reads into `buf`, putting `fallback` there when the read fails.
void read_or(const char *node, const char *attr, char *buf, size_t size, const char *fallback)
{
    if (store_get(node, attr, buf, size) != WYAPI_OK)
        snprintf(buf, size, "%s", fallback);
}

// "WebCurSet_Entry" "firewalldir_id", "LANtoLAN" when unreadable or "N/A".
// Long enough that a cut value still makes a node name the store refuses.
void read_direction(Text dir)
{
    if (store_get("WebCurSet_Entry", "firewalldir_id", dir, sizeof(Text)) != WYAPI_OK ||
        strcmp(dir, "N/A") == 0)
        snprintf(dir, sizeof(Text), "LANtoLAN");
}

void read_side(const char *node, const char *prefix, Side &s)
{
    char attr[32];
    snprintf(attr, sizeof attr, "%sIPAddrType", prefix);
    read_or(node, attr, s.type, sizeof s.type, "N/A");
    snprintf(attr, sizeof attr, "%sStartIPAddr", prefix);
    read_or(node, attr, s.start, sizeof s.start, "N/A");
    snprintf(attr, sizeof attr, "%sEndIPAddr", prefix);
    read_or(node, attr, s.end, sizeof s.end, "N/A");
    snprintf(attr, sizeof attr, "%sSubnetMask", prefix);
    read_or(node, attr, s.mask, sizeof s.mask, "N/A");
}

bool read_scheduled(const char *node)
{
    char v[8];
    bool on = false;
    for (const char *day : kDays) {
        read_or(node, day, v, sizeof v, "No");
        on |= strcmp(v, "No") != 0;
    }
    for (const char *t : kTimes) {
        read_or(node, t, v, sizeof v, "");
        on |= v[0] != '\0';
    }
    return on;
}

// False when the entry has no readable "Active": the list ends there.
bool read_rule(const char *node, Rule &r)
{
    if (store_get(node, "Active", r.active, sizeof r.active) != WYAPI_OK)
        return false;
    read_or(node, "IPType", r.ip_type, sizeof r.ip_type, "N/A");
    read_side(node, "Src", r.src);
    read_side(node, "Dest", r.dest);
    read_or(node, "SrcMac", r.src_mac, sizeof r.src_mac, "N/A");
    read_or(node, "Service", r.service, sizeof r.service, "N/A");
    read_or(node, "Action", r.action, sizeof r.action, "N/A");
    read_or(node, "SrcInterface", r.src_if, sizeof r.src_if, "N/A");
    read_or(node, "DestInterface", r.dest_if, sizeof r.dest_if, "N/A");
    r.scheduled = read_scheduled(node);
    read_or(node, "Log", r.log, sizeof r.log, "No");
    read_or(node, "RateLimit", r.rate_limit, sizeof r.rate_limit, "");
    read_or(node, "RateUnit", r.rate_unit, sizeof r.rate_unit, "");
    read_or(node, "RateBurst", r.rate_burst, sizeof r.rate_burst, "");
    read_or(node, "TcpFlag", r.tcp_flag, sizeof r.tcp_flag, "N/A");
    return true;
}

void print_headings()
{
    fputs("<tr><td width=\"3%\" align=center class=\"tableTitle\">#</td>\n", stdout);
    for (const Heading &h : kHeadings)
        html_out("<td width=\"%d%%\" align=center class=\"tableTitle\"><span id='%s'></span></td>\n",
                 h.width, h.span);
}

// An address form other than the four prints no cell.
void print_address(const Side &s, const char *ip_type)
{
    if (strcmp(s.type, "AnyAddr") == 0) {
        if (strcmp(ip_type, "IPv6") == 0)
            fputs("<td width=\"20%\" align=center>IPv6 Any</td>\n", stdout);
        else
            fputs("<td width=\"20%\" align=center>IPv4 Any</td>\n", stdout);
    } else if (strcmp(s.type, "SingleAddr") == 0) {
        html_out("<td width=\"20%%\" align=center>%s</td>\n", s.start);
    } else if (strcmp(s.type, "RangeAddr") == 0) {
        html_out("<td width=\"20%%\" align=center>%s-%s</td>\n", s.start, s.end);
    } else if (strcmp(s.type, "SubnetAddr") == 0) {
        html_out("<td width=\"20%%\" align=center>%s/%s</td>\n", s.start, s.mask);
    }
}

const char *yes_no(bool b)
{
    return b ? "Yes" : "No";
}

void print_rule(int i, const Rule &r)
{
    html_out("<tr class=\"tabcolor%d\"><td width=\"3%%\" align=center>%d</td>\n", row_class_by_index(i),
             i + 1);
    html_out("<td width=\"5%%\" align=\"center\">%s</td>\n", r.active);
    print_address(r.src, r.ip_type);
    print_address(r.dest, r.ip_type);
    html_out("<td width=\"10%%\" align=center>%s</td>\n", r.src_mac);
    html_out("<td width=\"10%%\" align=center>%s</td>\n", r.service);
    html_out("<td width=\"5%%\" align=center>%s</td>\n", r.action);
    html_out("<td width=\"3%%\" align=center>%s</td>\n", r.src_if);
    html_out("<td width=\"3%%\" align=center>%s</td>\n", r.dest_if);
    html_out("<td width=\"3%%\" align=center>%s</td>\n", yes_no(r.scheduled));
    html_out("<td width=\"3%%\" align=center>%s</td>\n", r.log);
    bool rate = (r.rate_limit[0] && r.rate_unit[0]) || r.rate_burst[0];
    html_out("<td width=\"3%%\" align=center>%s</td>\n", yes_no(rate));
    bool tcp = r.tcp_flag[0] && (strstr(r.service, "TCP") || strstr(r.service, "All"));
    html_out("<td width=\"3%%\" align=center>%s</td>\n", yes_no(tcp));
    modify_cell(5, "Firewall_RuleEdit.asp", "&Action=2", i, false);
    printf("<td width=\"4%%\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\"> "
           "<a onClick=\"doshowmove(%d)\" onMouseOut=\"MM_swapImgRestore()\" "
           "onMouseOver=\"MM_swapImage('Imageton0','','../i_ton_on.gif',1)\"> "
           "<img src=\"../i_ton.gif\"  border=\"0\"></a></font></td></tr>\n",
           i);
}

} // namespace

int main()
{
    frame_header();
    frame_head_a();
    frame_style_block();
    frame_head_end();
    frame_script_src("../General.js");
    frame_script_src("../Multi_Language.js");
    frame_script(kSpans, sizeof kSpans / sizeof kSpans[0], kFunctions);
    frame_body();
    frame_table();
    print_headings();

    Text dir;
    read_direction(dir);
    for (int i = 0; i < kMaxRules; ++i) {
        char node[96];
        int n = snprintf(node, sizeof node, "Firewall_%s_Entry%d", dir, i);
        if (n < 0 || static_cast<size_t>(n) >= sizeof node)
            break;
        Rule rule;
        if (!read_rule(node, rule))
            break;
        print_rule(i, rule);
    }
    frame_footer(frame_language_index());
    return 0;
}

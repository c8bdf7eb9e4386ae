// fwservice_select: the drop-down list of firewall services, the built-in ones
// first, then those the user defined; one option may come preselected.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "frame_variants.h"
#include "out.h"
#include "page_parts.h"
#include "store.h"

namespace {

constexpr int kMaxUserServices = 20;

struct Service {
    const char *value;
    const char *label;
};

// Stored rules hold these values as they stand, the ICMPv6 one that lacks its
// closing bracket included; do not tidy them.
constexpr Service agtGamePortMap[] = {
    {"Any[All]", "Any[All]"},
    {"Any[TCP]", "Any[TCP]"},
    {"Any[UDP]", "Any[UDP]"},
    {"Any[ICMP]", "Any[ICMP]"},
    {"AIM/NEW-ICQ[TCP/5190]", "AIM/NEW-ICQ[TCP/5190]"},
    {"AUTH[TCP/113]", "AUTH[TCP/113]"},
    {"BGP[TCP/179]", "BGP[TCP/179]"},
    {"BOOTP_CLIENT[UDP/68]", "BOOTP_CLIENT[UDP/68]"},
    {"BOOTP_SERVER[UDP/67]", "BOOTP_SERVER[UDP/67]"},
    {"CU-SEEME[TCP/7648,24032]", "CU-SEEME[TCP/7648,24032]"},
    {"DNS[UDP/53]", "DNS[UDP/53]"},
    {"FINGER[TCP/79]", "FINGER[TCP/79]"},
    {"FTP[TCP/20,21]", "FTP[TCP/20,21]"},
    {"H.323[TCP/1720]", "H.323[TCP/1720]"},
    {"HTTP[TCP/80]", "HTTP[TCP/80]"},
    {"HTTPS[TCP/443]", "HTTPS[TCP/443]"},
    {"ICQ[UDP/4000]", "ICQ[UDP/4000]"},
    {"IKE[UDP/500]", "IKE[UDP/500]"},
    {"IRC[TCP/6667]", "IRC[TCP/6667]"},
    {"MSN Messenger[TCP/1863]", "MSN Messenger[TCP/1863]"},
    {"NEWS[TCP/144]", "NEWS[TCP/144]"},
    {"NetBIOS[UDP/137,138,139,445]", "NetBIOS[UDP/137,138,139,445]"},
    {"NFS[UDP/2049]", "NFS[UDP/2049]"},
    {"NNTP[TCP/119]", "NNTP[TCP/119]"},
    {"POP3[TCP/110]", "POP3[TCP/110]"},
    {"PPTP[TCP/1723]", "PPTP[TCP/1723]"},
    {"RCMD[TCP/512]", "RCMD[TCP/512]"},
    {"REAL-AUDIO[TCP/7070]", "REAL-AUDIO[TCP/7070]"},
    {"REXEC[TCP/514]", "REXEC[TCP/514]"},
    {"RLOGIN[TCP/513]", "RLOGIN[TCP/513]"},
    {"RTELNET[TCP/107]", "RTELNET[TCP/107]"},
    {"RTSP[TCP/554]", "RTSP[TCP/554]"},
    {"SFTP[TCP/115]", "SFTP[TCP/115]"},
    {"SMTP[TCP/25]", "SMTP[TCP/25]"},
    {"SNMP[UDP/161]", "SNMP[UDP/161]"},
    {"SNMP-TRAPS[UDP/162]", "SNMP-TRAPS[UDP/162]"},
    {"SQL-NET[TCP/1521]", "SQL-NET[TCP/1521]"},
    {"SSDP[UDP/1900]", "SSDP[UDP/1900]"},
    {"SSH[TCP/22]", "SSH[TCP/22]"},
    {"STRMWORKS[UDP/1558]", "STRMWORKS[UDP/1558]"},
    {"SYSLOG[UDP/514]", "SYSLOG[UDP/514]"},
    {"TACACS[UDP/49]", "TACACS[UDP/49]"},
    {"TELNET[TCP/23]", "TELNET[TCP/23]"},
    {"TFTP[UDP/69]", "TFTP[UDP/69]"},
    {"VDOLIVE[TCP/7000]", "VDOLIVE[TCP/7000]"},
    {"Microsoft RDP[TCP/3389]", "Microsoft RDP[TCP/3389]"},
    {"VNC[TCP/5900]", "VNC[TCP/5900]"},
    {"NTP[UDP/123]", "NTP[UDP/123]"},
    {"ICMPv6[1/No-Route]", "ICMPv6[1/No-Route]"},
    {"ICMPv6[1/Communication-Prohibited]", "ICMPv6[1/Communication-Prohibited]"},
    {"ICMPv6[1/Address-Unreachable]", "ICMPv6[1-Destination Unreachable/Address-Unreachable]"},
    {"ICMPv6[2/Packet-Too-Big]", "ICMPv6[2/Packet-Too-Big]"},
    {"ICMPv6[3/TTL-Zero-During-Transit]", "ICMPv6[3-Time Exceeded/TTL-Zero-During-Transit]"},
    {"ICMPv6[3/TTL-Zero-During-Reassembly]", "ICMPv6[3-Time Exceeded/TTL-Zero-During-Reassembly]"},
    {"ICMPv6[4/Bad-Header]", "ICMPv6[4-Parameter Problem/Bad-Header]"},
    {"ICMPv6[4/Unknown-Header-Type]", "ICMPv6[4-Parameter Problem/Unknown-Header-Type]"},
    {"ICMPv6[4/Unknown-Option]", "ICMPv6[4-Parameter Problem/Unknown-Option]"},
    {"ICMPv6[128/Echo-Request]", "ICMPv6[128/Echo-Request]"},
    {"ICMPv6[129/Echo-Reply]", "ICMPv6[129/Echo-Reply]"},
    {"ICMPv6[133/Router-Solicitation]", "ICMPv6[133/Router-Solicitation]"},
    {"ICMPv6[134/Router-Advertisement]", "ICMPv6[134/Router-Advertisement]"},
    {"ICMPv6[135/Neighbour-Solicitation", "ICMPv6[135/Neighbour-Solicitation]"},
    {"ICMPv6[136/Neighbour-Advertisement]", "ICMPv6[136/Neighbour-Advertisement]"},
    {"ICMPv6[137/Redirect]", "ICMPv6[137/Redirect]"},
    {nullptr, nullptr},
};

constexpr SpanText kSpans[] = {
    {"Firewall_Available_Server_4", nullptr},
    {"Firewall_Available_Server_3", nullptr},
    {"Firewall_Available_Server_1", nullptr},
    {"Firewall_Available_Server_2", nullptr},
};

// The four "Any" options take their labels from the translated spans.
constexpr const char *kAnyLabels =
    "var s=document.getElementById(\"FWRCfg_ServiceSrc_ID\");"
    "s.options[0].text = document.getElementById(\"Firewall_Available_Server_1\").innerHTML;"
    "s.options[1].text = document.getElementById(\"Firewall_Available_Server_2\").innerHTML;"
    "s.options[2].text = document.getElementById(\"Firewall_Available_Server_3\").innerHTML;"
    "s.options[3].text = document.getElementById(\"Firewall_Available_Server_4\").innerHTML;";

using Value = char[WYAPI_BUF_SIZE];

// Name, protocol and two ports of at most WYAPI_VALUE_MAX bytes each, with
// "[/:]": never cut, so a long value cannot be cut into a match.
constexpr size_t kServiceTextSize = 4 * WYAPI_VALUE_MAX + 5;

// The value to preselect: "Service" of "Firewall_Direction_Entry" right after
// the rule editor's "2", else a text that matches no built-in value.
void read_preselected(Value out)
{
    char action[16];
    if (store_get("WebCurSet_Entry", "firewallrule_action", action, sizeof action) == WYAPI_OK &&
        strcmp(action, "2") == 0)
        store_get_or("Firewall_Direction_Entry", "Service", out, sizeof(Value), "N/A");
    else
        snprintf(out, sizeof(Value), "Any[ALL]");
}

void print_option(const char *value, const char *label, const char *preselected)
{
    html_out("<option value=\"%s\"", value);
    if (strcmp(value, preselected) == 0)
        fputs("selected", stdout);
    html_out(">%s</option>\n", label);
}

// False when entry j holds no service: the user list ends there.
bool read_user_service(int j, char *text, size_t size)
{
    char node[32];
    snprintf(node, sizeof node, "FWService_Entry%d", j);
    Value protocol, port_type, start, end, name;
    store_get_or(node, "Protocol", protocol, sizeof protocol, "N/A");
    store_get_or(node, "ServicePortType", port_type, sizeof port_type, "N/A");
    store_get_or(node, "StartPort", start, sizeof start, "N/A");
    store_get_or(node, "EndPort", end, sizeof end, "N/A");
    if (store_get(node, "ServiceName", name, sizeof name) != WYAPI_OK || name[0] == '\0' ||
        strcmp(name, "N/A") == 0)
        return false;
    if (strcmp(port_type, "rangePort") == 0)
        snprintf(text, size, "%s[%s/%s:%s]", name, protocol, start, end);
    else
        snprintf(text, size, "%s[%s/%s]", name, protocol, start);
    return true;
}

} // namespace

int main()
{
    frame_header();
    frame_head_a();
    frame_style_block();
    frame_head_close();
    frame_include("../General.js");
    frame_include("../Multi_Language.js");
    frame_script_one_line(kSpans, sizeof kSpans / sizeof kSpans[0], kAnyLabels);
    frame_body();
    fputs("<tr><td><select id='FWRCfg_ServiceSrc_ID' name=\"FWRCfg_ServiceSrc\" "
          "OnChange=\"top.main.document.forms[0].FWRCfg_ServiceSelect.value = "
          "this.options[this.selectedIndex].value; \" size=1>\n",
          stdout);

    Value preselected;
    read_preselected(preselected);
    for (const Service *s = agtGamePortMap; s->value; ++s)
        print_option(s->value, s->label, preselected);

    static char text[kServiceTextSize];
    for (int j = 0; j < kMaxUserServices && read_user_service(j, text, sizeof text); ++j)
        print_option(text, text, preselected);

    fputs("</select></td></tr>\n"
          "<tr><td style=\"display:none\"><span id='Firewall_Available_Server_1' "
          "style=\"display:none\"></span>\n"
          "<span id='Firewall_Available_Server_2' style=\"display:none\"></span>"
          "<span id='Firewall_Available_Server_3' style=\"display:none\"></span>"
          "<span id='Firewall_Available_Server_4' style=\"display:none\"></span></td></tr>\n",
          stdout);
    frame_footer_no_table(frame_language_index());
    return 0;
}

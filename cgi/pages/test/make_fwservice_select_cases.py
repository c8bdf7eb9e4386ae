#!/usr/bin/env python3
"""Writes the store fixtures (NAME.cfg) and the expected pages (NAME.html) of
the fwservice_select golden test into fwservice_select/. The expected text is
put together here from the page's literal texts, independently of the program;
review a changed .html by eye before committing it."""
import os
import sys

sys.dont_write_bytecode = True
from make_fwrule_list_cases import cfg, html  # noqa: E402

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fwservice_select")

VALUES = [
    "Any[All]", "Any[TCP]", "Any[UDP]", "Any[ICMP]", "AIM/NEW-ICQ[TCP/5190]", "AUTH[TCP/113]", "BGP[TCP/179]",
    "BOOTP_CLIENT[UDP/68]", "BOOTP_SERVER[UDP/67]", "CU-SEEME[TCP/7648,24032]", "DNS[UDP/53]", "FINGER[TCP/79]",
    "FTP[TCP/20,21]", "H.323[TCP/1720]", "HTTP[TCP/80]", "HTTPS[TCP/443]", "ICQ[UDP/4000]", "IKE[UDP/500]",
    "IRC[TCP/6667]", "MSN Messenger[TCP/1863]", "NEWS[TCP/144]", "NetBIOS[UDP/137,138,139,445]", "NFS[UDP/2049]",
    "NNTP[TCP/119]", "POP3[TCP/110]", "PPTP[TCP/1723]", "RCMD[TCP/512]", "REAL-AUDIO[TCP/7070]", "REXEC[TCP/514]",
    "RLOGIN[TCP/513]", "RTELNET[TCP/107]", "RTSP[TCP/554]", "SFTP[TCP/115]", "SMTP[TCP/25]", "SNMP[UDP/161]",
    "SNMP-TRAPS[UDP/162]", "SQL-NET[TCP/1521]", "SSDP[UDP/1900]", "SSH[TCP/22]", "STRMWORKS[UDP/1558]",
    "SYSLOG[UDP/514]", "TACACS[UDP/49]", "TELNET[TCP/23]", "TFTP[UDP/69]", "VDOLIVE[TCP/7000]",
    "Microsoft RDP[TCP/3389]", "VNC[TCP/5900]", "NTP[UDP/123]", "ICMPv6[1/No-Route]",
    "ICMPv6[1/Communication-Prohibited]", "ICMPv6[1/Address-Unreachable]", "ICMPv6[2/Packet-Too-Big]",
    "ICMPv6[3/TTL-Zero-During-Transit]", "ICMPv6[3/TTL-Zero-During-Reassembly]", "ICMPv6[4/Bad-Header]",
    "ICMPv6[4/Unknown-Header-Type]", "ICMPv6[4/Unknown-Option]", "ICMPv6[128/Echo-Request]",
    "ICMPv6[129/Echo-Reply]", "ICMPv6[133/Router-Solicitation]", "ICMPv6[134/Router-Advertisement]",
    "ICMPv6[135/Neighbour-Solicitation", "ICMPv6[136/Neighbour-Advertisement]", "ICMPv6[137/Redirect]",
]
LABELS = {
    "ICMPv6[1/Address-Unreachable]": "ICMPv6[1-Destination Unreachable/Address-Unreachable]",
    "ICMPv6[3/TTL-Zero-During-Transit]": "ICMPv6[3-Time Exceeded/TTL-Zero-During-Transit]",
    "ICMPv6[3/TTL-Zero-During-Reassembly]": "ICMPv6[3-Time Exceeded/TTL-Zero-During-Reassembly]",
    "ICMPv6[4/Bad-Header]": "ICMPv6[4-Parameter Problem/Bad-Header]",
    "ICMPv6[4/Unknown-Header-Type]": "ICMPv6[4-Parameter Problem/Unknown-Header-Type]",
    "ICMPv6[4/Unknown-Option]": "ICMPv6[4-Parameter Problem/Unknown-Option]",
    "ICMPv6[135/Neighbour-Solicitation": "ICMPv6[135/Neighbour-Solicitation]",
}
assert len(VALUES) == 64


def head():
    s = "Content-Type: text/html\n\n"
    s += ("<html><head><meta http-equiv=Content-Script-Type content=text/javascript><meta http-equiv=Content-Style-Type "
          "content=text/css><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\"><link rel=\"stylesheet\" "
          "href=\"/control.css\" type=\"text/css\">\n")
    s += ("<style type=\"text/css\">\n.main {\n\tfont-family: Verdana, Arial, Helvetica, sans-serif;\n\tfont-size: 11px;\n"
          "\tfont-weight: normal;\n\tcolor: #000000;\n\tmargin: 0px;\n\tbackground-attachment: fixed;\n"
          "\tbackground-image:none;\n}\n</style>\n")
    s += ("</head><script type=\"text/javascript\" src=\"../General.js\" ></script><script type=\"text/javascript\" "
          "src=\"../Multi_Language.js\" ></script><script language=\"JavaScript\">")
    s += "function Multi_Language(Index){language_Index=parseInt(Index);"
    for n in (4, 3, 1, 2):
        sp = "Firewall_Available_Server_%d" % n
        s += "document.getElementById(\"%s\").innerHTML = %s[language_Index];" % (sp, sp)
    s += "var s=document.getElementById(\"FWRCfg_ServiceSrc_ID\");"
    for k in range(4):
        s += ("s.options[%d].text = document.getElementById(\"Firewall_Available_Server_%d\").innerHTML;"
              % (k, k + 1))
    s += "}</script>\n"
    s += "<body class=\"main\" topmargin=\"10\" leftmargin=\"0\">\n"
    s += ("<tr><td><select id='FWRCfg_ServiceSrc_ID' name=\"FWRCfg_ServiceSrc\" OnChange=\"top.main.document.forms[0]."
          "FWRCfg_ServiceSelect.value = this.options[this.selectedIndex].value; \" size=1>\n")
    return s


def option(value, label, pre):
    return "<option value=\"%s\"%s>%s</option>\n" % (html(value), "selected" if value == pre else "", html(label))


def page(store):
    """The expected page for `store`, following the page's rules."""
    out = head()
    action = store.get("WebCurSet_Entry", {}).get("firewallrule_action")
    if action == "2":
        pre = store.get("Firewall_Direction_Entry", {}).get("Service", "N/A")
    else:
        pre = "Any[ALL]"
    for v in VALUES:
        out += option(v, LABELS.get(v, v), pre)
    for j in range(20):
        e = store.get("FWService_Entry%d" % j, {})
        name = e.get("ServiceName")
        if name is None or name in ("", "N/A"):
            break
        g = lambda k: e.get(k, "N/A")
        if g("ServicePortType") == "rangePort":
            text = "%s[%s/%s:%s]" % (name, g("Protocol"), g("StartPort"), g("EndPort"))
        else:
            text = "%s[%s/%s]" % (name, g("Protocol"), g("StartPort"))
        out += option(text, text, pre)
    out += ("</select></td></tr>\n<tr><td style=\"display:none\"><span id='Firewall_Available_Server_1' "
            "style=\"display:none\"></span>\n<span id='Firewall_Available_Server_2' style=\"display:none\"></span>"
            "<span id='Firewall_Available_Server_3' style=\"display:none\"></span><span id='Firewall_Available_Server_4' "
            "style=\"display:none\"></span></td></tr>\n")
    gui = store.get("GUI_Entry1", {})
    lang = 1 if gui.get("Multi_Language") == "Yes" and gui.get("Language") == "Turkey" else 0
    return out + "</body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n" % lang


def svc(name, proto, ptype, start, end):
    e = {}
    for k, v in (("ServiceName", name), ("Protocol", proto), ("ServicePortType", ptype), ("StartPort", start),
                 ("EndPort", end)):
        if v is not None:
            e[k] = v
    return e


def services(entries, extra=None):
    s = {} if extra is None else dict(extra)
    for j, e in entries:
        s["FWService_Entry%d" % j] = e
    return s


def action(a, service=None):
    s = {"WebCurSet_Entry": {"firewallrule_action": a}}
    if service is not None:
        s["Firewall_Direction_Entry"] = {"Service": service}
    return s


GAME = svc("Game", "UDP", "rangePort", "5000", "5100")
MAIL = svc("Mail", "TCP", "singlePort", "2525", "2526")
LONG = ("<&>\"'" * 205)[:1023]

CASES = {}
CASES["empty_store"] = {}
CASES["no_action"] = services([(0, GAME), (1, MAIL)], {"Firewall_Direction_Entry": {"Service": "HTTP[TCP/80]"}})
CASES["action_2_builtin"] = services([(0, GAME)], action("2", "HTTP[TCP/80]"))
CASES["action_2_user"] = services([(0, MAIL), (1, GAME)], action("2", "Game[UDP/5000:5100]"))
CASES["action_2_open_bracket"] = services([], action("2", "ICMPv6[135/Neighbour-Solicitation"))
CASES["action_4"] = services([(0, GAME)], action("4", "HTTP[TCP/80]"))
CASES["action_2_service_unreadable"] = services([(0, svc("N", "A", None, None, None))], action("2"))
CASES["action_2_preselect_case"] = services([], action("2", "http[TCP/80]"))
CASES["twenty_five_users"] = services(
    [(j, svc("S%02d" % j, "TCP" if j % 2 else "UDP", "rangePort" if j % 3 == 0 else "one", str(1000 + j),
             str(2000 + j))) for j in range(25)], action("2", "S19[TCP/1019]"))
CASES["port_forms"] = services([
    (0, GAME), (1, svc("Game", "UDP", "RangePort", "5000", "5100")), (2, svc("NoProto", None, "rangePort", "1", None)),
    (3, svc("NoPorts", "TCP", None, None, None)), (4, svc("Empty", "", "rangePort", "", "")),
])
CASES["list_ends_at_na_name"] = services([(0, GAME), (1, svc("N/A", "TCP", "x", "1", "2")), (2, MAIL)])
CASES["list_ends_at_empty_name"] = services([(0, GAME), (1, svc("", "TCP", "x", "1", "2")), (2, MAIL)])
CASES["list_ends_at_gap"] = services([(0, GAME), (2, MAIL)])
CASES["no_user_services"] = services([(1, GAME)], action("2", "Any[All]"))
CASES["lang_yes_turkey"] = services([(0, GAME)], {"GUI_Entry1": {"Multi_Language": "Yes", "Language": "Turkey"}})
CASES["hostile_values"] = services([
    (0, svc("<b>\"it's\" & co</b>", "T'CP", "rangePort", "\"><script>alert(1)</script>", "&amp;")),
    (1, svc("x\ty\nz", "<", "one", ">", "")),
], action("2", "<b>\"it's\" & co</b>[T'CP/\"><script>alert(1)</script>:&amp;]"))
# Option texts past the store's value limit; the one preselected is as long as
# a stored "Service" can be.
MID = LONG[:254]
CASES["long_values"] = services([(0, svc(LONG, LONG, "rangePort", LONG, LONG)),
                                 (1, svc(MID, MID, "rangePort", MID, MID + "x")), (2, MAIL)],
                                action("2", "%s[%s/%s:%s]" % (MID, MID, MID, MID + "x")))

if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    for name, store in CASES.items():
        with open(os.path.join(HERE, name + ".cfg"), "w", encoding="utf-8", newline="") as f:
            f.write(cfg(store))
        with open(os.path.join(HERE, name + ".html"), "w", encoding="utf-8", newline="") as f:
            f.write(page(store))
    print("\n".join(sorted(CASES)))

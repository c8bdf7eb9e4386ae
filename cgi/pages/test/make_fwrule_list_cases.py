#!/usr/bin/env python3
"""Writes the store fixtures (NAME.cfg) and the expected pages (NAME.html) of
the fwrule_list golden test into fwrule_list/. The expected text is put
together here from the page's literal texts, independently of the program;
review a changed .html by eye before committing it."""
import os

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fwrule_list")


def xml_attr(v):
    return (v.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;").replace("\t", "&#9;").replace("\n", "&#10;").replace("\r", "&#13;"))


def html(v):
    return (v.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;").replace("'", "&#39;"))


def cfg(store):
    out = ["<ROMFILE>\n"]
    for node, attrs in store.items():
        a = "".join(' %s="%s"' % (k, xml_attr(v)) for k, v in attrs.items())
        out.append("\t<%s%s />\n" % (node, a))
    out.append("</ROMFILE>\n")
    return "".join(out)


SPANS = ["Active", "Filter_SrcIP", "Filter_DestIP", "Firewall_Src_MacAddr", "Firewall_Src_Interface",
         "Firewall_Dest_Interface", "Firewall_Schedule_string", "Firewall_Log", "Firewall_Rate_Limit",
         "Firewall_TCP_flag", "Firewall_Service", "Action_Text", "Modify", "Order_Text"]
HEADINGS = [("Active", 5), ("Filter_SrcIP", 20), ("Filter_DestIP", 20), ("Firewall_Src_MacAddr", 10),
            ("Firewall_Service", 10), ("Action_Text", 5), ("Firewall_Src_Interface", 3),
            ("Firewall_Dest_Interface", 3), ("Firewall_Schedule_string", 3), ("Firewall_Log", 3),
            ("Firewall_Rate_Limit", 3), ("Firewall_TCP_flag", 3), ("Modify", 5), ("Order_Text", 4)]
DAYS = ["Schedule_Everyday", "Schedule_Mon", "Schedule_Tue", "Schedule_Wed", "Schedule_Thu",
        "Schedule_Fri", "Schedule_Sat", "Schedule_Sun", "Schedule_Allday"]
TIMES = ["Schedule_Start_hour", "Schedule_Start_minute", "Schedule_End_hour", "Schedule_End_minute"]

FUNCTIONS = (
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
    "}\n")


def head():
    s = "Content-Type: text/html\n\n"
    s += ("<html><head><meta http-equiv=Content-Script-Type content=text/javascript><meta http-equiv=Content-Style-Type "
          "content=text/css><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\"><link rel=\"stylesheet\" "
          "href=\"/control.css\" type=\"text/css\">\n")
    s += ("<style type=\"text/css\">\n.main {\n\tfont-family: Verdana, Arial, Helvetica, sans-serif;\n\tfont-size: 11px;\n"
          "\tfont-weight: normal;\n\tcolor: #000000;\n\tmargin: 0px;\n\tbackground-attachment: fixed;\n"
          "\tbackground-image:none;\n}\n</style>\n")
    s += "</head>\n"
    s += "<script type=\"text/javascript\" src=\"../General.js\" ></script>\n"
    s += "<script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script>\n"
    s += "<script language=\"JavaScript\">\nfunction Multi_Language(Index)\n{\nlanguage_Index=parseInt(Index);\n"
    for sp in SPANS:
        s += "document.getElementById(\"%s\").innerHTML = %s[language_Index];\n" % (sp, sp)
    s += "}\n" + FUNCTIONS + "</script>\n"
    s += "<body class=\"main\" topmargin=\"10\" leftmargin=\"0\">\n"
    s += ("<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" bordercolor=\"#FFFFFF\" "
          "bgcolor=\"#FFFFFF\">\n")
    s += "<tr><td width=\"3%\" align=center class=\"tableTitle\">#</td>\n"
    for sp, w in HEADINGS:
        s += "<td width=\"%d%%\" align=center class=\"tableTitle\"><span id='%s'></span></td>\n" % (w, sp)
    return s


def footer(lang):
    return "</table></body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n" % lang


def addr_cell(r, side):
    t = r.get(side + "IPAddrType", "N/A")
    start = r.get(side + "StartIPAddr", "N/A")
    end = r.get(side + "EndIPAddr", "N/A")
    mask = r.get(side + "SubnetMask", "N/A")
    if t == "AnyAddr":
        return "<td width=\"20%%\" align=center>%s</td>\n" % (
            "IPv6 Any" if r.get("IPType", "N/A") == "IPv6" else "IPv4 Any")
    if t == "SingleAddr":
        return "<td width=\"20%%\" align=center>%s</td>\n" % html(start)
    if t == "RangeAddr":
        return "<td width=\"20%%\" align=center>%s-%s</td>\n" % (html(start), html(end))
    if t == "SubnetAddr":
        return "<td width=\"20%%\" align=center>%s/%s</td>\n" % (html(start), html(mask))
    return ""


def row(i, r):
    g = lambda k, d: r.get(k, d)
    s = "<tr class=\"tabcolor%d\"><td width=\"3%%\" align=center>%d</td>\n" % (i % 2 + 1, i + 1)
    s += "<td width=\"5%%\" align=\"center\">%s</td>\n" % html(r["Active"])
    s += addr_cell(r, "Src") + addr_cell(r, "Dest")
    s += "<td width=\"10%%\" align=center>%s</td>\n" % html(g("SrcMac", "N/A"))
    s += "<td width=\"10%%\" align=center>%s</td>\n" % html(g("Service", "N/A"))
    s += "<td width=\"5%%\" align=center>%s</td>\n" % html(g("Action", "N/A"))
    s += "<td width=\"3%%\" align=center>%s</td>\n" % html(g("SrcInterface", "N/A"))
    s += "<td width=\"3%%\" align=center>%s</td>\n" % html(g("DestInterface", "N/A"))
    sched = any(g(d, "No") != "No" for d in DAYS) or any(g(t, "") != "" for t in TIMES)
    s += "<td width=\"3%%\" align=center>%s</td>\n" % ("Yes" if sched else "No")
    s += "<td width=\"3%%\" align=center>%s</td>\n" % html(g("Log", "No"))
    rate = (g("RateLimit", "") != "" and g("RateUnit", "") != "") or g("RateBurst", "") != ""
    s += "<td width=\"3%%\" align=center>%s</td>\n" % ("Yes" if rate else "No")
    svc = g("Service", "N/A")
    tcp = g("TcpFlag", "N/A") != "" and ("TCP" in svc or "All" in svc)
    s += "<td width=\"3%%\" align=center>%s</td>\n" % ("Yes" if tcp else "No")
    s += ("<td width=\"5%%\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\"><a onClick=\"javascript:top.main.location="
          "'Firewall_RuleEdit.asp?Index=%d&Action=2'\"><img src=\"../i_edit.gif\" width=\"19\" height=\"14\"  border=\"0\"> </a> "
          "<a onClick=\"doDeleteRule(%d)\" onMouseOut=\"MM_swapImgRestore()\" onMouseOver=\"MM_swapImage('Image29','','../i_delete_on.gif',1)\">"
          "<img src=\"../trashcan.gif\"  border=\"0\"> </a></font></td>\n") % (i, i)
    s += ("<td width=\"4%%\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\"> <a onClick=\"doshowmove(%d)\" "
          "onMouseOut=\"MM_swapImgRestore()\" onMouseOver=\"MM_swapImage('Imageton0','','../i_ton_on.gif',1)\"> "
          "<img src=\"../i_ton.gif\"  border=\"0\"></a></font></td></tr>\n") % i
    return s


def page(store):
    """The expected page for `store`, following the page's rules."""
    out = head()
    cur = store.get("WebCurSet_Entry", {}).get("firewalldir_id", "N/A")
    d = "LANtoLAN" if cur == "N/A" else cur
    for i in range(50):
        r = store.get("Firewall_%s_Entry%d" % (d, i))
        if r is None or "Active" not in r:
            break
        out += row(i, r)
    gui = store.get("GUI_Entry1", {})
    lang = 1 if gui.get("Multi_Language") == "Yes" and gui.get("Language") == "Turkey" else 0
    return out + footer(lang)


def full_rule(k):
    return {"Active": "Yes" if k % 3 else "No", "IPType": "IPv4", "SrcIPAddrType": "SingleAddr",
            "SrcStartIPAddr": "192.168.1.%d" % (k + 1), "SrcEndIPAddr": "N/A", "SrcSubnetMask": "N/A",
            "DestIPAddrType": "RangeAddr", "DestStartIPAddr": "10.0.%d.1" % k,
            "DestEndIPAddr": "10.0.%d.254" % k, "DestSubnetMask": "N/A", "SrcMac": "00:11:22:33:44:%02X" % k,
            "Service": "HTTP[TCP:80]", "Action": "Permit" if k % 2 else "Deny", "SrcInterface": "LAN",
            "DestInterface": "WAN", "Log": "No", "TcpFlag": ""}


def rules(direction, entries, extra=None):
    s = {} if extra is None else dict(extra)
    for i, r in entries:
        s["Firewall_%s_Entry%d" % (direction, i)] = r
    return s


def cur(direction):
    return {"WebCurSet_Entry": {"firewalldir_id": direction, "firewallrule_id": "0"}}


def lang(multi, language):
    g = {}
    if multi is not None:
        g["Multi_Language"] = multi
    if language is not None:
        g["Language"] = language
    return {"GUI_Entry1": g}


CASES = {}
CASES["no_entry0"] = rules("LANtoLAN", [(1, full_rule(1)), (2, full_rule(2))], cur("LANtoLAN"))
CASES["three_rules"] = rules("LANtoWAN", [
    (0, full_rule(0)),
    (1, dict(full_rule(1), SrcIPAddrType="SubnetAddr", SrcStartIPAddr="192.168.2.0",
             SrcSubnetMask="255.255.255.0", DestIPAddrType="AnyAddr")),
    (2, dict(full_rule(2), IPType="IPv6", SrcIPAddrType="AnyAddr", DestIPAddrType="SingleAddr",
             DestStartIPAddr="2001:db8::1", Service="Any[All]", TcpFlag="SYN")),
], dict(cur("LANtoWAN"), **rules("LANtoLAN", [(0, full_rule(9))])))
CASES["fifty_five_rules"] = rules("WANtoLAN", [(i, full_rule(i)) for i in range(55)], cur("WANtoLAN"))
CASES["gap_at_3"] = rules("LANtoLAN", [(i, full_rule(i)) for i in (0, 1, 2, 4, 5)], cur("LANtoLAN"))
CASES["direction_na"] = rules("LANtoLAN", [(0, full_rule(0))],
                              dict(cur("N/A"), **rules("WANtoWAN", [(0, full_rule(5))])))
CASES["direction_missing"] = rules("LANtoLAN", [(0, full_rule(0)), (1, full_rule(1))],
                                   rules("WANtoWAN", [(0, full_rule(5))]))
CASES["address_forms"] = rules("LANtoLAN", [
    (0, {"Active": "Yes", "IPType": "IPv6", "SrcIPAddrType": "AnyAddr", "DestIPAddrType": "AnyAddr"}),
    (1, {"Active": "Yes", "SrcIPAddrType": "AnyAddr", "DestIPAddrType": "SubnetAddr",
         "DestStartIPAddr": "fd00::", "DestSubnetMask": "64"}),
    (2, {"Active": "Yes", "IPType": "IPv4", "SrcIPAddrType": "HostAddr", "SrcStartIPAddr": "1.2.3.4",
         "DestIPAddrType": "RangeAddr", "DestStartIPAddr": "1.1.1.1"}),
    (3, {"Active": "Yes", "IPType": "IPv6", "SrcIPAddrType": "anyaddr",
         "DestIPAddrType": "SingleAddr", "DestStartIPAddr": "fe80::1%eth0"}),
    (4, {"Active": "N/A"}),
], cur("LANtoLAN"))
CASES["schedule_rate_tcp"] = rules("LANtoLAN", [
    (0, {"Active": "Yes", "Schedule_Start_minute": "30", "RateLimit": "10", "Service": "Any[UDP]",
         "TcpFlag": "SYN", "Action": "Deny"}),
    (1, dict({d: "No" for d in DAYS}, **{t: "" for t in TIMES}, Active="Yes", RateBurst="5",
             Service="Any[All]", TcpFlag="ACK", Log="Yes")),
    (2, {"Active": "Yes", "Schedule_Sun": "Yes", "RateLimit": "10", "RateUnit": "kbps", "Service": "Any[TCP]",
         "Action": "Permit"}),
    (3, {"Active": "Yes", "Schedule_Allday": "N/A", "RateUnit": "kbps", "Service": "Any[tcp]",
         "TcpFlag": "SYN"}),
    (4, {"Active": "Yes", "Schedule_End_hour": "", "RateLimit": "", "RateBurst": "", "Service": "TCP",
         "TcpFlag": ""}),
], cur("LANtoLAN"))
for name, m, l in (("lang_yes_turkey", "Yes", "Turkey"), ("lang_no_turkey", "No", "Turkey"),
                   ("lang_lower_yes", "yes", "Turkey"), ("lang_no_node", None, None)):
    extra = dict(cur("LANtoLAN"))
    if m is not None:
        extra.update(lang(m, l))
    CASES[name] = rules("LANtoLAN", [(0, full_rule(0))], extra)
CASES["hostile_values"] = rules("LANtoLAN", [
    (0, {"Active": "<b>Yes</b>", "IPType": "IPv4", "SrcIPAddrType": "SingleAddr",
         "SrcStartIPAddr": "\"><script>alert(1)</script>", "DestIPAddrType": "RangeAddr",
         "DestStartIPAddr": "a&b", "DestEndIPAddr": "it's", "SrcMac": "\u00e7\u011f",
         "Service": "x\ty\nz", "Action": "&amp;", "SrcInterface": "'", "DestInterface": "\"",
         "Log": "<", "TcpFlag": ""}),
], cur("LANtoLAN"))
CASES["attributes_missing"] = rules("LANtoLAN", [(0, {"Active": "No"}), (1, {"Active": ""})], cur("LANtoLAN"))

if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    for name, store in CASES.items():
        with open(os.path.join(HERE, name + ".cfg"), "w", encoding="utf-8", newline="") as f:
            f.write(cfg(store))
        with open(os.path.join(HERE, name + ".html"), "w", encoding="utf-8", newline="") as f:
            f.write(page(store))
    print("\n".join(sorted(CASES)))

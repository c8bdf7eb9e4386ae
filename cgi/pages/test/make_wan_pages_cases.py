#!/usr/bin/env python3
"""Writes the store fixtures (NAME.cfg) and the expected pages (NAME.html) of
the golden tests of the WAN, routing and filter list pages, one folder per
page (portbind_list/, wan_pvc_list/, ...). The expected text is put together
here from the pages' literal texts, independently of the programs; review a
changed .html by eye before committing it."""
import os

from make_fwrule_list_cases import cfg, footer, html

TESTDIR = os.path.dirname(os.path.abspath(__file__))

HOSTILE = "<b>\"it's\" & </b>"
TURKEY = {"GUI_Entry1": {"Multi_Language": "Yes", "Language": "Turkey"}}

HEAD_A = ("<html><head><meta http-equiv=Content-Script-Type content=text/javascript><meta http-equiv=Content-Style-Type "
          "content=text/css><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\"><link rel=\"stylesheet\" "
          "href=\"/control.css\" type=\"text/css\">\n")
STYLE_RULES = ("<style type=\"text/css\">\n.main {\n\tfont-family: Verdana, Arial, Helvetica, sans-serif;\n\tfont-size: 11px;\n"
               "\tfont-weight: normal;\n\tcolor: #000000;\n\tmargin: 0px;\n\tbackground-attachment: fixed;\n"
               "\tbackground-image:none;\n}\n")
SHORT_META = "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
PLAIN_TABLE = ("<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" "
               "bordercolor=\"#FFFFFF\"")
COMMON_TABLE = PLAIN_TABLE + " bgcolor=\"#FFFFFF\">\n"


def src(path):
    return "<script type=\"text/javascript\" src=\"%s\" ></script>\n" % path


def ml_script(spans, functions="", close="</script>\n"):
    s = "<script language=\"JavaScript\">\nfunction Multi_Language(Index)\n{\nlanguage_Index=parseInt(Index);\n"
    for sp in spans:
        s += "document.getElementById(\"%s\").innerHTML = %s[language_Index];\n" % (sp, sp)
    return s + "}\n" + functions + close


def span_th(width, span):
    return "<td width=\"%d%%\" align=\"center\" class=\"tableTitle\"><span id='%s'></span></td>\n" % (width, span)


def text_th(width, text):
    return "<td width=\"%d%%\" align=\"center\" class=\"tableTitle\">%s</td>\n" % (width, text)


def modify_cell(width, target, index, tail):
    """The firewall rule list's modify cell, edit link to `target`."""
    return ("<td width=\"%d%%\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\"><a onClick=\"javascript:top.main.location="
            "'%s'\"><img src=\"../i_edit.gif\" width=\"19\" height=\"14\"  border=\"0\"> </a> "
            "<a onClick=\"doDeleteRule(%d)\" onMouseOut=\"MM_swapImgRestore()\" onMouseOver=\"MM_swapImage('Image29','','../i_delete_on.gif',1)\">"
            "<img src=\"../trashcan.gif\"  border=\"0\"> </a></font></td>%s") % (width, target, index, tail)


def language(store):
    gui = store.get("GUI_Entry1", {})
    return 1 if gui.get("Multi_Language") == "Yes" and gui.get("Language") == "Turkey" else 0


# --- portbind_list -----------------------------------------------------------

def portbind_page(store):
    s = "Content-Type: text/html\n\n"
    s += ("<html><head>\n<meta http-equiv=Content-Script-Type content=text/javascript>\n"
          "<meta http-equiv=Content-Style-Type content=text/css>\n"
          "<meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\n"
          "<link rel=\"stylesheet\" href=\"/style.css\" type=\"text/css\">\n</head>\n")
    s += src("../Multi_Language.js")
    s += ml_script(["PortBind_Group_ID", "PortBind_Group_Port"], close="")
    s += "</script><body><FORM METHOD=\"POST\" name=\"VirtualCgiForm\">\n"
    s += ("<table id=\"CgiInnerTable\" align=center width=\"440\" border=\"1\" cellpadding=\"0\" cellspacing=\"0\" "
          "bordercolor=\"#CCCCCC\" bgcolor=\"#FFFFFF\">\n")
    s += ("<tr height=\"30\"><td width=\"100\" align=\"center\" class=\"tabdata\"><strong><span id='PortBind_Group_ID'>"
          "</span></strong></td><td align=\"center\" class=\"tabdata\"><strong><span id='PortBind_Group_Port'></span>"
          "</strong></td></tr>\n")
    for g in range(16):
        e = store.get("PortBind_Entry%d" % g, {})
        members = "".join("PVC%d," % n for n in range(8) if e.get("p%d" % n) == "Yes")
        members += "".join("eth%d," % n for n in range(1, 5) if e.get("e%d" % n) == "Yes")
        members += "".join("AP%d," % n for n in range(4) if e.get("w%d" % n) == "Yes")
        if not members:
            continue
        name = e.get("Name", "")[:64] or "Group%d" % g
        s += ("<tr><td align=\"center\" class=\"tabdata\">%s</td><td align=\"center\" class=\"tabdata\">%s</td></tr>\n"
              % (html(name), members))
    return s + footer(language(store))


def every_member(value):
    d = {"p%d" % n: value for n in range(8)}
    d.update({"e%d" % n: value for n in range(1, 5)})
    d.update({"w%d" % n: value for n in range(4)})
    return d


PORTBIND = {
    "members_of_each_kind": {
        "PortBind_Entry0": dict(every_member("Yes"), Name="All ports"),
        "PortBind_Entry3": dict(every_member("No"), p0="Yes", e2="Yes", w1="Yes"),
        "PortBind_Entry4": {"Name": "No members", **every_member("No")},
        "PortBind_Entry5": {"Name": "Near misses", "p1": "yes", "e1": "Yes ", "w0": "YES", "p2": "N/A",
                            "e3": "Yes\n", "w2": "YesYesYes"},
        "PortBind_Entry9": {"Name": "", "e4": "Yes", "p7": "Yes"},
        "PortBind_Entry15": {"Name": "Wireless", "w3": "Yes", "w0": "Yes"},
        "PortBind_Entry16": {"Name": "Beyond", "p0": "Yes"},
    },
    "no_member": {
        "PortBind_Entry0": {"Name": "Empty"},
        "PortBind_Entry1": dict(every_member("No"), Name="All off"),
    },
    # Cut at 64 characters, and escaped after the cut.
    "long_name": {
        "PortBind_Entry2": {"Name": "N" * 60 + "&<>" + "X" * 20, "e1": "Yes"},
        "PortBind_Entry6": {"Name": "L" * 64, "w0": "Yes"},
    },
    "hostile_values": dict({"PortBind_Entry1": {"Name": HOSTILE, "p3": "Yes",
                                                "e1": "<Yes>"}}, **TURKEY),
}


# --- wan_pvc_list ------------------------------------------------------------

def wan_head(spans, functions, body):
    s = "Content-Type: text/html\n\n"
    s += SHORT_META + "<link rel=\"stylesheet\" href=\"../control.css\" type=\"text/css\"></head>\n"
    s += src("../General.js") + src("../Multi_Language.js")
    s += ml_script(spans, functions)
    s += body + PLAIN_TABLE + ">\n"
    return s


def wan_pvc_page(store):
    s = wan_head(["Encapsulation", "IP_Subnet_Mask", "Default_Gateway", "IP_Address"], "",
                 "<body bgcolor=\"#FFFFFF\" topmargin=\"0\" leftmargin=\"0\" >\n")
    s += ("<tr>" + text_th(10, "#") + span_th(10, "Encapsulation") + span_th(20, "IP_Address")
          + span_th(15, "IP_Subnet_Mask") + span_th(25, "Default_Gateway") + text_th(20, "VPI/VCI") + "</tr>\n")
    for i in range(8):
        pvc = store.get("Wan_PVC%d" % i, {})
        info = store.get("DeviceInfo_PVC%d" % i, {})
        if pvc.get("Active") == "Yes":
            addr = [info.get(k, "0.0.0.0") for k in ("WanIP", "WanSubMask", "gateway")]
        else:
            addr = ["--"] * 3
        s += "<tr class=\"tabcolor2\">\n"
        s += "<td width=\"10%%\" align=\"center\">PVC%d</td>\n" % i
        s += "<td width=\"10%%\" align=\"center\">%s</td>\n" % html(pvc.get("ENCAP", "--"))
        s += "<td width=\"20%%\" align=\"center\">%s</td>\n" % html(addr[0])
        s += "<td width=\"15%%\" align=\"center\">%s</td>\n" % html(addr[1])
        s += "<td width=\"25%%\" align=\"center\">%s</td>\n" % html(addr[2])
        s += "<td width=\"25%%\" align=\"center\">%s/%s</td></tr>\n" % (html(pvc.get("VPI", "--")),
                                                                      html(pvc.get("VCI", "--")))
    return s + footer(language(store))


def circuit(active, vpi, vci, encap):
    return {"Active": active, "VPI": vpi, "VCI": vci, "ENCAP": encap}


def device_info(ip, mask, gw):
    return {"WanIP": ip, "WanSubMask": mask, "gateway": gw}


WAN_PVC = {
    "circuits": {
        "Wan_PVC0": circuit("Yes", "8", "35", "PPPoE LLC"),
        "DeviceInfo_PVC0": device_info("100.64.1.20", "255.255.255.0", "100.64.1.1"),
        # Inactive: its device information is stale and never shown.
        "Wan_PVC1": circuit("No", "0", "33", "1483 Bridged IP LLC"),
        "DeviceInfo_PVC1": device_info("10.9.9.9", "255.0.0.0", "10.0.0.1"),
        # Active without device information.
        "Wan_PVC2": circuit("Yes", "1", "32", "PPPoA VC-Mux"),
        # Active, device information in part.
        "Wan_PVC3": circuit("Yes", "0", "100", "1483 Routed IP LLC"),
        "DeviceInfo_PVC3": {"WanIP": "192.0.2.7"},
        # Not exactly "Yes".
        "Wan_PVC4": circuit("yes", "2", "40", "PPPoE LLC"),
        "DeviceInfo_PVC4": device_info("198.51.100.4", "255.255.255.252", "198.51.100.5"),
        # No "Active" at all, and no VPI.
        "Wan_PVC5": {"VCI": "41", "ENCAP": "PPPoE VC-Mux"},
        "DeviceInfo_PVC5": device_info("203.0.113.5", "255.255.255.0", "203.0.113.1"),
        "Wan_PVC8": circuit("Yes", "9", "99", "beyond"),
    },
    "empty_store": {},
    "hostile_values": dict({
        "Wan_PVC0": circuit("Yes", "<8>", "'35'", HOSTILE),
        "DeviceInfo_PVC0": device_info("\"1.2.3.4\"", "a&b", "<script>x</script>"),
        "Wan_PVC6": circuit("No", "&", "\"", "'"),
    }, **TURKEY),
}


# --- wan_node_list -----------------------------------------------------------

WAN_NODE_FUNCTIONS = ("function doDeleteRule(CurrentIndex)\n{\n\tvar f = top.main.document.forms[0];\n"
                      "\tf.returnCurrentIndex.value = CurrentIndex;\n\tf.submit();\n}\n")


def wan_node_page(store):
    s = wan_head(["Encapsulation", "Active", "Modify", "Node_Name"], WAN_NODE_FUNCTIONS,
                 "<body bgcolor=\"#FFFFFF\" topmargin=\"10\" leftmargin=\"0\" >\n")
    s += ("<tr>" + text_th(5, "#") + span_th(5, "Active") + span_th(30, "Node_Name") + text_th(15, "VPI/VCI")
          + span_th(25, "Encapsulation") + span_th(20, "Modify") + "</tr>\n")
    for i in range(8):
        e = store.get("Wan_PVC%d" % i, {})
        s += "<tr class=\"tabcolor%d\">\n" % (2 if i % 2 == 0 else 1)
        s += "<td width=\"5%%\" align=\"center\">%d</td>\n" % (i + 1)
        s += ("<td width=\"5%%\" align=\"center\"><input type=\"checkbox\" %s disabled></td>\n"
              % ("checked" if e.get("Active") == "Yes" else ""))
        s += "<td width=\"30%%\" align=\"center\">%s</td>\n" % html(e.get("NodeName", "Wan_PVC0" if i == 0 else "N/A"))
        s += "<td width=\"15%%\" align=\"center\">%s/%s</td>\n" % (html(e.get("VPI", "--")), html(e.get("VCI", "--")))
        s += "<td width=\"25%%\" align=\"center\">%s</td>\n" % html(e.get("ENCAP", "--"))
        if i == 0:
            s += "<td width=\"20%\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\"></font></td></tr>\n"
        else:
            s += modify_cell(20, "wanRemoteNode_Edit.asp?Index=%d" % i, i, "</tr>\n")
    return s + footer(language(store))


WAN_NODE = {
    "nodes": {
        "Wan_PVC0": circuit("Yes", "8", "35", "PPPoE LLC"),
        "Wan_PVC1": dict(circuit("No", "0", "33", "1483 Bridged IP LLC"), NodeName="Bridge"),
        "Wan_PVC2": circuit("Yes", "1", "32", "PPPoA VC-Mux"),
        "Wan_PVC3": {"NodeName": "", "Active": "yes"},
        "Wan_PVC7": dict(circuit("Yes", "0", "100", "1483 Routed IP LLC"), NodeName="Last"),
        "Wan_PVC8": dict(circuit("Yes", "9", "99", "beyond"), NodeName="Beyond"),
    },
    "named_circuit_0": {
        "Wan_PVC0": dict(circuit("No", "0", "35", "PPPoE LLC"), NodeName="Internet"),
    },
    "empty_store": {},
    "hostile_values": dict({
        "Wan_PVC0": dict(circuit("Yes", "&", "'", "\""), NodeName=HOSTILE),
        "Wan_PVC5": dict(circuit("Yes", "<1>", "<2>", HOSTILE), NodeName="</td></tr><tr><td>"),
    }, **TURKEY),
}


# --- fwservice_list ----------------------------------------------------------

FWSERVICE_FUNCTIONS = ("<script language=\"JavaScript\">\nfunction doDeleteRule(CurrentIndex)\n{\n"
                       "\tvar f = top.main.document.forms[0];\n\tf.FirewallServiceIndex.value = CurrentIndex;\n"
                       "\tf.FirewallServiceAction.value = 1;\n\tf.submit();\n}\n</script>\n")


def fwservice_page(store):
    s = "Content-Type: text/html\n\n" + HEAD_A + STYLE_RULES + "</style>\n"
    s += src("../Multi_Language.js") + ml_script(["Protocol_Text", "No", "Name_Text", "Modify"])
    s += "</head>\n" + src("../General.js") + FWSERVICE_FUNCTIONS
    s += "<body class=\"main\" topmargin=\"10\" leftmargin=\"0\">\n" + COMMON_TABLE
    s += "<tr><td width=\"5%\" align=center class=\"tableTitle\"><span id='No'></span>.</td>\n"
    for span, w in (("Name_Text", 25), ("Protocol_Text", 25)):
        s += "<td width=\"%d%%\" align=center class=\"tableTitle\"><span id='%s'></span></td>\n" % (w, span)
    s += "<td width=\"25%\" align=center class=\"tableTitle\">Port</td>\n"
    s += "<td width=\"15%\" align=center class=\"tableTitle\"><span id='Modify'></span></td>\n"
    for i in range(20):
        e = store.get("FWService_Entry%d" % i)
        if e is None or "ServiceName" not in e:
            break
        g = lambda k: e.get(k, "N/A")
        s += "<tr class=\"tabcolor%d\"><td width=\"5%%\" align=center>%d</td>\n" % (i % 2 + 1, i + 1)
        s += "<td width=\"25%%\" align=\"center\">%s</td>\n" % html(e["ServiceName"])
        s += "<td width=\"25%%\" align=center>%s</td>\n" % html(g("Protocol"))
        if g("ServicePortType") == "rangePort":
            s += "<td width=\"25%%\" align=center>%s-%s</td>\n" % (html(g("StartPort")), html(g("EndPort")))
        else:
            s += "<td width=\"25%%\" align=center>%s</td>\n" % html(g("StartPort"))
        s += modify_cell(15, "Firewall_ServiceEdit.asp?Index=%d&Action=1" % i, i, "</tr>\n")
    return s + footer(language(store))


def service(name, proto, ptype, start, end):
    return {"ServiceName": name, "Protocol": proto, "ServicePortType": ptype, "StartPort": start, "EndPort": end}


FWSERVICE = {
    "indices_0_1_3": {
        "FWService_Entry0": service("Web", "TCP", "singlePort", "80", "N/A"),
        "FWService_Entry1": service("Games", "TCP/UDP", "rangePort", "27000", "27015"),
        "FWService_Entry3": service("Mail", "TCP", "singlePort", "25", ""),
    },
    "attributes_missing": {
        "FWService_Entry0": {"ServiceName": "Bare"},
        "FWService_Entry1": {"ServiceName": "", "ServicePortType": "rangePort"},
        "FWService_Entry2": {"ServiceName": "Ranged", "ServicePortType": "RangePort", "StartPort": "1",
                             "EndPort": "9"},
    },
    "twenty_five": {"FWService_Entry%d" % i: service("S%d" % i, "UDP", "rangePort", str(1000 + i), str(2000 + i))
                    for i in range(25)},
    "no_entry0": {"FWService_Entry1": service("Orphan", "TCP", "singlePort", "1", "1")},
    "hostile_values": dict({
        "FWService_Entry0": service(HOSTILE, "<TCP>", "rangePort", "'1'", "\"2\""),
        "FWService_Entry1": service("a&b", "&amp;", "singlePort", "<80>", "x"),
    }, **TURKEY),
}


# --- url_filter_list ---------------------------------------------------------

def url_filter_page(store):
    s = "Content-Type: text/html\n\n"
    s += SHORT_META + "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\">\n" + STYLE_RULES
    s += "</style><script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script>\n"
    s += ml_script(["Active", "Index_Text"])
    s += "</head><body class=\"main\" bgcolor=\"#FFFFFF\" topmargin=\"10\" leftmargin=\"0\" >\n"
    s += PLAIN_TABLE + "\n"
    s += "<tr>" + span_th(7, "Index_Text") + span_th(7, "Active") + text_th(75, "URL") + "</tr>\n"
    for i in range(16):
        e = store.get("UrlFilter_Entry%d" % i, {})
        if "Activate" not in e or "URL" not in e:
            continue
        state = {"0": "No", "1": "Yes"}.get(e["Activate"], "Wrong setting")
        s += ("<tr class=\"%s\"><td align=center width=7%%>%d</td><td align=center width=7%%>%s</td>"
              "<td align=center width=95%%>%s</td></tr>\n" % ("tabcolor%d" % (i % 2 + 1), i + 1, state, html(e["URL"])))
    return s + footer(language(store))


URL_FILTER = {
    "states": {
        "UrlFilter_Entry0": {"Activate": "0", "URL": "www.example.com"},
        "UrlFilter_Entry1": {"Activate": "1", "URL": "ads.example.net"},
        "UrlFilter_Entry2": {"Activate": "2", "URL": "wrong.example.org"},
        "UrlFilter_Entry3": {"Activate": "1"},
        "UrlFilter_Entry4": {"Activate": "1", "URL": "after-a-gap.example"},
        "UrlFilter_Entry5": {"URL": "no-state.example"},
        "UrlFilter_Entry6": {"Activate": "N/A", "URL": ""},
        "UrlFilter_Entry7": {"Activate": "10", "URL": "ten.example"},
        "UrlFilter_Entry15": {"Activate": "0", "URL": "last.example"},
        "UrlFilter_Entry16": {"Activate": "1", "URL": "beyond.example"},
    },
    # The longest value the store holds is shown whole.
    "long_url": {"UrlFilter_Entry0": {"Activate": "1", "URL": "u" * 1000 + "/path?q=1&r=2" + "z" * 10}},
    "empty_store": {},
    "hostile_values": dict({
        "UrlFilter_Entry0": {"Activate": "1", "URL": HOSTILE},
        "UrlFilter_Entry1": {"Activate": "<1>", "URL": "http://x/?a=1&b='2'\"><script>"},
    }, **TURKEY),
}


# --- ipv6_route_list and ipv4_route_list ---------------------------------------

def route_page(store, v6):
    node = "IPv6Route_Entry" if v6 else "Route_Entry"
    edit = "/cgi-bin/IPv6StaticRouteEntry.asp" if v6 else "/cgi-bin/StaticRouteEntry.asp"
    if v6:
        cols = [("DST_IP", "Destination", ""), ("PrefixV6Length", "Prefix_Length_Text", "Prefix Length"),
                ("Gateway", "Gateway", ""), ("Device", "Device_Text", "Device")]
    else:
        cols = [("DST_IP", "Destination", ""), ("Sub_mask", "Netmask", ""), ("Gateway", "Gateway", "")]
    s = "Content-Type: text/html\n\n"
    s += ("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
          "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\">\n")
    s += src("/General.js") + src("../Multi_Language.js")
    functions = ("function doFindCurrentRule(CurrentIndex)\n{\n"
                 "\ttop.main.document.forms[0].returnCurrentIndex.value = CurrentIndex;\n}\n"
                 "function doEditRule()\n{\n\ttop.main.location = \"%s?returnCurrentIndex=\" + "
                 "top.main.document.forms[0].returnCurrentIndex.value;\n}\n"
                 "function doDeleteRule()\n{\n\ttop.main.document.forms[0].submit();\n}\n" % edit)
    s += ml_script([c[1] for c in cols] + ["Modify"], functions, "</script></head>\n")
    s += "<body marginwidth=\"0\" marginheight=\"0\" LINK=#000000 VLINK=#000000 ALINK=#000000 >\n"
    s += COMMON_TABLE
    s += "<tr bgcolor=\"#003399\"><td width=\"5%\" class=\"tableTitle\"><div align=\"center\">#</div></td>\n"
    for _, span, text in cols + [("", "Modify", "")]:
        s += "<td width=\"20%%\" class=\"tableTitle\"><div align=\"center\"><span id='%s'>%s</span></div></td>" % (span, text)
        s += "</tr>\n" if span == "Modify" else "\n"
    for i in range(16):
        e = store.get("%s%d" % (node, i), {})
        s += ("<tr class=\"tabcolor%d\"><td width=\"5%%\"><div align=\"center\"><strong>%d</strong></div></td>"
              % (2 if i % 2 == 0 else 1, i + 1))
        for attr, _, _ in cols:
            s += "<td width=\"20%%\"><div align=\"center\">%s</div></td>" % html(e.get(attr, "N/A"))
        s += ("<td width=\"20%%\"><div align=\"center\"><a href=\"javascript:doFindCurrentRule(%d); doEditRule();\">"
              "<img src=\"/i_edit.gif\" name=\"Image260\" width=\"19\" height=\"14\" border=\"0\"></a> "
              "<a href=\"javascript:doFindCurrentRule(%d); doDeleteRule();\">"
              "<img src=\"/i_delete.gif\" name=\"Image290\" width=\"19\" height=\"14\" border=\"0\"></a>"
              "</div></td></tr>\n" % (i, i))
    return s + footer(language(store))


IPV6_ROUTE = {
    "routes": {
        "IPv6Route_Entry0": {"DST_IP": "2001:db8:1::", "PrefixV6Length": "48", "Gateway": "fe80::1", "Device": "nas0"},
        # Index 1: nothing stored.
        "IPv6Route_Entry2": {"DST_IP": "2001:db8:2::", "PrefixV6Length": "64"},
        "IPv6Route_Entry15": {"DST_IP": "::", "PrefixV6Length": "0", "Gateway": "N/A", "Device": "ppp0"},
        "IPv6Route_Entry16": {"DST_IP": "beyond"},
        "Route_Entry1": {"DST_IP": "10.0.0.0", "Sub_mask": "255.0.0.0", "Gateway": "192.168.1.254"},
    },
    "empty_store": {},
    "hostile_values": dict({
        "IPv6Route_Entry3": {"DST_IP": HOSTILE, "PrefixV6Length": "<64>", "Gateway": "a&b", "Device": "'\""},
    }, **TURKEY),
}

IPV4_ROUTE = {
    "routes": {
        "Route_Entry0": {"DST_IP": "10.0.0.0", "Sub_mask": "255.0.0.0", "Gateway": "192.168.1.254"},
        # Index 1: nothing stored.
        "Route_Entry2": {"DST_IP": "172.16.0.0", "Gateway": "192.168.1.253"},
        "Route_Entry15": {"DST_IP": "192.0.2.0", "Sub_mask": "255.255.255.0", "Gateway": ""},
        "Route_Entry16": {"DST_IP": "beyond"},
        "IPv6Route_Entry1": {"DST_IP": "2001:db8::", "PrefixV6Length": "32"},
    },
    "empty_store": {},
    "hostile_values": dict({
        "Route_Entry4": {"DST_IP": HOSTILE, "Sub_mask": "<255>", "Gateway": "a&b'\""},
    }, **TURKEY),
}

PAGES = {
    "portbind_list": (portbind_page, PORTBIND),
    "wan_pvc_list": (wan_pvc_page, WAN_PVC),
    "wan_node_list": (wan_node_page, WAN_NODE),
    "fwservice_list": (fwservice_page, FWSERVICE),
    "url_filter_list": (url_filter_page, URL_FILTER),
    "ipv6_route_list": (lambda s: route_page(s, True), IPV6_ROUTE),
    "ipv4_route_list": (lambda s: route_page(s, False), IPV4_ROUTE),
}

if __name__ == "__main__":
    for program, (page, cases) in PAGES.items():
        here = os.path.join(TESTDIR, program)
        os.makedirs(here, exist_ok=True)
        for name, store in cases.items():
            with open(os.path.join(here, name + ".cfg"), "w", encoding="utf-8", newline="") as f:
                f.write(cfg(store))
            with open(os.path.join(here, name + ".html"), "w", encoding="utf-8", newline="") as f:
                f.write(page(store))
            print("%s/%s" % (program, name))

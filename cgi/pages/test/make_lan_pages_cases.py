#!/usr/bin/env python3
"""Writes the store fixtures (NAME.cfg) and the expected pages (NAME.html) of
the LAN-side list pages' golden test, one folder per page. The expected text
is put together here from the pages' literal texts, independently of the
programs; review a changed .html by eye before committing it."""
import os

from make_fwrule_list_cases import cfg, html

HERE = os.path.dirname(os.path.abspath(__file__))

# Bounds of the stored counts, as the pages document them.
MAX_STATIC, MAX_LEASES, MAX_BSSIDS, MAX_STATIONS = 64, 256, 16, 64

HEADER = "Content-Type: text/html\n\n"
SHORT_HEAD = ("<html><head><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
              "<link rel=\"stylesheet\" href=\"../control.css\" type=\"text/css\">")
STYLE = ("<style type=\"text/css\">\n.main {\n\tfont-family: Verdana, Arial, Helvetica, sans-serif;\n\tfont-size: 11px;\n"
         "\tfont-weight: normal;\n\tcolor: #000000;\n\tmargin: 0px;\n\tbackground-attachment: fixed;\n"
         "\tbackground-image:none;\n}\n</style>\n")
BODY = "<body class=\"main\" topmargin=\"10\" leftmargin=\"0\">\n"
TABLE = ("<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" "
         "bordercolor=\"#FFFFFF\">\n")
DELETE_BY_INDEX = ("function doDeleteRule(CurrentIndex)\n{\n\tvar f = top.main.document.forms[0];\n"
                   "\tf.returnCurrentIndex.value = parseInt(CurrentIndex, 10);\n\tf.submit();\n}\n")
DELETE_LINK = ("<a onClick=\"doDeleteRule(%d)\" onMouseOut=\"MM_swapImgRestore()\" "
               "onMouseOver=\"MM_swapImage('Image29','','../i_delete_on.gif',1)\">"
               "<img src=\"../trashcan.gif\"  border=\"0\"> </a></font></td></tr>\n")


def src(path):
    return "<script type=\"text/javascript\" src=\"%s\" ></script>\n" % path


def ml_script(spans, functions=""):
    s = "<script language=\"JavaScript\">\nfunction Multi_Language(Index)\n{\nlanguage_Index=parseInt(Index);\n"
    for span in spans:
        sid, arr = span if isinstance(span, tuple) else (span, span)
        s += "document.getElementById(\"%s\").innerHTML = %s[language_Index];\n" % (sid, arr)
    return s + "}\n" + functions + "</script>\n"


def headings(number_width, cells, closed):
    s = "<tr><td width=\"%d\" align=\"center\" class=\"tableTitle\">#</td>\n" % number_width
    for k, (w, span) in enumerate(cells):
        s += "<td width=\"%d\" align=\"center\" class=\"tableTitle\"><span id='%s'></span></td>" % (w, span)
        s += "</tr>\n" if closed and k == len(cells) - 1 else "\n"
    return s


def footer(lang):
    return "</table></body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n" % lang


def lang_index(st):
    g = st.get("GUI_Entry1", {})
    return 1 if g.get("Multi_Language") == "Yes" and g.get("Language") == "Turkey" else 0


def count(st, node, attr, bound):
    """None when the count cannot be read; otherwise digits-only text as its
    value clamped to `bound`, anything else 0."""
    v = st.get(node, {}).get(attr)
    if v is None:
        return None
    return min(int(v), bound) if v.isascii() and v.isdigit() else 0


def row_start(cls, width, number):
    return "<tr class=\"tabcolor%d\"><td width=\"%d\" align=\"center\">%d</td>\n" % (cls, width, number)


def cell(width, text, close=False):
    return "<td width=\"%d\" align=\"center\">%s</td>%s\n" % (width, html(text), "</tr>" if close else "")


def icon(width, active):
    return "<td width=\"%d\" align=\"center\"><img src=\"%s\" width=\"16\" height=\"14\"></td>\n" % (
        width, "../i_active_on.gif" if active else "../i_active_off.gif")


def lease_active(lease):
    return "ExpireTime" in lease and lease["ExpireTime"] != "0:0:0"


def by_count(printed):
    return 2 if printed % 2 == 0 else 1


# ---- dhcp_static_list

def dhcp_static_list(st):
    out = HEADER + SHORT_HEAD + "\n" + STYLE + "</head>\n" + src("../General.js") + src("../Multi_Language.js")
    out += ml_script(["Status", "IP_Address", "MAC_Address", "Modify"], DELETE_BY_INDEX) + BODY + TABLE
    out += headings(45, [(61, "Status"), (224, "IP_Address"), (245, "MAC_Address"), (220, "Modify")], True)
    n = count(st, "Dhcpd", "MaxStaticNum", MAX_STATIC)
    if n is None:
        return out, 255
    for i in range(n):
        e = st.get("Dhcpd_Entry%d" % i, {})
        # Read into 64 bytes; a value that fills them may have been cut and
        # identifies nothing.
        ip, mac = e.get("IP", "N/A")[:63], e.get("MAC", "N/A")[:63]
        active = False
        if all(v not in ("N/A", "") and len(v) < 63 for v in (ip, mac)):
            for j in range(count(st, "DhcpLease", "LeaseNum", MAX_LEASES) or 0):
                lease = st.get("DhcpLease_Entry%d" % j, {})
                if "IP" not in lease or "MAC" not in lease:
                    continue
                if lease["IP"][:63] == ip and lease["MAC"][:63] == mac:
                    active = lease_active(lease)
                    break
        out += row_start(2 if i % 2 == 0 else 1, 45, i + 1) + icon(61, active) + cell(224, ip) + cell(280, mac)
        out += "<td width=\"220\" align=\"center\"><font style=\"cursor:hand;cursor:pointer;\">"
        if active:
            out += "&nbsp; &nbsp;&nbsp; "
        else:
            out += ("<a onClick=\"javascript:top.main.location='LAN_ClientInfo.asp?Index=%d'\">"
                    "<img src=\"../i_edit.gif\" width=\"19\" height=\"14\"  border=\"0\"> </a> ") % i
        out += DELETE_LINK % i
    return out + footer(lang_index(st)), 0


# ---- dhcp_lease_list

def dhcp_lease_list(st):
    out = HEADER + SHORT_HEAD + "\n" + "</head>\n" + src("../General.js") + src("../Multi_Language.js")
    out += ml_script(["Status", "Host_Name", "IP_Address", ("Mac_Address", "MAC_Address")]) + BODY + TABLE
    out += headings(15, [(41, "Status"), (173, "Host_Name"), (214, "IP_Address"), (235, "Mac_Address")], False)
    n = count(st, "DhcpLease", "LeaseNum", MAX_LEASES)
    if n is None:
        return out, 255
    printed = 0
    for i in range(n):
        e = st.get("DhcpLease_Entry%d" % i, {})
        if e.get("IP", "N/A") == "N/A":
            continue
        out += row_start(by_count(printed), 15, printed + 1)
        printed += 1
        out += icon(41, lease_active(e)) + cell(173, e.get("HostName", "N/A")) + cell(214, e["IP"])
        out += cell(235, e.get("MAC", "N/A"), True)
    return out + footer(lang_index(st)), 0


# ---- dhcp6_lease_list

def dhcp6_lease_list(st):
    out = HEADER + SHORT_HEAD + "\n" + STYLE + "</head>\n" + src("../General.js") + src("../Multi_Language.js")
    out += ml_script(["Status", "IPv6_Client_Addr", "IPv6_Client_DUID"]) + BODY + TABLE
    out += headings(15, [(41, "Status"), (214, "IPv6_Client_Addr"), (235, "IPv6_Client_DUID")], False)
    n = count(st, "Dhcp6Lease", "LeaseNum", MAX_LEASES)
    if n is None:
        return out, 255
    printed = 0
    for i in range(n):
        e = st.get("Dhcp6Lease_Entry%d" % i, {})
        if e.get("IP6", "N/A") == "N/A":
            continue
        out += row_start(by_count(printed), 15, printed + 1)
        printed += 1
        out += icon(41, True) + cell(214, e["IP6"]) + cell(235, e.get("ClientDuid", "N/A"), True)
    return out + footer(lang_index(st)), 0


# ---- wlan_ssid_list

SECURITY = {"WEP-64Bits": "Static WEP", "WEP-128Bits": "Static WEP", "WPAPSK": "WPA-PSK", "WPA2PSK": "WPA2-PSK",
            "WPAPSKWPA2PSK": "WPA-PSKWPA2-PSK", "WPA1WPA2": "WPA/WPA2"}


def wlan_ssid_list(st):
    lang = lang_index(st)
    out = HEADER + ("<html><head><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
                    "<meta http-equiv=\"Pragma\" content=\"no-cache\">"
                    "<link rel=\"stylesheet\" href=\"../control.css\" type=\"text/css\">\n")
    out += STYLE + "</head>\n" + src("../General.js") + src("../Multi_Language.js")
    out += ml_script(["Status", "Modify", "Security"], DELETE_BY_INDEX)
    out += ("<body marginwidth=\"0\" marginheight=\"0\" LINK=#000000 VLINK=#000000 ALINK=#000000  class=\"main\" "
            "bgcolor=\"#FFFFFF\" topmargin=\"10\" leftmargin=\"0\" >"
            "<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" bordercolor=\"#FFFFFF\">"
            "<tr bgcolor=\"#003399\"><td width=\"5%\" align=\"center\" class=\"tableTitle\">#</td>"
            "<td width=\"10%\" align=\"center\" class=\"tableTitle\"><span id='Status'></span></td>"
            "<td width=\"35%\" align=\"center\" class=\"tableTitle\">SSID</td>"
            "<td width=\"25%\" align=\"center\" class=\"tableTitle\"><span id='Security'></span></td>"
            "<td align=\"center\" class=\"tableTitle\"><span id='Modify'></span></td></tr>\n")
    n = count(st, "WLan_Common", "BssidNum", MAX_BSSIDS)
    if n is None:
        return out, 255
    for i in range(1, n):
        e = st.get("WLan_Entry%d" % i, {})
        auth = e.get("AuthMode", "N/A")
        on = e.get("APOn", "N/A") == "1"
        state = ("Aktif" if on else "Pasif") if lang == 1 else ("Active" if on else "InActive")
        out += "<tr class=\"tabcolor%d\">\n" % (i % 2 + 1)
        out += ("<td align=\"center\"><strong>%d</strong></td><td align=\"center\">%s</td><td align=\"center\">%s</td>"
                "<td align=\"center\">%s</td><td align=\"center\"><font style= \"cursor:hand;cursor:pointer;\">"
                "<a onClick=\"javascript:top.main.window.location='/cgi-bin/WLAN_MoreAP_Edit.asp?AP_CurrentIndex='+%d\">"
                "<img src=\"/i_edit.gif\"  width=\"19\" height=\"14\"  border=\"0\"></a><a onClick=\"doDeleteRule(%d)\">"
                "<img src=\"../trashcan.gif\" border=\"0\"></a></font></td></tr>") % (
            i, state, html(e.get("SSID", "N/A")), html(SECURITY.get(auth, auth)), i, i)
    return out + footer(lang), 0


# ---- wifi_station_list

def wifi_station_list(st):
    out = HEADER + SHORT_HEAD + STYLE + "</head>\n" + src("../General.js") + src("../Multi_Language.js")
    out += ml_script(["Asso_Time", ("Mac_Address", "MAC_Address")]) + BODY + TABLE
    out += headings(15, [(214, "Mac_Address"), (235, "Asso_Time")], False)
    n = count(st, "wifiMacTab_Common", "NUM", MAX_STATIONS)
    if n is None:
        return out, 255
    printed = 0
    for i in range(n):
        e = st.get("wifiMacTab_Entry%d" % i, {})
        if "MAC" not in e:
            continue
        out += row_start(by_count(printed), 15, printed + 1)
        printed += 1
        out += cell(214, e["MAC"]) + cell(235, e.get("TIME", "N/A"), True)
    return out + footer(lang_index(st)), 0


# ---- samba_user_list

def samba_user_list(st):
    head_lines = [
        "<html><head><meta http-equiv=Content-Script-Type content=text/javascript><meta http-equiv=Content-Style-Type "
        "content=text/css><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
        "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\">",
        "<style type=\"text/css\">", ".main {", "font-family: Verdana, Arial, Helvetica, sans-serif;",
        "font-size: 11px;", "font-weight: normal;", "color: #000000;", "margin: 0px;",
        "background-attachment: fixed;", "background-image:none;", "}", "</style>", "</head>",
        "<script type=\"text/javascript\" src=\"/General.js\" ></script>",
        "<script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script>",
        "<script language=\"JavaScript\">", "function Multi_Language(Index)", "{", "language_Index=parseInt(Index);",
        "document.getElementById(\"Active\").innerHTML = Active[language_Index];",
        "document.getElementById(\"UserName_Text\").innerHTML = UserName_Text[language_Index];",
        "document.getElementById(\"Modify\").innerHTML = Modify[language_Index];", "}",
        "function doFindCurrentRule(CurrentIndex)", "{",
        "top.main.document.forms[0].returnCurrentIndex.value = CurrentIndex;", "}",
        "function doEditRule()", "{",
        "top.main.location = \"/cgi-bin/FS_add.asp?returnCurrentIndex=\" + "
        "top.main.document.forms[0].returnCurrentIndex.value;", "}",
        "function doDeleteRule()", "{", "top.main.document.forms[0].submit();", "}", "</script>"]
    out = HEADER + "".join(line + "\r \n" for line in head_lines)
    out += ("<body marginwidth=\"0\" marginheight=\"0\" LINK=#000000 VLINK=#000000 ALINK=#000000 >"
            "<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" bordercolor=\"#FFFFFF\" "
            "bgcolor=\"#FFFFFF\">\n"
            "<tr><td width=\"5%\" class=\"tableTitle\"><div align=\"center\">#</div></td>\n"
            "<td width=\"10%\" class=\"tableTitle\"><div align=\"center\"><span id='Active'></span></div></td>\n"
            "<td class=\"tableTitle\"><div align=\"center\"><span id='UserName_Text'></span></div></td>\n"
            "<td width=\"15%\" class=\"tableTitle\"><div align=\"center\"><span id='Modify'></span></div></td>\n"
            "</tr> ")

    def shown(v):
        # Read into 64 bytes.
        return "N/A" if v is None or v in ("", "no attribute information", "no node information") else v[:63]

    pieces = []
    for i in range(16):
        e = st.get("Smbd_Entry%d" % i, {})
        active, user = shown(e.get("Active")), shown(e.get("username"))
        pieces += [
            "<tr class=\"tabcolor%d\"><td width=\"5%%\"><div align=\"center\">" % (i % 2 + 1),
            "<strong>%d</strong></div></td>\n" % (i + 1),
            "<td width=\"10%%\" align=\"center\"><input type=\"checkbox\" %s disabled></td>\n" % (
                "checked" if active == "Yes" else ""),
            "<td><div align=\"center\">%s</div></td>\n" % html(user),
            "<td width=\"15%\" align=\"center\"><font style= \"cursor:hand;cursor:pointer;\">\n",
            ("<a onClick=\"doFindCurrentRule(%d); doEditRule();\" onMouseOut=\"MM_swapImgRestore()\" "
             "onMouseOver=\"MM_swapImage('Image260','','/i_edit_on.gif',1)\"><img src=\"/i_edit.gif\" name=\"Image260\" "
             "width=\"19\" height=\"14\" border=\"0\"></a>\n") % i,
            ("<a onClick=\"doFindCurrentRule(%d); doDeleteRule();\" onMouseOut=\"MM_swapImgRestore()\" "
             "onMouseOver=\"MM_swapImage('Image290','','/i_delete_on.gif',1)\"><img src=\"/i_delete.gif\" name=\"Image290\" "
             "width=\"19\" height=\"14\" border=\"0\"></a></font></td></tr>\n") % i,
        ]
    pieces.append("</table></body><script language=\"JavaScript\">Multi_Language(%d);</script></html>" % lang_index(st))
    return out + "".join(" " + p for p in pieces) + "\n", 0


# ---- usb_printer_list

def usb_printer_list(st):
    out = HEADER + ("<html><head><meta http-equiv='content-type' content='text/html;charset=iso-8859-1'>"
                    "<link rel=\"stylesheet\" href=\"../control.css\" type=\"text/css\">\n"
                    "<style type=\"text/css\">.main {font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 11px; "
                    "font-weight: normal; color: #000000; margin: 0px; background-attachment: fixed; "
                    "background-image:none;}</style>\n</head>\n")
    out += src("../Multi_Language.js")
    out += ("<script language=\"JavaScript\">\nfunction Multi_Language(Index,flag)\n{\nlanguage_Index=parseInt(Index);\n"
            "document.getElementById(\"PS_Name\").innerHTML = PS_Name[language_Index];\n"
            "document.getElementById(\"PS_Model\").innerHTML = PS_Model[language_Index];\n}\n")
    out += ("</script><body class=\"main\"><table id=\"CgiInnerTable\" width=\"100%\" border=\"1\" align=\"center\" "
            "cellpadding=\"1\" cellspacing=\"0\" bordercolor=\"#FFFFFF\"><tr>\n"
            "<td width=\"4%\" align=\"center\" class=\"tableTitle\">#</td>\n"
            "<td width=\"48%\" align=\"center\" class=\"tableTitle\"><span id='PS_Name'></span></td>\n"
            "<td width=\"48%\" align=\"center\" class=\"tableTitle\"><span id='PS_Model'></span></td>\n")
    found = 0
    for i in range(16):
        e = st.get("UsbDeviceInfo_Entry%d" % i, {})
        if not e.get("Driver", "").startswith("usblp"):
            continue
        found += 1
        # Each value is read into 128 bytes.
        product = e.get("Product", "USB Printer")[:127]
        serial = e.get("SerialNumber")
        serial = serial[:127] if serial is not None else None
        name = product + "_" + serial if serial not in (None, "", "N/A") else product
        out += "<tr class=\"tabcolor%d\">" % (i % 2 + 1)
        out += ("<td align=\"center\" ><strong>%d</strong></td><td align=\"center\" >%s</td>"
                "<td align=\"center\" >%s - %s</td></tr>\n") % (found, html(name), html(e.get("Manufacturer", "Unknown")[:127]),
                                                              html(product))
    return out + footer(lang_index(st)), 0


PAGES = {"dhcp_static_list": dhcp_static_list, "dhcp_lease_list": dhcp_lease_list,
         "dhcp6_lease_list": dhcp6_lease_list, "wlan_ssid_list": wlan_ssid_list,
         "wifi_station_list": wifi_station_list, "samba_user_list": samba_user_list,
         "usb_printer_list": usb_printer_list}

TURKISH = {"GUI_Entry1": {"Multi_Language": "Yes", "Language": "Turkey"}}
HOSTILE = "<b>\"it's\" & co</b>"


def merge(*stores):
    s = {}
    for st in stores:
        s.update(st)
    return s


CASES = {p: {} for p in PAGES}

C = CASES["dhcp_static_list"]
C["lease_states"] = merge(TURKISH, {
    "Dhcpd": {"MaxStaticNum": "6"},
    # live lease 1, behind a lease entry 0 that does not exist: delete link only
    "Dhcpd_Entry0": {"IP": "192.168.1.10", "MAC": "00:11:22:33:44:0A"},
    # expired lease 2 matches before live lease 3: inactive
    "Dhcpd_Entry1": {"IP": "192.168.1.11", "MAC": "00:11:22:33:44:0B"},
    # only a lease with the same IP and another MAC: inactive
    "Dhcpd_Entry2": {"IP": "192.168.1.12", "MAC": "00:11:22:33:44:0C"},
    # matching lease without ExpireTime: inactive
    "Dhcpd_Entry3": {"IP": "192.168.1.13", "MAC": "00:11:22:33:44:0D"},
    # entry 4 missing: "N/A" cells; entry 5 MAC missing
    "Dhcpd_Entry5": {"IP": "192.168.1.15"},
    "DhcpLease": {"LeaseNum": "8"},
    "DhcpLease_Entry1": {"IP": "192.168.1.10", "MAC": "00:11:22:33:44:0A", "ExpireTime": "23:59:1"},
    "DhcpLease_Entry2": {"IP": "192.168.1.11", "MAC": "00:11:22:33:44:0B", "ExpireTime": "0:0:0"},
    "DhcpLease_Entry3": {"IP": "192.168.1.11", "MAC": "00:11:22:33:44:0B", "ExpireTime": "1:0:0"},
    "DhcpLease_Entry4": {"IP": "192.168.1.12", "MAC": "00:11:22:33:44:FF", "ExpireTime": "1:0:0"},
    "DhcpLease_Entry5": {"MAC": "00:11:22:33:44:0D", "ExpireTime": "1:0:0"},
    "DhcpLease_Entry6": {"IP": "192.168.1.13", "MAC": "00:11:22:33:44:0D"},
    "DhcpLease_Entry7": {"IP": "192.168.1.13", "MAC": "00:11:22:33:44:0D", "ExpireTime": "2:0:0"},
})
C["unset_never_match"] = {
    "Dhcpd": {"MaxStaticNum": "5"},
    # too long to be read whole: the cut texts would be equal
    "Dhcpd_Entry4": {"IP": "1" * 63 + "A", "MAC": "m" * 80},
    "Dhcpd_Entry1": {"IP": "N/A", "MAC": "N/A"},
    "Dhcpd_Entry2": {"IP": "", "MAC": ""},
    "Dhcpd_Entry3": {"IP": "192.168.1.5", "MAC": "N/A"},
    "DhcpLease": {"LeaseNum": "5"},
    "DhcpLease_Entry0": {"IP": "N/A", "MAC": "N/A", "ExpireTime": "1:0:0"},
    "DhcpLease_Entry4": {"IP": "1" * 63 + "B", "MAC": "m" * 80, "ExpireTime": "1:0:0"},
    "DhcpLease_Entry1": {"IP": "", "MAC": "", "ExpireTime": "1:0:0"},
    "DhcpLease_Entry2": {"IP": "192.168.1.5", "MAC": "N/A", "ExpireTime": "1:0:0"},
    "DhcpLease_Entry3": {"ExpireTime": "1:0:0"},
}
C["count_missing"] = {"Dhcpd": {"Other": "1"}, "Dhcpd_Entry0": {"IP": "192.168.1.10", "MAC": "00:11:22:33:44:0A"}}
C["count_huge"] = {
    "Dhcpd": {"MaxStaticNum": "2000000000"},
    "Dhcpd_Entry0": {"IP": "192.168.1.10", "MAC": "00:11:22:33:44:0A"},
    "Dhcpd_Entry70": {"IP": "192.168.1.70", "MAC": "00:11:22:33:44:70"},
    "DhcpLease": {"LeaseNum": "2000000000"},
    "DhcpLease_Entry300": {"IP": "192.168.1.10", "MAC": "00:11:22:33:44:0A", "ExpireTime": "1:0:0"},
}
C["hostile_values"] = {
    "Dhcpd": {"MaxStaticNum": "2"},
    "Dhcpd_Entry0": {"IP": HOSTILE, "MAC": "'\"><script>x</script>"},
    "Dhcpd_Entry1": {"IP": "%s%d%n", "MAC": "a&amp;b"},
    "DhcpLease": {"LeaseNum": "1"},
    "DhcpLease_Entry0": {"IP": HOSTILE, "MAC": "'\"><script>x</script>", "ExpireTime": "1:0:0"},
}

C = CASES["dhcp_lease_list"]
C["na_between"] = merge(TURKISH, {
    "DhcpLease": {"LeaseNum": "5"},
    "DhcpLease_Entry0": {"HostName": "laptop", "IP": "192.168.1.2", "MAC": "00:11:22:33:44:02", "ExpireTime": "23:0:0"},
    "DhcpLease_Entry1": {"HostName": "gone", "IP": "N/A", "MAC": "00:11:22:33:44:03", "ExpireTime": "1:0:0"},
    "DhcpLease_Entry2": {"IP": "192.168.1.4", "MAC": "00:11:22:33:44:04", "ExpireTime": "0:0:0"},
    # entry 3 missing
    "DhcpLease_Entry4": {"HostName": "", "IP": "192.168.1.6"},
})
C["count_na"] = {"DhcpLease": {"LeaseNum": "N/A"}, "DhcpLease_Entry0": {"IP": "192.168.1.2"}}
C["count_missing"] = {"DhcpLease_Entry0": {"IP": "192.168.1.2"}}
C["count_huge"] = merge({"DhcpLease": {"LeaseNum": "2000000000"}},
                        {"DhcpLease_Entry%d" % i: {"IP": "10.0.%d.%d" % (i // 256, i % 256)} for i in range(260)})
C["hostile_values"] = {
    "DhcpLease": {"LeaseNum": "1"},
    "DhcpLease_Entry0": {"HostName": HOSTILE + "<img src=x onerror=alert(1)>", "IP": "\"'<>&",
                         "MAC": "%s%s%s%s", "ExpireTime": "1:0:0"},
}

C = CASES["dhcp6_lease_list"]
C["na_between"] = {
    "Dhcp6Lease": {"LeaseNum": "4"},
    "Dhcp6Lease_Entry0": {"IP6": "2001:db8::10", "ClientDuid": "00:01:00:01:2a:3b:4c:5d:00:11:22:33:44:55"},
    "Dhcp6Lease_Entry1": {"IP6": "N/A", "ClientDuid": "00:03:00:01:00:11:22:33:44:66"},
    "Dhcp6Lease_Entry2": {"IP6": "2001:db8::12"},
    "Dhcp6Lease_Entry3": {"IP6": "fe80::1", "ClientDuid": "00:03:00:01:00:11:22:33:44:77"},
}
C["count_missing"] = {"Dhcp6Lease": {"Other": "3"}, "Dhcp6Lease_Entry0": {"IP6": "2001:db8::10"}}
C["count_huge"] = merge({"Dhcp6Lease": {"LeaseNum": "2000000000"}},
                        {"Dhcp6Lease_Entry%d" % i: {"IP6": "2001:db8::%x" % i} for i in range(260)})
C["hostile_values"] = {
    "Dhcp6Lease": {"LeaseNum": "1"},
    "Dhcp6Lease_Entry0": {"IP6": "<i>2001:db8::1</i>", "ClientDuid": "\"><script>alert('duid')</script>&"},
}

C = CASES["wlan_ssid_list"]
C["four_bssids"] = {
    "WLan_Common": {"BssidNum": "4"},
    "WLan_Entry0": {"SSID": "MainNet", "AuthMode": "WPA2PSK", "APOn": "1"},
    "WLan_Entry1": {"SSID": "Guest", "AuthMode": "WPA2PSK", "APOn": "0"},
    "WLan_Entry2": {"SSID": "Kids", "AuthMode": "WEP-64Bits", "APOn": "1"},
    "WLan_Entry3": {"SSID": "Open", "AuthMode": "OPEN"},
    "WLan_Entry4": {"SSID": "Beyond", "AuthMode": "WPAPSK", "APOn": "1"},
}
C["words_turkish"] = merge(TURKISH, {"WLan_Common": {"BssidNum": "9"}}, {
    "WLan_Entry%d" % (k + 1): {"SSID": "Net%d" % (k + 1), "AuthMode": a, "APOn": on}
    for k, (a, on) in enumerate([("WPA2PSK", "0"), ("WEP-64Bits", "1"), ("WEP-128Bits", "1"), ("WPAPSK", "Yes"),
                                 ("WPAPSKWPA2PSK", "1"), ("WPA1WPA2", "1"), ("wpa2psk", "1")])})
C["count_missing"] = {"WLan_Entry1": {"SSID": "Guest", "AuthMode": "WPA2PSK", "APOn": "1"}}
C["count_huge"] = merge({"WLan_Common": {"BssidNum": "2000000000"}},
                        {"WLan_Entry%d" % i: {"SSID": "Net%d" % i, "AuthMode": "WPA2PSK", "APOn": "1"}
                         for i in range(18)})
C["hostile_values"] = {
    "WLan_Common": {"BssidNum": "2"},
    "WLan_Entry1": {"SSID": "\"><script>alert('ssid')</script>&", "AuthMode": HOSTILE, "APOn": "<1>"},
}

C = CASES["wifi_station_list"]
C["stations"] = merge(TURKISH, {
    "wifiMacTab_Common": {"NUM": "4"},
    "wifiMacTab_Entry0": {"MAC": "00:11:22:33:44:01", "TIME": "00:10:05"},
    "wifiMacTab_Entry1": {"TIME": "00:00:01"},
    "wifiMacTab_Entry2": {"MAC": "00:11:22:33:44:03"},
    "wifiMacTab_Entry3": {"MAC": "00:11:22:33:44:04", "TIME": "01:00:00"},
    "wifiMacTab_Entry4": {"MAC": "00:11:22:33:44:05", "TIME": "01:00:00"},
})
C["count_missing"] = {"wifiMacTab_Entry0": {"MAC": "00:11:22:33:44:01", "TIME": "00:10:05"}}
C["count_huge"] = merge({"wifiMacTab_Common": {"NUM": "2000000000"}},
                        {"wifiMacTab_Entry%d" % i: {"MAC": "00:11:22:33:45:%02X" % i, "TIME": "%d" % i}
                         for i in range(70)})
C["hostile_values"] = {
    "wifiMacTab_Common": {"NUM": "1"},
    "wifiMacTab_Entry0": {"MAC": HOSTILE, "TIME": "'\"<>&%n"},
}

C = CASES["samba_user_list"]
C["no_users"] = {}
C["users"] = merge(TURKISH, {
    "Smbd_Entry0": {"Active": "Yes", "username": "alice"},
    "Smbd_Entry1": {"Active": "No", "username": "bob"},
    "Smbd_Entry2": {"username": "carol"},
    "Smbd_Entry3": {"Active": "Yes", "username": ""},
    "Smbd_Entry15": {"Active": "yes", "username": "no node information"},
})
# The longest table there is: every name as long as it is read and every
# byte of it escaped; one name longer than that.
C["hostile_values"] = merge(
    {"Smbd_Entry%d" % i: {"Active": "Yes", "username": "\"" * 63} for i in range(16)},
    {"Smbd_Entry0": {"Active": "Yes", "username": HOSTILE + "%s%d 5%\""},
     "Smbd_Entry1": {"Active": "Yes", "username": "'" * 100}})

C = CASES["usb_printer_list"]
C["printers_2_and_7"] = merge(TURKISH, {
    "UsbDeviceInfo_Entry0": {"Driver": "usb-storage", "Manufacturer": "Disk Co", "Product": "Stick",
                             "SerialNumber": "123"},
    "UsbDeviceInfo_Entry2": {"Driver": "usblp0", "Manufacturer": "Print Co", "Product": "Laser 1",
                             "SerialNumber": "SN42"},
    "UsbDeviceInfo_Entry5": {"Driver": "usbl", "Product": "Almost"},
    "UsbDeviceInfo_Entry6": {"Manufacturer": "No Driver", "Product": "Nothing"},
    "UsbDeviceInfo_Entry7": {"Driver": "usblp1", "Product": "Inkjet 2"},
    "UsbDeviceInfo_Entry9": {"Driver": "usblp", "Manufacturer": "Print Co", "SerialNumber": "N/A"},
    "UsbDeviceInfo_Entry16": {"Driver": "usblp2", "Product": "Beyond"},
})
C["no_devices"] = {}
C["hostile_values"] = {
    "UsbDeviceInfo_Entry0": {"Driver": "usblp0", "Manufacturer": HOSTILE, "Product": "<script>p</script>",
                             "SerialNumber": "\"'&%s" + "9" * 140},
    "UsbDeviceInfo_Entry1": {"Driver": "usblp1", "Manufacturer": "M", "Product": "P" * 200,
                             "SerialNumber": "S" * 200},
}

if __name__ == "__main__":
    for page, cases in CASES.items():
        d = os.path.join(HERE, page)
        os.makedirs(d, exist_ok=True)
        for name, store in cases.items():
            text, status = PAGES[page](store)
            with open(os.path.join(d, name + ".cfg"), "w", encoding="utf-8", newline="") as f:
                f.write(cfg(store))
            with open(os.path.join(d, name + ".html"), "w", encoding="utf-8", newline="") as f:
                f.write(text)
            print("%s/%s %d" % (page, name, status))

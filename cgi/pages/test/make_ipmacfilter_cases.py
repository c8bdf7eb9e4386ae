#!/usr/bin/env python3
"""Writes the store fixtures (NAME.cfg) and the expected pages (NAME.html) of
the golden tests of the two packet filter pages into ipmacfilter_list/ and
ipv6macfilter_list/. The expected text is put together here from the pages'
literal texts, independently of the programs; review a changed .html by eye
before committing it."""
import os
import sys

sys.dont_write_bytecode = True
from make_fwrule_list_cases import cfg, html  # noqa: E402

TESTDIR = os.path.dirname(os.path.abspath(__file__))

V4_SPANS = [("Active", "Active"), ("Interface", "Interface"), ("Filter_Direction", "Filter_Direction"),
            ("Mac_Address", "MAC_Address"), ("Protocol_Text", "Protocol_Text"),
            ("Filter_Src_IP_Mask", "Filter_Src_IP_Mask"), ("Filter_Dest_IP_Mask", "Filter_Dest_IP_Mask"),
            ("Filter_Dest_Port", "Filter_Dest_Port"), ("Filter_Src_Port", "Filter_Src_Port")]
V6_SPANS = [("Active", "Active"), ("Interface", "Interface"), ("Filter_Direction", "Filter_Direction"),
            ("Mac_Address", "MAC_Address"), ("Protocol_Text", "Protocol_Text"),
            ("PrefixLength1", "IPv6_string5"), ("PrefixLength2", "IPv6_string5")]
TYPE_WORDS = {"130": "listener query", "131": "listener report", "132": "listener done",
              "143": "listener report v2"}


def heading(span, width):
    return "<td width=\"%d%%\" align=center class=\"tableTitle\"><span id='%s'></span></td>" % (width, span)


def head(spans):
    s = "Content-Type: text/html\n\n"
    s += ("<html><head><meta http-equiv=Content-Script-Type content=text/javascript><meta http-equiv=Content-Style-Type "
          "content=text/css><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\"><link rel=\"stylesheet\" "
          "href=\"/control.css\" type=\"text/css\">\n")
    s += ("<style type=\"text/css\">\n.main {\n\tfont-family: Verdana, Arial, Helvetica, sans-serif;\n\tfont-size: 11px;\n"
          "\tfont-weight: normal;\n\tcolor: #000000;\n\tmargin: 0px;\n\tbackground-attachment: fixed;\n"
          "\tbackground-image:none;\n}\n</style>\n")
    s += ("<script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script><script language=\"JavaScript\">"
          "function Multi_Language(Index){language_Index=parseInt(Index);")
    for sp, arr in spans:
        s += "document.getElementById(\"%s\").innerHTML = %s[language_Index];" % (sp, arr)
    s += "}</script>\n"
    s += "</head><body class=\"main\" topmargin=\"10\" leftmargin=\"0\">\n"
    s += ("<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" bordercolor=\"#FFFFFF\" "
          "bgcolor=\"#FFFFFF\">\n")
    s += "<tr><td width=\"5%\" align=center class=\"tableTitle\">#</td>\n"
    return s


def footer(store):
    gui = store.get("GUI_Entry1", {})
    lang = 1 if gui.get("Multi_Language") == "Yes" and gui.get("Language") == "Turkey" else 0
    return "</table></body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n" % lang


def shown(r, k):
    v = r.get(k, "")
    return "N/A" if v == "" else v


def row_start(i, r):
    s = "<tr class=\"tabcolor%d\"><td align=center>%d</td>\n" % (i % 2 + 1, i + 1)
    s += "<td align=\"center\">%s</td>\n" % html(r["Active"])
    s += "<td align=\"center\">%s</td>\n" % html(shown(r, "Interface"))
    s += "<td align=\"center\">%s</td>\n" % html(shown(r, "Direction"))
    return s


def addr(r, ip, mask):
    return "<td align=\"center\">%s/<br/>%s</td>\n" % (html(shown(r, ip)), html(shown(r, mask)))


def v4_page(store):
    reduced = store.get("GUI_Entry3", {}).get("DOVAN_GUI") == "1"
    out = head(V4_SPANS[:4] if reduced else V4_SPANS)
    if reduced:
        out += "".join(heading(sp, w) + "\n" for sp, w in
                       (("Active", 5), ("Interface", 5), ("Filter_Direction", 5), ("Mac_Address", 10)))
    else:
        cells = [("Active", 5), ("Interface", 5), ("Filter_Direction", 5), ("Filter_Src_IP_Mask", 20),
                 ("Filter_Dest_IP_Mask", 20), ("Mac_Address", 10), ("Filter_Src_Port", 10),
                 ("Filter_Dest_Port", 10), ("Protocol_Text", 10)]
        out += "".join(heading(sp, w) + "\n" for sp, w in cells[:-1]) + heading(*cells[-1]) + "</tr>\n"
    for i in range(16):
        r = store.get("IpMacFilter_Entry%d" % i)
        if r is None or "Active" not in r:
            continue
        out += row_start(i, r)
        if not reduced:
            out += addr(r, "SrcIPAddr", "SrcIPMask") + addr(r, "DesIPAddr", "DesIPMask")
        out += "<td align=center>%s</td>\n" % html(shown(r, "MacAddr"))
        if not reduced:
            out += "<td align=center>%s</td>\n" % html(shown(r, "SrcPort"))
            out += "<td align=center>%s</td>\n" % html(shown(r, "DesPort"))
            out += "<td align=center>%s</td></tr>\n" % html(shown(r, "Protocol"))
    return out + footer(store)


def v6_page(store):
    out = head(V6_SPANS)
    out += heading("Active", 5) + "\n" + heading("Interface", 5) + "\n" + heading("Filter_Direction", 5) + "\n"
    out += "<td width=\"20%\" align=center class=\"tableTitle\">ICMPv6Type</td>\n"
    out += "<td width=\"25%\" align=center class=\"tableTitle\">Src IP/<span id='PrefixLength1'>PrefixLength</span></td>\n"
    out += "<td width=\"25%\" align=center class=\"tableTitle\">Dest IP/<span id='PrefixLength2'>PrefixLength</span></td>\n"
    out += heading("Mac_Address", 10) + "\n" + heading("Protocol_Text", 10) + "</tr>\n"
    for i in range(16):
        r = store.get("Ipv6MacFilter_Entry%d" % i)
        if r is None or "Active" not in r:
            continue
        out += row_start(i, r)
        t = shown(r, "ICMPv6Type")
        out += "<td align=center>%s</td>\n" % html(TYPE_WORDS.get(t, t))
        out += addr(r, "SrcIPAddr", "SrcIPMask") + addr(r, "DesIPAddr", "DesIPMask")
        out += "<td align=center>%s</td>\n" % html(shown(r, "MacAddr"))
        out += "<td align=center>%s</td></tr>\n" % html(shown(r, "Protocol"))
    return out + footer(store)


def v4_rule(k):
    return {"Active": "Yes" if k % 2 == 0 else "No", "Interface": "PVC%d" % k, "Direction": "Incoming",
            "MacAddr": "00:11:22:33:44:%02X" % k, "SrcIPAddr": "192.168.1.%d" % k, "SrcIPMask": "255.255.255.0",
            "DesIPAddr": "10.0.0.%d" % k, "DesIPMask": "255.0.0.0", "SrcPort": str(1000 + k),
            "DesPort": str(2000 + k), "Protocol": "TCP"}


def v6_rule(k, icmp="128"):
    return {"Active": "Yes", "Interface": "PVC%d" % k, "Direction": "Outgoing", "MacAddr": "00:AA:BB:CC:DD:%02X" % k,
            "SrcIPAddr": "2001:db8::%x" % k, "SrcIPMask": "64", "DesIPAddr": "fd00::%x" % k, "DesIPMask": "128",
            "Protocol": "ICMPv6", "ICMPv6Type": icmp}


def entries(fmt, pairs, extra=None):
    s = {} if extra is None else dict(extra)
    for i, r in pairs:
        s[fmt % i] = r
    return s


V4 = "IpMacFilter_Entry%d"
V6 = "Ipv6MacFilter_Entry%d"
HOSTILE = {"Active": "<b>Yes</b>", "Interface": "\"><script>alert(1)</script>", "Direction": "it's",
           "MacAddr": "a&b", "SrcIPAddr": "<", "SrcIPMask": ">", "DesIPAddr": "\"", "DesIPMask": "'",
           "SrcPort": "&amp;", "DesPort": "x\ty\nz", "Protocol": "\u00e7\u011f", "ICMPv6Type": "<130>"}
EMPTY = {"Active": "", "Interface": "", "Direction": "", "MacAddr": "", "SrcIPAddr": "", "SrcIPMask": "",
         "DesIPAddr": "", "DesIPMask": "", "SrcPort": "", "DesPort": "", "Protocol": "", "ICMPv6Type": ""}
TURKEY = {"GUI_Entry1": {"Multi_Language": "Yes", "Language": "Turkey"}}

V4_CASES = {}
V4_CASES["empty_store"] = {}
V4_CASES["indices_0_and_5"] = entries(V4, [(0, v4_rule(0)), (5, v4_rule(5))],
                                      entries(V6, [(1, v6_rule(1))]))
V4_CASES["reduced_form"] = entries(V4, [(0, v4_rule(0)), (5, v4_rule(5))], {"GUI_Entry3": {"DOVAN_GUI": "1"}})
for name, flag in (("form_flag_0", "0"), ("form_flag_yes", "yes"), ("form_flag_1_space", "1 ")):
    V4_CASES[name] = entries(V4, [(3, v4_rule(3))], {"GUI_Entry3": {"DOVAN_GUI": flag}})
V4_CASES["form_flag_elsewhere"] = entries(V4, [(3, v4_rule(3))], {"GUI_Entry1": {"DOVAN_GUI": "1"}})
V4_CASES["empty_values"] = entries(V4, [(0, dict(EMPTY)), (1, {"Active": "N/A"}), (2, {"Interface": "eth0"})])
V4_CASES["empty_values_reduced"] = entries(V4, [(0, dict(EMPTY)), (1, {"Active": "No"})],
                                           {"GUI_Entry3": {"DOVAN_GUI": "1"}})
V4_CASES["twenty_rules"] = entries(V4, [(i, v4_rule(i)) for i in range(20)], TURKEY)
V4_CASES["hostile_values"] = entries(V4, [(0, dict(HOSTILE)), (1, v4_rule(1))])
V4_CASES["hostile_values_reduced"] = entries(V4, [(7, dict(HOSTILE))], {"GUI_Entry3": {"DOVAN_GUI": "1"}})

V6_CASES = {}
V6_CASES["empty_store"] = {}
V6_CASES["indices_0_and_5"] = entries(V6, [(0, v6_rule(0)), (5, v6_rule(5))], entries(V4, [(1, v4_rule(1))]))
V6_CASES["icmpv6_type_words"] = entries(V6, [
    (0, v6_rule(0, "130")), (1, v6_rule(1, "131")), (2, v6_rule(2, "132")), (3, v6_rule(3, "143")),
    (4, v6_rule(4, "128")), (5, v6_rule(5, "")), (6, dict(v6_rule(6), ICMPv6Type="N/A")),
    (7, {k: v for k, v in v6_rule(7).items() if k != "ICMPv6Type"}), (8, v6_rule(8, "1430")),
    (9, v6_rule(9, " 130")),
])
V6_CASES["empty_values"] = entries(V6, [(0, dict(EMPTY)), (3, {"Active": "No"}), (4, {"Protocol": "UDP"})],
                                   dict(TURKEY, GUI_Entry3={"DOVAN_GUI": "1"}))
V6_CASES["no_rules"] = entries(V6, [], {"Ipv6MacFilter_Entry16": v6_rule(16)})
V6_CASES["hostile_values"] = entries(V6, [(15, dict(HOSTILE))])

PAGES = {"ipmacfilter_list": (V4_CASES, v4_page), "ipv6macfilter_list": (V6_CASES, v6_page)}

if __name__ == "__main__":
    for page, (cases, render) in PAGES.items():
        here = os.path.join(TESTDIR, page)
        os.makedirs(here, exist_ok=True)
        for name, store in cases.items():
            with open(os.path.join(here, name + ".cfg"), "w", encoding="utf-8", newline="") as f:
                f.write(cfg(store))
            with open(os.path.join(here, name + ".html"), "w", encoding="utf-8", newline="") as f:
                f.write(render(store))
            print(page + "/" + name)

#!/usr/bin/env python3
"""Writes the store fixtures (NAME.cfg) and the expected pages (NAME.html) of
the qos_queue_list golden test into qos_queue_list/. The expected text is put
together here from the page's literal texts, independently of the program;
review a changed .html by eye before committing it."""
import os

import sys

sys.dont_write_bytecode = True
from make_fwrule_list_cases import cfg, html  # noqa: E402

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "qos_queue_list")
EOL = "\r \n"
NO_NODE, NO_ATTR = "no node information", "no attribute information"


def js(v):
    out = []
    for c in v:
        if c == "\\":
            out.append("\\\\")
        elif c == "\n":
            out.append("\\n")
        elif c == "\r":
            out.append("\\r")
        elif c == "\t":
            out.append("\\t")
        elif ord(c) < 0x20 or ord(c) == 0x7F or c in "\"'<>&":
            out.append("\\x%02x" % ord(c))
        else:
            out.append(c)
    return "".join(out)


def script(name, param, span):
    lines = ["<script language=\"JavaScript\">",
             "function %s(Index,Discpline,%s)" % (name, param),
             "{",
             "language_Index=parseInt(Index);",
             "if(Discpline != \"WRR\")",
             "{",
             "document.getElementById(\"Qos_Priority\").innerHTML = Qos_Priority[language_Index];",
             "if(%s == \"Yes\")" % param,
             "document.getElementById(\"%s\").innerHTML = %s[language_Index];" % (span, span),
             "}",
             "document.getElementById(\"Active\").innerHTML = Active[language_Index];",
             "document.getElementById(\"QoS_Queue_Index\").innerHTML = QoS_Queue_Index[language_Index];",
             "}",
             "</script>"]
    return "".join(l + EOL for l in lines)


STYLE = ["<style type=\"text/css\">", ".main {", "\tfont-family: Verdana, Arial, Helvetica, sans-serif;",
         "\tfont-size: 11px;", "\tfont-weight: normal;", "\tcolor: #000000;", "\tmargin: 0px;",
         "\tbackground-attachment: fixed;", "\tbackground-image:none;", "}", "</style>"]
INCLUDE = "<script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script>"


def head():
    s = ("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
         "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\">" + EOL)
    s += "".join(l + EOL for l in STYLE)
    s += INCLUDE + EOL + script("Multi_Language", "SupportRateLimit", "QoS_Rate_Limit")
    s += INCLUDE + EOL + script("Multi_Language1", "SupportRatePercent", "QoS_Rate_Percent_Limit")
    s += "</head>" + EOL
    s += "<body class=\"main\" bgcolor=\"#FFFFFF\" topmargin=\"10\" leftmargin=\"0\">"
    return s


TABLE_HEAD = ("<table id=\"CgiInnerTable\" width=\"60%\" border=\"1\" align=center cellpadding=\"1\" "
              "cellspacing=\"0\" bordercolor=\"#FFFFFF\" <tr><td width=\"20%\" align=\"center\" "
              "class=\"tableTitle\"> <span id='QoS_Queue_Index'></span></td> <td width=\"20%\" "
              "align=\"center\" class=\"tableTitle\"><span id='Active'></span></td>")
CELL = "<td align=center width=\"20%%\">%s</td>"


def page(store):
    """The expected page for `store`, following the page's rules."""
    qc = store.get("QoS_Common")

    def get(attr):
        if qc is None:
            return False, NO_NODE
        if attr not in qc:
            return False, NO_ATTR
        return True, qc[attr]

    def value(attr, default):
        ok, v = get(attr)
        return v if ok else default

    disc = value("Discipline", "N/A")
    limit = value("QoSRateLimit", "N/A")
    percent = value("QoSRatePercent", "N/A")
    wrr, with_rate, pct = disc == "WRR", limit == "Yes", percent == "Yes"
    doc = ""
    if wrr:
        doc += TABLE_HEAD + "<td width=\"20%\" align=\"center\" class=\"tableTitle\">Weight</td></tr>"
    else:
        doc += " " + TABLE_HEAD + (" <td width=\"20%\" align=\"center\" class=\"tableTitle\">"
                                   "<span id='Qos_Priority'></span></td>\n")
        if with_rate:
            span = "QoS_Rate_Percent_Limit" if pct else "QoS_Rate_Limit"
            doc += " <td width=\"20%%\" align=\"center\" class=\"tableTitle\"><span id='%s'></span></td></tr>" % span
    for n in range(1, 5):
        cls = "tabcolor%d" % ((n - 1) % 2 + 1)
        ok, shown = get("Queue%d" % n)
        if not ok or shown in (NO_ATTR, NO_NODE, "N/A", "No"):
            continue
        sw = html(value("QueueSW%d" % n, "N/A"))
        if wrr:
            first = "default" if n == 4 else str(n)
            doc += " <tr class=%s>" % cls + CELL % first + CELL % sw + "\n"
            doc += " " + CELL % html(value("QueueWRR%d" % n, "N/A")) + "</tr>\n"
            continue
        doc += " <tr class=%s>" % cls + CELL % n + CELL % sw + "\n"
        doc += " " + CELL % html(value("QueueSP%d" % n, "N/A")) + "\n"
        if with_rate:
            rate = value("QueueRate%d" % n, "")
            if rate == "":
                doc += " " + CELL % "No limit" + "</tr>\n"
            else:
                doc += " " + CELL % (html(rate) + ("%" if pct else "")) + "</tr>\n"
    gui = store.get("GUI_Entry1", {})
    lang = 1 if gui.get("Multi_Language") == "Yes" and gui.get("Language") == "Turkey" else 0
    if pct:
        call = "Multi_Language1(%d,\"%s\",\"%s\");" % (lang, js(disc), js(percent))
    else:
        call = "Multi_Language(%d,\"%s\",\"%s\");" % (lang, js(disc), js(limit))
    doc += " </table></body><script language=\"JavaScript\">" + call + "</script></html>"
    return "Content-Type: text/html\n\n" + head() + doc + "\r \n "


def qos(**attrs):
    return {"QoS_Common": attrs}


def queues(shown=("Yes", "Yes", "Yes", "Yes")):
    a = {}
    for n in range(1, 5):
        if shown[n - 1] is not None:
            a["Queue%d" % n] = shown[n - 1]
        a["QueueSW%d" % n] = "Yes" if n % 2 else "No"
        a["QueueWRR%d" % n] = str(10 * n)
        a["QueueSP%d" % n] = str(n)
        a["QueueRate%d" % n] = str(25 * n)
    return a


TURKEY = {"GUI_Entry1": {"Multi_Language": "Yes", "Language": "Turkey"}}
HOSTILE = "<b>\"it's\" & </b>"
LONG = ("<&>\"'\\" * 200)[:1023]

CASES = {}
CASES["empty_store"] = {}
CASES["wrr"] = qos(Discipline="WRR", QoSRateLimit="Yes", QoSRatePercent="No", **queues())
CASES["wrr_percent_footer"] = dict(qos(Discipline="WRR", QoSRateLimit="No", QoSRatePercent="Yes",
                                       **queues(("Yes", "No", "Yes", "Yes"))), **TURKEY)
CASES["priority_rate_percent"] = qos(Discipline="SP", QoSRateLimit="Yes", QoSRatePercent="Yes",
                                     **dict(queues(("Yes", "No", "Yes", "Yes")), QueueRate1="30", QueueRate3=""))
CASES["priority_rate_absolute"] = qos(Discipline="PQ", QoSRateLimit="Yes", QoSRatePercent="No",
                                      **dict(queues(), QueueRate2="", QueueRate4="1000"))
CASES["priority_no_rate_column"] = qos(Discipline="SP", QoSRateLimit="No", QoSRatePercent="No", **queues())
CASES["hiding_texts"] = qos(Discipline="SP", QoSRateLimit="Yes", QoSRatePercent="No",
                            **queues(("N/A", None, NO_NODE, "no")))
CASES["hiding_texts_2"] = qos(Discipline="WRR", **queues((NO_ATTR, "", "No", "YES")))
CASES["qos_common_missing"] = dict(TURKEY, Other_Entry={"Discipline": "WRR", "Queue1": "Yes"})
CASES["cells_unreadable"] = qos(Discipline="SP", QoSRateLimit="Yes", QoSRatePercent="Yes",
                                Queue1="Yes", Queue2="Yes", QueueSW2="sw", Queue3="Yes", QueueWRR3="7",
                                Queue4="Yes", QueueRate4="N/A")
CASES["cells_unreadable_wrr"] = qos(Discipline="WRR", Queue1="Yes", Queue4="Yes", QueueSP4="3")
CASES["hostile_values"] = qos(Discipline=HOSTILE, QoSRateLimit="Yes", QoSRatePercent="N'o",
                              **dict(queues(), QueueSW1=HOSTILE, QueueSP2="</td><script>x()</script>",
                                     QueueRate3="\"><img src=x onerror=alert(1)>", QueueRate4="5\n\t\r"))
CASES["hostile_values_percent"] = qos(Discipline="WRR", QoSRateLimit="x\\\"y", QoSRatePercent="Yes",
                                      **dict(queues(), QueueWRR2=HOSTILE, QueueSW4="&amp;"))
CASES["long_values"] = qos(Discipline=LONG, QoSRateLimit="Yes", QoSRatePercent="Yes",
                           **{k % n: LONG for n in range(1, 5)
                              for k in ("QueueSW%d", "QueueSP%d", "QueueRate%d", "QueueWRR%d")},
                           Queue1="Yes", Queue2="Yes", Queue3="Yes", Queue4="Yes")

if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    for name, store in CASES.items():
        with open(os.path.join(HERE, name + ".cfg"), "w", encoding="utf-8", newline="") as f:
            f.write(cfg(store))
        with open(os.path.join(HERE, name + ".html"), "w", encoding="utf-8", newline="") as f:
            f.write(page(store))
    print("\n".join(sorted(CASES)))

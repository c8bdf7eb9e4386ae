#!/usr/bin/env python3
"""Writes the expected pages (NAME.html) of the trustedca_list golden test
into trustedca_list/. The store, the certificate files and the subject lines
they give are set up by the test itself (trustedca_list_test.cpp); the rows
here are what each case must show, written from the page's literal texts,
independently of the program. Review a changed .html by eye before
committing it."""
import os

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "trustedca_list")


def html(v):
    return (v.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;").replace("'", "&#39;"))


TOP = (
    "Content-Type: text/html\n\n"
    "<html><head><meta http-equiv='content-type' content='text/html;charset=iso-8859-1'>"
    "<meta http-equiv=\"Pragma\" content=\"no-cache\"><meta name=\"generator\" content=\"GoLive CyberStudio 3\">"
    "<link rel=\"stylesheet\" href=\"../control.css\" type=\"text/css\"></head>\n"
    "<script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script><script language=\"JavaScript\">\n"
    "function Multi_Language(Index){language_Index=parseInt(Index);"
    "document.getElementById(\"Name_Text\").innerHTML = Name_Text[language_Index];"
    "document.getElementById(\"Subject_Text\").innerHTML = Subject_Text[language_Index];"
    "document.getElementById(\"Type\").innerHTML = Type[language_Index];"
    "document.getElementById(\"Action_Text\").innerHTML = Action_Text[language_Index];}\n"
    "function delClick(entry){\n\tvar f=top.main.document.trustedCA;\n\tf.delFlag.value = 1;\n"
    "\tf.delnum.value = entry;\n\tf.submit();\n\treturn;\n}\n"
    "function viewClick(entry){\n\ttop.main.window.location='/cgi-bin/trustedCA_view.asp?viewNum=' + entry;\n"
    "return;\n\t}\n"
    "</script>\n"
    "<body><table id=\"CgiInnerTable\" width=\"100%\"  height=\"100%\" border=\"1\" align=\"center\" "
    "cellpadding=\"1\" cellspacing=\"0\" bordercolor=\"#FFFFFF\">\n"
    "                <tr>\n"
    "                  <td align=\"center\" width=\"12%\" class=\"tableTitle\"><span id='Name_Text'></span></td>\n"
    "                  <td align=\"center\" class=\"tableTitle\"><span id='Subject_Text'></span></td>\n"
    "                  <td align=\"center\" width=\"10%\" class=\"tableTitle\"><span id='Type'></span></td>\n"
    "                  <td align=\"center\" width=\"7%\" class=\"tableTitle\"><span id='Action_Text'></span></td>\n"
    "                </tr>\n"
)


def row(slot, subject):
    i = slot - 1
    return ("<tr class=\"tabcolor2\" align=\"center\"><td>ca%d.pem</td><td class=\"table_font\">%s</td>"
            "<td>ca</td><td><div align=\"center\"> <font style= \"cursor:hand;cursor:pointer;\">"
            "<a onClick=\"viewClick(this.id);\" id=%d><img src=\"../i_edit.gif\" width=\"19\" height=\"14\"  "
            "border=0 ></a><a onClick=\"delClick(this.id);\" id=%d><img src=\"../trashcan.gif\"  border=0>"
            "</a> </font></div></td></tr>\n" % (slot, html(subject), i, i))


def page(rows, language=0):
    return (TOP + "".join(row(s, t) for s, t in rows)
            + "</table></body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n" % language)


CN117 = "N" * 117                       # "CN=" + 117 = a 120-byte line
CN_EURO = "N" * 94 + "\u20ac" + "tail"  # the euro sign takes line bytes 98..100

CASES = {
    "no_slot_in_use": page([]),
    "only_slot_3": page([(3, "C=DE/O=Acme/CN=Acme Root")]),
    "only_slot_3_turkey": page([(3, "C=DE/O=Acme/CN=Acme Root")], language=1),
    "missing_certificate": page([(1, "CN=Slot One")]),
    "subject_120_bytes": page([(1, ("CN=" + CN117)[:99]), (2, "CN=" + "N" * 94)]),
    "html_in_subject": page([(4, "O=Fish & Chips/CN=<b>bold</b>")]),
    "all_slots": page([(1, "CN=One"), (2, "C=FR/CN=Two"), (3, "O=Three/"), (4, "CN=Four")]),
}

if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    for name, text in CASES.items():
        with open(os.path.join(HERE, name + ".html"), "w", encoding="utf-8", newline="") as f:
            f.write(text)

#!/usr/bin/env python3
"""Writes the simulator's stand-ins for the web interface around the table
pages into OUTDIR (the device's web tree): the text arrays of
Multi_Language.js from languages.tsv, one frame page per row of pages.tsv
with the form its page's links fill, an index, the icons the pages name, and
copies of the static files in www/.

usage: make_web_tree.py OUTDIR"""
import html
import os
import shutil
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# The hidden fields (and visible controls) of each kind of form.
FORMS = {
    "fwrule": ("", ["FirewallRuleIndexFlag", "FirewallActionFlag", "FirewallRuleFlag"],
               '<div id="move" style="display:none">Move the rule to position '
               '<input type="text" name="MoveTo" size="3"> <input type="submit" value="Move"></div>\n'),
    "fwservice": ("", ["FirewallServiceIndex", "FirewallServiceAction"], ""),
    "select": ("", [], 'Service: <input type="text" name="FWRCfg_ServiceSelect" size="40" readonly>\n'),
    "trustedca": ("trustedCA", ["delFlag", "delnum"], ""),
    "index": ("", ["returnCurrentIndex"], ""),
    "plain": ("", [], ""),
}


def table(name):
    rows = []
    with open(os.path.join(HERE, name), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                rows.append(line.split("\t"))
    return rows


def js_string(text):
    out = []
    for ch in text:
        if ch.isascii() and ch.isalnum() or ch in " .()-_/":
            out.append(ch)
        else:
            out.append("\\u%04x" % ord(ch))
    return '"%s"' % "".join(out)


def multi_language_js():
    lines = ["// Text arrays: [0] the default language, [1] the second one.\n"]
    for name, first, second in table("languages.tsv"):
        lines.append("var %s = new Array(%s, %s);\n" % (name, js_string(first), js_string(second)))
    return "".join(lines)


def frame_page(page, title):
    t = html.escape(title)
    return ("<html><head><title>%s</title><link rel=\"icon\" href=\"data:,\"></head>\n"
            "<frameset rows=\"36,*\" border=\"0\">\n"
            "<frame name=\"banner\" src=\"/banner.html\" scrolling=\"no\">\n"
            "<frame name=\"main\" src=\"/%s_main.html\">\n"
            "</frameset></html>\n") % (t, page)


def main_page(page, kind, title):
    name, hidden, controls = FORMS[kind]
    if page == "trustedca_list":
        src = "/sim/webform?show=trustedca_list"  # certificate files first
    else:
        src = "/cgi-bin/" + page
    form = "<form method=\"post\" action=\"/sim/webform\"%s>\n" % (" name=\"%s\"" % name if name else "")
    form += "<input type=\"hidden\" name=\"page\" value=\"%s\">\n" % page
    for field in hidden:
        form += "<input type=\"hidden\" name=\"%s\" value=\"\">\n" % field
    form += controls + "</form>\n"
    return ("<html><head><title>%s</title><link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\"></head>\n"
            "<body class=\"frame\"><h3>%s</h3>\n%s"
            "<iframe name=\"list\" id=\"list\" src=\"%s\" width=\"100%%\" height=\"520\" frameborder=\"0\"></iframe>\n"
            "</body></html>\n") % (html.escape(title), html.escape(title), form, src)


def index_page(pages):
    items = "".join("<li><a href=\"/%s.html\">%s</a> (<a href=\"/cgi-bin/%s\">fragment</a>)</li>\n"
                    % (p, html.escape(t), p) for p, _, t in pages)
    return ("<html><head><title>Simulated gateway</title><link rel=\"icon\" href=\"data:,\">"
            "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\"></head>\n"
            "<body class=\"frame\"><h3>Simulated gateway: web interface</h3><ul>\n%s</ul></body></html>\n" % items)


def gif(width, height, palette, pixel):
    """A GIF whose LZW stream restarts every two codes, so every code stays
    three bits wide: simple, and valid for any decoder."""
    assert len(palette) == 4
    head = b"GIF89a" + struct.pack("<HHBBB", width, height, 0x81, 0, 0)
    head += b"".join(bytes(c) for c in palette)
    head += b"\x21\xf9\x04\x01\x00\x00\x00\x00"  # colour 0 is transparent
    head += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    codes = []
    pixels = [pixel(x, y) for y in range(height) for x in range(width)]
    for i in range(0, len(pixels), 2):
        codes.append(4)
        codes.extend(pixels[i:i + 2])
    codes.append(5)
    bits, nbits, data = 0, 0, bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += 3
        while nbits >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        data.append(bits & 0xFF)
    body = bytearray([2])
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        body += bytes([len(chunk)]) + chunk
    body += b"\x00"
    return head + bytes(body) + b"\x3b"


def icons():
    pal = lambda a, b, c: [(255, 255, 255), a, b, c]
    def pencil(x, y):
        d = x - (18 - y * 18 // 13)
        return 1 if -1 <= d <= 1 else (3 if x < 3 and y > 10 else 0)
    def cross(x, y):
        return 1 if abs(x - 9 - (y - 7)) <= 1 or abs(x - 9 + (y - 7)) <= 1 else 0
    def can(x, y):
        if y in (1, 2) and 1 <= x <= 12:
            return 1
        if y == 0 and 5 <= x <= 8:
            return 1
        if 3 <= y <= 15 and 2 <= x <= 11:
            return 2 if x in (5, 8) else 1
        return 0
    def arrow(x, y):
        if 5 <= x <= 8 and y >= 5:
            return 1
        return 1 if y < 7 and abs(x - 6.5) <= y else 0
    def dot(x, y):
        return 1 if (x - 7.5) ** 2 + (y - 6.5) ** 2 <= 25 else 0
    blue, dark, red, grey = (40, 80, 170), (20, 20, 20), (200, 30, 30), (110, 110, 110)
    return {
        "i_edit.gif": gif(19, 14, pal(blue, blue, dark), pencil),
        "i_delete.gif": gif(19, 14, pal(red, red, red), cross),
        "trashcan.gif": gif(14, 16, pal(grey, (230, 230, 230), grey), can),
        "i_delete_on.gif": gif(14, 16, pal(red, (255, 220, 220), red), can),
        "i_ton.gif": gif(14, 14, pal(grey, grey, grey), arrow),
        "i_ton_on.gif": gif(14, 14, pal(blue, blue, blue), arrow),
        "i_edit_on.gif": gif(19, 14, pal(red, red, dark), pencil),
        "i_active_on.gif": gif(16, 14, pal((30, 160, 60), (30, 160, 60), dark), dot),
        "i_active_off.gif": gif(16, 14, pal(grey, grey, dark), dot),
    }


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    pages = table("pages.tsv")
    files = {"Multi_Language.js": multi_language_js().encode("ascii"),
             "index.html": index_page(pages).encode("utf-8")}
    for page, kind, title in pages:
        files[page + ".html"] = frame_page(page, title).encode("utf-8")
        files[page + "_main.html"] = main_page(page, kind, title).encode("utf-8")
    files.update(icons())
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    static = os.path.join(HERE, "www")
    for name in sorted(os.listdir(static)):
        shutil.copyfile(os.path.join(static, name), os.path.join(out, name))


if __name__ == "__main__":
    main()

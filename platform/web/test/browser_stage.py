#!/usr/bin/python3
"""The browser stage: a simulated gateway serves its web interface
(gwsim web), and headless Chromium loads every table page through it over
fixture stores, checking what an administrator sees: the rows and cells in
the DOM, the headings filled in the language the store selects, no script
error, stored markup shown as text and never run, and a delete or move
clicked in the page carried out in the store. It also takes screenshots.

usage: browser_stage.py BUILD_DIR OUT_DIR
Runs with Debian's python3 (python3-selenium, chromium, chromium-driver)."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
from xml.sax.saxutils import quoteattr

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

HERE = os.path.dirname(os.path.abspath(__file__))
DEADLINE = 30  # seconds for anything the browser or the server has to do

# Stored values that would run script if a page printed them as markup, or
# broke out of a quoted script string.
IMG = "<img src=x onerror=\"window.top.pwned='img'\">"
SCRIPT = "\"><script>window.top.pwned='script'</script>"
QUOTE = "x');window.top.pwned='quote';//\""
HOSTILE = [IMG, SCRIPT, QUOTE]


def languages():
    table = {}
    with open(os.path.join(HERE, "..", "languages.tsv"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                name, first, second = line.split("\t")
                table[name] = (first, second)
    return table


def romfile(store):
    """The store stand-in's file: one element per node."""
    out = ["<ROMFILE>\n"]
    for node, attrs in store.items():
        text = " ".join("%s=%s" % (k, quoteattr(v, {"\t": "&#9;", "\n": "&#10;", "\r": "&#13;"}))
                        for k, v in attrs.items())
        out.append("\t<%s %s />\n" % (node, text))
    out.append("</ROMFILE>\n")
    return "".join(out)


TURKISH = {"GUI_Entry1": {"Multi_Language": "Yes", "Language": "Turkey"}}


def rule(i, active, src, **more):
    r = {"Active": active, "IPType": "IPv4", "SrcIPAddrType": "SingleAddr", "SrcStartIPAddr": src,
         "DestIPAddrType": "AnyAddr", "Service": "HTTP[TCP/80]", "Action": "Drop", "Log": "No"}
    r.update(more)
    return {"Firewall_LANtoWAN_Entry%d" % i: r}


def merge(*parts):
    out = {}
    for p in parts:
        for node, attrs in p.items():
            out.setdefault(node, {}).update(attrs)
    return out


THREE_RULES = merge({"WebCurSet_Entry": {"firewalldir_id": "LANtoWAN", "firewallrule_id": "0"},
                     "Firewall_Common": {"LANtoWANNum": "3"}},
                    rule(0, "Yes", "192.168.1.10"), rule(1, "No", "192.168.1.11"),
                    rule(2, "Yes", "192.168.1.12", Action="Permit"))

# Page, fixture store, what shows: `rows` maps a row number (from 0, heading
# rows not counted) to {column: cell text}; `nrows` the number of rows; `lang`
# the language index the headings must be in; `then` an action to click.
CASES = [
    dict(name="fwrule_list, three rules", page="fwrule_list", store=THREE_RULES, nrows=3, lang=0,
         rows={0: {0: "1", 1: "Yes", 2: "192.168.1.10", 3: "IPv4 Any", 6: "Drop"},
               2: {0: "3", 2: "192.168.1.12", 6: "Permit"}},
         screenshot="fwrule_list.png"),
    dict(name="fwrule_list, Turkish headings, hostile values", page="fwrule_list",
         store=merge(TURKISH, {"WebCurSet_Entry": {"firewalldir_id": "LANtoWAN"}},
                     rule(0, IMG, SCRIPT, Service=QUOTE, Action="it's \"so\"")),
         nrows=1, lang=1, rows={0: {1: IMG, 2: SCRIPT, 5: QUOTE, 6: "it's \"so\""}}),
    dict(name="fwrule_list, delete the second of three", page="fwrule_list", store=THREE_RULES,
         nrows=3, lang=0, then="delete_rule"),
    dict(name="fwrule_list, move the third onto the first", page="fwrule_list", store=THREE_RULES,
         nrows=3, lang=0, then="move_rule"),
    dict(name="fwservice_list, services with hostile names", page="fwservice_list",
         store=merge(TURKISH, {"FWService_Entry0": {"ServiceName": "Game", "Protocol": "UDP",
                                                   "ServicePortType": "rangePort", "StartPort": "5000",
                                                   "EndPort": "5100"},
                               "FWService_Entry1": {"ServiceName": IMG, "Protocol": "TCP",
                                                   "StartPort": "80"},
                               "FWService_Entry2": {"ServiceName": QUOTE, "Protocol": SCRIPT}}),
         nrows=3, lang=1, rows={0: {1: "Game", 3: "5000-5100"}, 1: {1: IMG}, 2: {1: QUOTE, 2: SCRIPT}}),
    dict(name="portbind_list, a group with a hostile name", page="portbind_list",
         store={"PortBind_Entry2": {"e3": "Yes", "Name": IMG}, "PortBind_Entry0": {"e1": "Yes", "Name": "IPTV"}},
         nrows=2, lang=0, rows={0: {0: "IPTV", 1: "eth1,"}, 1: {0: IMG, 1: "eth3,"}}),
    dict(name="wan_pvc_list, circuits", page="wan_pvc_list",
         store=merge(TURKISH, {"Wan_PVC1": {"Active": "Yes", "VPI": "8", "VCI": "35"},
                               "DeviceInfo_PVC1": {"WanIP": "100.64.0.9", "WanSubMask": SCRIPT}}),
         lang=1, contains=["100.64.0.9", SCRIPT]),
    dict(name="wan_node_list, nodes", page="wan_node_list",
         store={"Wan_PVC1": {"Active": "Yes", "VPI": "8", "VCI": "35", "ENCAP": QUOTE}},
         lang=0, contains=["8/35"]),
    dict(name="url_filter_list, hostile URL", page="url_filter_list",
         store={"UrlFilter_Entry1": {"Activate": "1", "URL": IMG},
                "UrlFilter_Entry0": {"Activate": "0", "URL": "ads.example/?a=1&b=2"}},
         lang=0, contains=["ads.example/?a=1&b=2", IMG]),
    dict(name="ipv6_route_list, a route", page="ipv6_route_list",
         store=merge(TURKISH, {"IPv6Route_Entry0": {"DST_IP": "2001:db8::", "Gateway": SCRIPT}}),
         lang=1, contains=["2001:db8::"]),
    dict(name="ipv4_route_list, a route", page="ipv4_route_list",
         store={"Route_Entry3": {"DST_IP": "10.1.0.0", "Gateway": "192.168.1.254", "Sub_mask": QUOTE}},
         lang=0, contains=["192.168.1.254"]),
]

CASES += [
    dict(name="dhcp_static_list, an entry with its active lease", page="dhcp_static_list",
         store={"Dhcpd": {"MaxStaticNum": "2"},
                "Dhcpd_Entry0": {"IP": "192.168.1.20", "MAC": "00:11:22:33:44:20"},
                "Dhcpd_Entry1": {"IP": IMG, "MAC": SCRIPT},
                "DhcpLease": {"LeaseNum": "1"},
                "DhcpLease_Entry0": {"IP": "192.168.1.20", "MAC": "00:11:22:33:44:20", "ExpireTime": "1:0:0"}},
         nrows=2, lang=0, rows={0: {0: "1", 2: "192.168.1.20", 3: "00:11:22:33:44:20"}, 1: {2: IMG, 3: SCRIPT}},
         icons={0: ["i_active_on.gif"], 1: ["i_active_off.gif"]}),
    dict(name="dhcp_lease_list, leases with hostile host names", page="dhcp_lease_list",
         store=merge(TURKISH, {"DhcpLease": {"LeaseNum": "2"},
                               "DhcpLease_Entry0": {"HostName": SCRIPT, "IP": "192.168.1.30", "MAC": "00:11:22:33:44:30"},
                               "DhcpLease_Entry1": {"HostName": QUOTE, "IP": "192.168.1.31", "MAC": IMG}}),
         nrows=2, lang=1, rows={0: {0: "1", 2: SCRIPT, 3: "192.168.1.30"}, 1: {2: QUOTE, 4: IMG}}),
    dict(name="dhcp6_lease_list, a lease", page="dhcp6_lease_list",
         store={"Dhcp6Lease": {"LeaseNum": "1"},
                "Dhcp6Lease_Entry0": {"IP6": "2001:db8::5", "ClientDuid": QUOTE}},
         nrows=1, lang=0, rows={0: {2: "2001:db8::5", 3: QUOTE}}),
    dict(name="wlan_ssid_list, Turkish state words", page="wlan_ssid_list",
         store=merge(TURKISH, {"WLan_Common": {"BssidNum": "3"},
                               "WLan_Entry1": {"SSID": IMG, "AuthMode": "WPA2PSK", "APOn": "0"},
                               "WLan_Entry2": {"SSID": "Guest", "AuthMode": "OPEN", "APOn": "1"}}),
         nrows=2, lang=1, rows={0: {0: "1", 1: "Pasif", 2: IMG, 3: "WPA2-PSK"}, 1: {1: "Aktif", 2: "Guest"}}),
    dict(name="wifi_station_list, a station", page="wifi_station_list",
         store={"wifiMacTab_Common": {"NUM": "1"},
                "wifiMacTab_Entry0": {"MAC": "00:11:22:33:44:55", "TIME": SCRIPT}},
         nrows=1, lang=0, rows={0: {1: "00:11:22:33:44:55", 2: SCRIPT}}),
    dict(name="samba_user_list, one user of sixteen rows", page="samba_user_list",
         store=merge(TURKISH, {"Smbd_Entry0": {"Active": "Yes", "username": QUOTE}}),
         nrows=16, lang=1, rows={0: {0: "1", 2: QUOTE}, 15: {0: "16", 2: "N/A"}}),
    dict(name="usb_printer_list, a printer beside a disk", page="usb_printer_list",
         store={"UsbDeviceInfo_Entry2": {"Driver": "usblp0", "Manufacturer": IMG, "Product": "LaserJet",
                                         "SerialNumber": "X1"},
                "UsbDeviceInfo_Entry3": {"Driver": "usb-storage", "Product": "Disk"}},
         nrows=1, lang=0, rows={0: {0: "1", 1: "LaserJet_X1", 2: IMG + " - LaserJet"}}),
]

THREE_SERVICES = {"Firewall_Common": {"ServiceNum": "3"},
                  "FWService_Entry0": {"ServiceName": "Game", "Protocol": "UDP", "ServicePortType": "rangePort",
                                       "StartPort": "5000", "EndPort": "5100"},
                  "FWService_Entry1": {"ServiceName": "Web", "Protocol": "TCP", "StartPort": "8080"},
                  "FWService_Entry2": {"ServiceName": "Mail", "Protocol": "TCP", "StartPort": "25"}}


def certificate(subject):
    """A self-signed CA certificate (PEM) with `subject`, made by openssl."""
    r = subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-keyout", "/dev/null", "-days", "30", "-subj", subject],
                       capture_output=True, text=True, timeout=60, check=True)
    return r.stdout


def cert_slot(pem):
    """A certificate slot's entry: the PEM text cut into fragments as the
    store keeps it (values are at most 1023 bytes)."""
    return {"Frag%d" % i: pem[at:at + 400] for i, at in enumerate(range(0, len(pem), 400))}


CASES += [
    dict(name="fwservice_list, delete the first of three", page="fwservice_list", store=THREE_SERVICES,
         nrows=3, lang=0, then="delete_service"),
    dict(name="fwservice_select, choosing a service fills the form", page="fwservice_select",
         store=merge(TURKISH, {"FWService_Entry0": {"ServiceName": QUOTE, "Protocol": "UDP",
                                                   "ServicePortType": "rangePort", "StartPort": "5000",
                                                   "EndPort": "5100"}}),
         lang=1, then="select_service"),
    dict(name="qos_queue_list, priority table with rates in percent", page="qos_queue_list",
         store=merge(TURKISH, {"QoS_Common": {"Discipline": "SP", "QoSRateLimit": "Yes", "QoSRatePercent": "Yes",
                                              "Queue1": "Yes", "QueueSW1": IMG, "QueueSP1": "1", "QueueRate1": "30",
                                              "Queue2": "No", "Queue3": "Yes", "QueueSW3": "Video",
                                              "QueueSP3": SCRIPT, "QueueRate3": "",
                                              "Queue4": "Yes", "QueueSP4": "4", "QueueRate4": "10"}}),
         nrows=3, lang=1, rows={0: {0: "1", 1: IMG, 2: "1", 3: "30%"}, 1: {0: "3", 2: SCRIPT, 3: "No limit"},
                                2: {0: "4", 3: "10%"}}),
    dict(name="ipmacfilter_list, rules at 0 and 5", page="ipmacfilter_list",
         store={"IpMacFilter_Entry0": {"Active": "Yes", "Interface": "PVC0", "Direction": "Incoming",
                                       "MacAddr": "", "SrcIPAddr": "10.0.0.1", "SrcIPMask": "255.0.0.0",
                                       "Protocol": "TCP"},
                "IpMacFilter_Entry5": {"Active": "No", "Interface": QUOTE, "MacAddr": SCRIPT}},
         nrows=2, lang=0, rows={0: {0: "1", 1: "Yes", 4: "10.0.0.1/255.0.0.0", 6: "N/A", 9: "TCP"},
                                1: {0: "6", 2: QUOTE, 6: SCRIPT}}),
    dict(name="ipv6macfilter_list, ICMPv6 words", page="ipv6macfilter_list",
         store=merge(TURKISH, {"Ipv6MacFilter_Entry0": {"Active": "Yes", "ICMPv6Type": "143", "Protocol": QUOTE,
                                                        "SrcIPAddr": "2001:db8::1", "SrcIPMask": "64"}}),
         nrows=1, lang=1, rows={0: {0: "1", 4: "listener report v2", 5: "2001:db8::1/64", 8: QUOTE}}),
    dict(name="trustedca_list, two slots in use, then delete one", page="trustedca_list",
         store=lambda: {"SslCA_Entry0": cert_slot(certificate("/O=Wy Test/CN=" + IMG)),
                        "SslCA_Entry1": {"Frag0": "No"},
                        "SslCA_Entry2": cert_slot(certificate("/O=Quote \"x\" Ltd/CN=Third CA"))},
         nrows=2, lang=0, rows={0: {0: "ca1.pem", 2: "ca"}, 1: {0: "ca3.pem", 2: "ca"}},
         contains=["CN=" + IMG, "Third CA"], screenshot="trustedca_list.png", then="delete_certificate"),
]

# What the stage reads from the list frame in one go.
READ_LIST = """
var main = window.frames['main'];
if (!main || !main.document || main.document.readyState != 'complete') return null;
var list = main.document.getElementById('list');
var d = list && list.contentDocument;
if (!d || d.readyState != 'complete' || !d.body || d.location.href == 'about:blank') return null;
var rows = [], icons = [];
d.querySelectorAll('tr').forEach(function (tr) {
  if (tr.querySelector('.tableTitle, span[id]')) return;
  if (tr.querySelector('table')) return;
  rows.push(Array.from(tr.cells).map(function (c) { return c.textContent.trim(); }));
  icons.push(Array.from(tr.querySelectorAll('img')).map(function (i) { return i.src.split('/').pop(); }));
});
return {
  rows: rows,
  icons: icons,
  spans: Array.from(d.querySelectorAll('span[id]')).map(function (s) { return [s.id, s.textContent]; }),
  arrays: (function () {
    var m = {}, re = /getElementById\("([^"]+)"\)\.innerHTML = ([A-Za-z_0-9]+)\[/g, r;
    Array.from(d.scripts).forEach(function (s) {
      while ((r = re.exec(s.textContent)) !== null) m[r[1]] = r[2];
    });
    return m;
  })(),
  text: d.body.textContent,
  planted: d.querySelectorAll('img[src="x"]').length +
    Array.from(d.scripts).filter(function (s) { return s.textContent.indexOf('pwned') >= 0; }).length,
  pwned: window.top.pwned || null
};
"""


class Stage:
    def __init__(self, build, out):
        self.gwsim = os.path.join(build, "bin", "gwsim")
        self.out = out
        self.lang = languages()
        self.work = tempfile.mkdtemp(prefix="wybrowser.", dir="/tmp")
        self.gw = os.path.join(self.work, "gw")
        self.driver = None

    def sh(self, *args, check=True):
        r = subprocess.run([self.gwsim] + list(args), capture_output=True, text=True, timeout=120)
        if check and r.returncode != 0:
            raise RuntimeError("gwsim %s: %s" % (" ".join(args), r.stderr))
        return r

    def start(self):
        self.sh("create", self.gw)
        # The daemon takes the gateway and its web server down if we die.
        open(os.path.join(self.gw, ".temporary"), "w").close()
        self.sh("start", self.gw, "--owner", str(os.getpid()))
        self.base = self.sh("web", self.gw, "--port", "0").stdout.strip()
        print("web interface at %s" % self.base, flush=True)
        profile = tempfile.mkdtemp(prefix="profile.", dir=self.work)
        opts = webdriver.ChromeOptions()
        opts.binary_location = "/usr/bin/chromium"
        for a in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1280,720", "--user-data-dir=" + profile):
            opts.add_argument(a)
        opts.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=opts)
        self.driver.set_page_load_timeout(DEADLINE)

    def stop(self):
        if self.driver:
            self.driver.quit()
        self.sh("stop", self.gw, check=False)
        shutil.rmtree(self.work, ignore_errors=True)

    def store(self, store):
        with open(os.path.join(self.gw, "root", "tmp", "var", "romfile.cfg"), "w", encoding="utf-8") as f:
            f.write(romfile(store))

    def store_get(self, node, attr):
        r = self.sh("run", self.gw, "--", "wyapi", "get", node, attr, check=False)
        return r.stdout.rstrip("\n") if r.returncode == 0 else None

    def wait(self, what, cond):
        end = time.monotonic() + DEADLINE
        while time.monotonic() < end:
            v = cond()
            if v:
                return v
            time.sleep(0.1)
        raise AssertionError("timed out waiting for " + what)

    def read_list(self, min_version=None):
        self.driver.switch_to.default_content()
        return self.driver.execute_script(READ_LIST)

    def console_errors(self):
        return [e["message"] for e in self.driver.get_log("browser") if e["level"] == "SEVERE"]

    def load(self, page):
        self.driver.get(self.base + page + ".html")
        return self.wait(page + " in its frame", self.read_list)

    def check_view(self, case, view, lang):
        errs = []
        if "nrows" in case and len(view["rows"]) != case["nrows"]:
            errs.append("%d rows, want %d: %r" % (len(view["rows"]), case["nrows"], view["rows"]))
        for r, cells in case.get("rows", {}).items():
            if r >= len(view["rows"]):
                errs.append("no row %d" % r)
                continue
            for col, want in cells.items():
                row = view["rows"][r]
                got = row[col] if col < len(row) else None
                if got != want:
                    errs.append("row %d column %d shows %r, want %r" % (r, col, got, want))
        for r, names in case.get("icons", {}).items():
            got = view["icons"][r] if r < len(view["icons"]) else []
            for name in names:
                if name not in got:
                    errs.append("row %d has no icon %s (it has %r)" % (r, name, got))
        for text in case.get("contains", []):
            if text not in view["text"]:
                errs.append("the page does not show %r" % text)
        # Each heading span holds the text of the array the page's own
        # script names for it, in the store's language.
        filled = [(sid, view["arrays"][sid], text) for sid, text in view["spans"] if sid in view["arrays"]]
        if not filled:
            errs.append("no heading span filled by the page's script")
        for sid, array, text in filled:
            want = self.lang.get(array, ("?", "?"))[lang]
            if text != want:
                errs.append("heading %s (array %s) reads %r, want %r" % (sid, array, text, want))
        if view["planted"]:
            errs.append("stored markup became %d element(s)" % view["planted"])
        if view["pwned"]:
            errs.append("stored script ran: %s" % view["pwned"])
        return errs

    def in_list(self):
        self.driver.switch_to.default_content()
        self.driver.switch_to.frame("main")
        self.driver.switch_to.frame("list")

    def delete_rule(self, case):
        self.in_list()
        self.driver.find_element(By.CSS_SELECTOR, "a[onclick='doDeleteRule(1)']").click()
        view = self.wait("the list of two rules", lambda: (lambda v: v if v and len(v["rows"]) == 2 else None)(self.read_list()))
        errs = []
        if self.store_get("Firewall_Common", "LANtoWANNum") != "2":
            errs.append("counter after delete: %r" % self.store_get("Firewall_Common", "LANtoWANNum"))
        if self.store_get("Firewall_LANtoWAN_Entry1", "SrcStartIPAddr") != "192.168.1.12":
            errs.append("entry 1 after delete is not the former third rule")
        if self.store_get("Firewall_LANtoWAN_Entry2", "Active") is not None:
            errs.append("entry 2 still there")
        if [r[2] for r in view["rows"]] != ["192.168.1.10", "192.168.1.12"]:
            errs.append("rows after delete: %r" % view["rows"])
        return errs

    def move_rule(self, case):
        self.in_list()
        self.driver.find_element(By.CSS_SELECTOR, "a[onclick='doshowmove(2)']").click()
        self.driver.switch_to.default_content()
        self.driver.switch_to.frame("main")
        box = self.driver.find_element(By.ID, "move")
        if not box.is_displayed():
            return ["the move control did not show"]
        box.find_element(By.NAME, "MoveTo").send_keys("0")
        box.find_element(By.CSS_SELECTOR, "input[type=submit]").click()
        view = self.wait("the list after the move", lambda: (lambda v: v if v and v["rows"] and v["rows"][0][2] == "192.168.1.12" else None)(self.read_list()))
        errs = []
        if [r[2] for r in view["rows"]] != ["192.168.1.12", "192.168.1.11", "192.168.1.12"]:
            errs.append("rows after move: %r" % view["rows"])
        if self.store_get("WebCurSet_Entry", "firewallrule_id") != "2":
            errs.append("firewallrule_id is not the moved rule")
        return errs

    def firmware_pages(self):
        """The programs of the firmware tree's cgi-bin that print an HTML page."""
        pages = []
        cgi = os.path.join(self.gw, "root", "userfs", "cgi-bin")
        for name in sorted(os.listdir(cgi)):
            path = os.path.join(cgi, name)
            if not os.access(path, os.X_OK):
                continue
            r = subprocess.run([self.gwsim, "run", self.gw, "--", path], capture_output=True,
                               stdin=subprocess.DEVNULL, timeout=120)
            if r.stdout.startswith(b"Content-Type: text/html"):
                pages.append(name)
        return pages

    def coverage(self):
        """Every page of the firmware tree has a frame page and a case here."""
        framed = [row.split("\t")[0] for row in open(os.path.join(HERE, "..", "pages.tsv"), encoding="utf-8")
                  if row.strip() and not row.startswith("#")]
        cased = {c["page"] for c in CASES}
        errs = []
        pages = self.firmware_pages()
        for page in pages:
            if page not in framed:
                errs.append("%s has no frame page (platform/web/pages.tsv)" % page)
            if page not in cased:
                errs.append("%s has no browser case" % page)
        if not pages:
            errs.append("no page found in the firmware tree")
        print("pages of the firmware tree: %s" % " ".join(pages))
        return errs

    def delete_service(self, case):
        self.in_list()
        self.driver.find_element(By.CSS_SELECTOR, "a[onclick='doDeleteRule(0)']").click()
        view = self.wait("the list of two services", lambda: (lambda v: v if v and len(v["rows"]) == 2 else None)(self.read_list()))
        errs = []
        if self.store_get("Firewall_Common", "ServiceNum") != "2":
            errs.append("ServiceNum after delete: %r" % self.store_get("Firewall_Common", "ServiceNum"))
        if self.store_get("FWService_Entry0", "ServiceName") != "Web":
            errs.append("entry 0 after delete is not the former second service")
        if self.store_get("FWService_Entry2", "ServiceName") is not None:
            errs.append("entry 2 still there")
        if [r[1] for r in view["rows"]] != ["Web", "Mail"]:
            errs.append("rows after delete: %r" % view["rows"])
        return errs

    def select_service(self, case):
        self.in_list()
        select = self.driver.find_element(By.ID, "FWRCfg_ServiceSrc_ID")
        options = select.find_elements(By.TAG_NAME, "option")
        errs = []
        first = [o.get_attribute("textContent") for o in options[:4]]
        want = [self.lang["Firewall_Available_Server_%d" % n][1] for n in (1, 2, 3, 4)]
        if first != want:
            errs.append("first four options read %r, want %r" % (first, want))
        label = QUOTE + "[UDP/5000:5100]"
        mine = [o for o in options if o.get_attribute("value") == label]
        if len(options) != 65 or len(mine) != 1:
            return errs + ["%d options, %d with the user service's value" % (len(options), len(mine))]
        mine[0].click()
        self.driver.switch_to.default_content()
        self.driver.switch_to.frame("main")
        field = self.driver.find_element(By.NAME, "FWRCfg_ServiceSelect")
        if field.get_attribute("value") != label:
            errs.append("FWRCfg_ServiceSelect holds %r" % field.get_attribute("value"))
        return errs

    def delete_certificate(self, case):
        self.in_list()
        self.driver.find_element(By.CSS_SELECTOR, "a[onclick='delClick(this.id);'][id='2']").click()
        view = self.wait("the list of one certificate", lambda: (lambda v: v if v and len(v["rows"]) == 1 else None)(self.read_list()))
        errs = []
        if self.store_get("SslCA_Entry2", "Frag0") is not None:
            errs.append("slot 3 is still in the store")
        if view["rows"][0][0] != "ca1.pem":
            errs.append("rows after delete: %r" % view["rows"])
        return errs

    def run_case(self, case):
        self.store(case["store"]() if callable(case["store"]) else case["store"])
        self.driver.get_log("browser")  # drop what earlier cases left
        view = self.load(case["page"])
        errs = self.check_view(case, view, case["lang"])
        if case.get("screenshot"):
            self.driver.switch_to.default_content()
            self.driver.save_screenshot(os.path.join(self.out, case["screenshot"]))
        if case.get("then"):
            errs += getattr(self, case["then"])(case)
        errs += ["console: " + m for m in self.console_errors()]
        return errs


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    build, out = (os.path.abspath(a) for a in sys.argv[1:])
    os.makedirs(out, exist_ok=True)
    only = os.environ.get("WY_BROWSER_CASES")
    stage = Stage(build, out)
    passed = failed = 0
    try:
        stage.start()
        errs = stage.coverage()
        for e in errs:
            print("FAIL %s" % e)
        if errs:
            failed += 1
        else:
            passed += 1
            print("ok   every page of the firmware tree has a frame page and a case")
        for case in CASES:
            if only and only not in case["name"]:
                continue
            try:
                errs = stage.run_case(case)
            except Exception:  # one broken case must not hide the others
                errs = [traceback.format_exc()]
            if errs:
                failed += 1
                print("FAIL %s" % case["name"])
                for e in errs:
                    print("     %s" % e)
            else:
                passed += 1
                print("ok   %s" % case["name"])
            sys.stdout.flush()
    finally:
        stage.stop()
    print("browser: %d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())

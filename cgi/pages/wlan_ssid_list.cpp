// wlan_ssid_list: the additional wireless networks (entries 1 and up), with
// their state and security in words of the page's language.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "lan_table.h"
#include "out.h"
#include "page_parts.h"
#include "row_count.h"
#include "store.h"

namespace {

constexpr SpanText kSpans[] = {
    {"Status", nullptr},
    {"Modify", nullptr},
    {"Security", nullptr},
};

struct Word {
    const char *stored, *shown;
};

constexpr Word kSecurity[] = {
    {"WEP-64Bits", "Static WEP"}, {"WEP-128Bits", "Static WEP"},
    {"WPAPSK", "WPA-PSK"},        {"WPA2PSK", "WPA2-PSK"},
    {"WPAPSKWPA2PSK", "WPA-PSKWPA2-PSK"}, {"WPA1WPA2", "WPA/WPA2"},
};

using Text = char[128];

void print_start()
{
    frame_header();
    fputs("<html><head><meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
          "<meta http-equiv=\"Pragma\" content=\"no-cache\">"
          "<link rel=\"stylesheet\" href=\"../control.css\" type=\"text/css\">\n",
          stdout);
    frame_style_block();
    frame_head_end();
    frame_script_src("../General.js");
    frame_script_src("../Multi_Language.js");
    frame_script(kSpans, sizeof kSpans / sizeof kSpans[0], kLanDeleteByIndex);
    fputs("<body marginwidth=\"0\" marginheight=\"0\" LINK=#000000 VLINK=#000000 ALINK=#000000  "
          "class=\"main\" bgcolor=\"#FFFFFF\" topmargin=\"10\" leftmargin=\"0\" >"
          "<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" "
          "bordercolor=\"#FFFFFF\"><tr bgcolor=\"#003399\">"
          "<td width=\"5%\" align=\"center\" class=\"tableTitle\">#</td>"
          "<td width=\"10%\" align=\"center\" class=\"tableTitle\"><span id='Status'></span></td>"
          "<td width=\"35%\" align=\"center\" class=\"tableTitle\">SSID</td>"
          "<td width=\"25%\" align=\"center\" class=\"tableTitle\"><span id='Security'></span></td>"
          "<td align=\"center\" class=\"tableTitle\"><span id='Modify'></span></td></tr>\n",
          stdout);
}

const char *wlan_security_word(const char *auth_mode)
{
    for (const Word &w : kSecurity)
        if (strcmp(auth_mode, w.stored) == 0)
            return w.shown;
    return auth_mode;
}

const char *wlan_state_word(const char *ap_on, int language_index)
{
    bool on = strcmp(ap_on, "1") == 0;
    if (language_index == 1)
        return on ? "Aktif" : "Pasif";
    return on ? "Active" : "InActive";
}

} // namespace

int main()
{
    // The state words are printed in the rows, so the language comes first.
    int language = frame_language_index();
    print_start();

    int count = 0;
    // Unreadable count: the document ends after the heading row.
    if (!row_count_read("WLan_Common", "BssidNum", kMaxBssids, &count))
        return -1;
    for (int i = 1; i < count; ++i) {
        char node[32];
        snprintf(node, sizeof node, "WLan_Entry%d", i);
        Text ssid, auth, ap_on;
        store_get_or(node, "SSID", ssid, sizeof ssid, "N/A");
        store_get_or(node, "AuthMode", auth, sizeof auth, "N/A");
        store_get_or(node, "APOn", ap_on, sizeof ap_on, "N/A");
        printf("<tr class=\"tabcolor%d\">\n", row_class_by_index(i));
        html_out("<td align=\"center\"><strong>%d</strong></td><td align=\"center\">%s</td>"
                 "<td align=\"center\">%s</td><td align=\"center\">%s</td>",
                 i, wlan_state_word(ap_on, language), ssid, wlan_security_word(auth));
        printf("<td align=\"center\"><font style= \"cursor:hand;cursor:pointer;\">"
               "<a onClick=\"javascript:top.main.window.location="
               "'/cgi-bin/WLAN_MoreAP_Edit.asp?AP_CurrentIndex='+%d\">"
               "<img src=\"/i_edit.gif\"  width=\"19\" height=\"14\"  border=\"0\"></a>"
               "<a onClick=\"doDeleteRule(%d)\"><img src=\"../trashcan.gif\" border=\"0\"></a>"
               "</font></td></tr>",
               i, i);
    }
    frame_footer(language);
    return 0;
}

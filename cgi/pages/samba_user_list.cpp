// samba_user_list: the 16 file-sharing user slots, one row each, set or not.
// The rows and the footer are built in memory and sent in one piece.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "lan_table.h"
#include "out.h"
#include "store.h"

namespace {

// Each row is at most about 800 bytes of fixed text plus a user name of up to
// 63 bytes escaped to at most 6 bytes each; 16 rows and the footer fit with
// room to spare. The stream never writes past the buffer.
constexpr size_t kTableBytes = 32 * 1024;
char g_table[kTableBytes];

using Text = char[64];

void print_head()
{
    frame_header();
    fputs("<html><head><meta http-equiv=Content-Script-Type content=text/javascript>"
          "<meta http-equiv=Content-Style-Type content=text/css>"
          "<meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
          "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\">\r \n"
          "<style type=\"text/css\">\r \n"
          ".main {\r \n"
          "font-family: Verdana, Arial, Helvetica, sans-serif;\r \n"
          "font-size: 11px;\r \n"
          "font-weight: normal;\r \n"
          "color: #000000;\r \n"
          "margin: 0px;\r \n"
          "background-attachment: fixed;\r \n"
          "background-image:none;\r \n"
          "}\r \n"
          "</style>\r \n"
          "</head>\r \n"
          "<script type=\"text/javascript\" src=\"/General.js\" ></script>\r \n"
          "<script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script>\r \n"
          "<script language=\"JavaScript\">\r \n"
          "function Multi_Language(Index)\r \n"
          "{\r \n"
          "language_Index=parseInt(Index);\r \n"
          "document.getElementById(\"Active\").innerHTML = Active[language_Index];\r \n"
          "document.getElementById(\"UserName_Text\").innerHTML = UserName_Text[language_Index];\r \n"
          "document.getElementById(\"Modify\").innerHTML = Modify[language_Index];\r \n"
          "}\r \n"
          "function doFindCurrentRule(CurrentIndex)\r \n"
          "{\r \n"
          "top.main.document.forms[0].returnCurrentIndex.value = CurrentIndex;\r \n"
          "}\r \n"
          "function doEditRule()\r \n"
          "{\r \n"
          "top.main.location = \"/cgi-bin/FS_add.asp?returnCurrentIndex=\" + "
          "top.main.document.forms[0].returnCurrentIndex.value;\r \n"
          "}\r \n"
          "function doDeleteRule()\r \n"
          "{\r \n"
          "top.main.document.forms[0].submit();\r \n"
          "}\r \n"
          "</script>\r \n"
          "<body marginwidth=\"0\" marginheight=\"0\" LINK=#000000 VLINK=#000000 ALINK=#000000 >"
          "<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" "
          "bordercolor=\"#FFFFFF\" bgcolor=\"#FFFFFF\">\n"
          "<tr><td width=\"5%\" class=\"tableTitle\"><div align=\"center\">#</div></td>\n"
          "<td width=\"10%\" class=\"tableTitle\"><div align=\"center\"><span id='Active'></span></div></td>\n"
          "<td class=\"tableTitle\"><div align=\"center\"><span id='UserName_Text'></span></div></td>\n"
          "<td width=\"15%\" class=\"tableTitle\"><div align=\"center\"><span id='Modify'></span></div></td>\n"
          "</tr> ",
          stdout);
}

// The store's failure texts and the empty text show as "N/A"; whether the
// read succeeded is not asked.
void read_shown(const char *node, const char *attr, Text value)
{
    value[0] = '\0';
    store_get(node, attr, value, sizeof(Text));
    if (value[0] == '\0' || strcmp(value, WYAPI_NO_ATTR) == 0 || strcmp(value, WYAPI_NO_NODE) == 0)
        snprintf(value, sizeof(Text), "N/A");
}

void build_row(FILE *t, int i)
{
    char node[32];
    snprintf(node, sizeof node, "Smbd_Entry%d", i);
    Text active, user;
    read_shown(node, "Active", active);
    read_shown(node, "username", user);
    // Fixed text: its percent sign is a literal, not a directive.
    fputs(row_class_by_index(i) == 1 ? " <tr class=\"tabcolor1\"><td width=\"5%\"><div align=\"center\">"
                                     : " <tr class=\"tabcolor2\"><td width=\"5%\"><div align=\"center\">",
          t);
    html_fout(t, " <strong>%d</strong></div></td>\n", i + 1);
    html_fout(t, " <td width=\"10%%\" align=\"center\"><input type=\"checkbox\" %s disabled></td>\n",
              strcmp(active, "Yes") == 0 ? "checked" : "");
    html_fout(t, " <td><div align=\"center\">%s</div></td>\n", user);
    fputs(" <td width=\"15%\" align=\"center\"><font style= \"cursor:hand;cursor:pointer;\">\n", t);
    html_fout(t,
              " <a onClick=\"doFindCurrentRule(%d); doEditRule();\" onMouseOut=\"MM_swapImgRestore()\" "
              "onMouseOver=\"MM_swapImage('Image260','','/i_edit_on.gif',1)\">"
              "<img src=\"/i_edit.gif\" name=\"Image260\" width=\"19\" height=\"14\" border=\"0\"></a>\n",
              i);
    html_fout(t,
              " <a onClick=\"doFindCurrentRule(%d); doDeleteRule();\" onMouseOut=\"MM_swapImgRestore()\" "
              "onMouseOver=\"MM_swapImage('Image290','','/i_delete_on.gif',1)\">"
              "<img src=\"/i_delete.gif\" name=\"Image290\" width=\"19\" height=\"14\" border=\"0\"></a>"
              "</font></td></tr>\n",
              i);
}

} // namespace

int main()
{
    print_head();
    // Without a memory stream the table goes out piece by piece instead.
    FILE *mem = fmemopen(g_table, sizeof g_table, "w");
    FILE *t = mem ? mem : stdout;
    for (int i = 0; i < kFixedSlots; ++i)
        build_row(t, i);
    html_fout(t, " </table></body><script language=\"JavaScript\">Multi_Language(%d);</script></html>",
              frame_language_index());
    if (mem) {
        fflush(mem);
        long len = ftell(mem);
        fclose(mem);
        if (len > 0)
            fwrite(g_table, 1, static_cast<size_t>(len), stdout);
    }
    fputs("\n", stdout);
    fflush(stdout);
    return 0;
}

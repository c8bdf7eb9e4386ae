// trustedca_list: the trusted CA certificates of the four slots, one row per
// slot in use whose certificate gives a subject line (run certsubj for it).
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "frame.h"
#include "out.h"
#include "store.h"
#include "sysroot.h"
#include "utf8.h"

namespace {

constexpr int kSlots = 4;
constexpr size_t kSubjectMax = 99;

constexpr const char *kHead =
    "<html><head><meta http-equiv='content-type' content='text/html;charset=iso-8859-1'>"
    "<meta http-equiv=\"Pragma\" content=\"no-cache\">"
    "<meta name=\"generator\" content=\"GoLive CyberStudio 3\">"
    "<link rel=\"stylesheet\" href=\"../control.css\" type=\"text/css\"></head>\n";

constexpr const char *kScript =
    "<script type=\"text/javascript\" src=\"../Multi_Language.js\" ></script>"
    "<script language=\"JavaScript\">\n"
    "function Multi_Language(Index){language_Index=parseInt(Index);"
    "document.getElementById(\"Name_Text\").innerHTML = Name_Text[language_Index];"
    "document.getElementById(\"Subject_Text\").innerHTML = Subject_Text[language_Index];"
    "document.getElementById(\"Type\").innerHTML = Type[language_Index];"
    "document.getElementById(\"Action_Text\").innerHTML = Action_Text[language_Index];}\n"
    "function delClick(entry){\n"
    "\tvar f=top.main.document.trustedCA;\n"
    "\tf.delFlag.value = 1;\n"
    "\tf.delnum.value = entry;\n"
    "\tf.submit();\n"
    "\treturn;\n"
    "}\n"
    "function viewClick(entry){\n"
    "\ttop.main.window.location='/cgi-bin/trustedCA_view.asp?viewNum=' + entry;\n"
    "return;\n"
    "\t}\n"
    "</script>\n";

constexpr const char *kTable =
    "<body><table id=\"CgiInnerTable\" width=\"100%\"  height=\"100%\" border=\"1\" align=\"center\" "
    "cellpadding=\"1\" cellspacing=\"0\" bordercolor=\"#FFFFFF\">\n"
    "                <tr>\n"
    "                  <td align=\"center\" width=\"12%\" class=\"tableTitle\"><span id='Name_Text'></span></td>\n"
    "                  <td align=\"center\" class=\"tableTitle\"><span id='Subject_Text'></span></td>\n"
    "                  <td align=\"center\" width=\"10%\" class=\"tableTitle\"><span id='Type'></span></td>\n"
    "                  <td align=\"center\" width=\"7%\" class=\"tableTitle\"><span id='Action_Text'></span></td>\n"
    "                </tr>\n";

// "Frag0" of the slot's entry reads and is not "No". Long enough that a cut
// value cannot read "No".
bool slot_in_use(int index)
{
    char node[32], value[8];
    snprintf(node, sizeof node, "SslCA_Entry%d", index);
    return store_get(node, "Frag0", value, sizeof value) == WYAPI_OK && strcmp(value, "No") != 0;
}

bool subject_path(char *out, size_t size, int slot)
{
    char device[48];
    snprintf(device, sizeof device, "/tmp/Certificates/CA%d.subject", slot);
    return wy_path(out, size, device) != nullptr;
}

// The first line of the subject file, cut to kSubjectMax bytes of whole
// characters. False when the file cannot be opened.
bool read_subject(const char *path, char (&line)[kSubjectMax + 1])
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return false;
    // Three bytes past the limit show whether a character straddles it.
    char buf[kSubjectMax + 4];
    size_t n = fread(buf, 1, sizeof buf, f);
    fclose(f);
    const char *nl = static_cast<const char *>(memchr(buf, '\n', n));
    if (nl)
        n = static_cast<size_t>(nl - buf);
    n = utf8_cut(buf, n, kSubjectMax);
    memcpy(line, buf, n);
    line[n] = '\0';
    return true;
}

void print_slot(int slot)
{
    int index = slot - 1;
    bool in_use = slot_in_use(index);
    char path[PATH_MAX];
    if (!subject_path(path, sizeof path, slot))
        return;
    // A subject left by an earlier run must not stand for a certificate that
    // no longer gives one.
    unlink(path);
    char cmd[64];
    snprintf(cmd, sizeof cmd, "/userfs/bin/certsubj index %d", slot);
    wy_system(cmd); // its status tells nothing: the subject file does
    char subject[kSubjectMax + 1];
    if (!read_subject(path, subject) || !in_use)
        return;
    html_out("<tr class=\"tabcolor2\" align=\"center\"><td>ca%d.pem</td><td class=\"table_font\">%s</td>"
             "<td>ca</td><td><div align=\"center\"> <font style= \"cursor:hand;cursor:pointer;\">"
             "<a onClick=\"viewClick(this.id);\" id=%d><img src=\"../i_edit.gif\" width=\"19\" "
             "height=\"14\"  border=0 ></a><a onClick=\"delClick(this.id);\" id=%d>"
             "<img src=\"../trashcan.gif\"  border=0></a> </font></div></td></tr>\n",
             slot, subject, index, index);
}

} // namespace

int main()
{
    frame_header();
    fputs(kHead, stdout);
    fputs(kScript, stdout);
    fputs(kTable, stdout);
    for (int slot = 1; slot <= kSlots; ++slot)
        print_slot(slot);
    wy_system("rm -rf /tmp/Certificates");
    frame_footer(frame_language_index());
    return 0;
}

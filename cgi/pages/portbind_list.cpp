// portbind_list: the port binding groups, one row per group that has at least
// one member, listing its members.
#include <stdio.h>
#include <string.h>

#include "frame.h"
#include "out.h"
#include "page_parts.h"
#include "store.h"

namespace {

constexpr int kGroups = 16;

// A group's name is at most 64 characters; a longer stored one is shown cut
// there.
constexpr size_t kNameMax = 64;

constexpr SpanText kSpans[] = {
    {"PortBind_Group_ID", nullptr},
    {"PortBind_Group_Port", nullptr},
};

// Member attributes in output order: "p0".."p7" (virtual circuits), "e1".."e4"
// (Ethernet ports), "w0".."w3" (wireless networks).
struct MemberKind {
    char attr;
    const char *shown;
    int first, last;
};

constexpr MemberKind kMembers[] = {
    {'p', "PVC", 0, 7},
    {'e', "eth", 1, 4},
    {'w', "AP", 0, 3},
};

// Longest member text: 16 members of at most "PVC7," (5 bytes each).
using MemberText = char[16 * 5 + 1];

// The members that are "Yes", each followed by a comma. False when none is.
bool read_members(const char *node, MemberText text)
{
    size_t used = 0;
    text[0] = '\0';
    for (const MemberKind &k : kMembers) {
        for (int n = k.first; n <= k.last; ++n) {
            char attr[8];
            snprintf(attr, sizeof attr, "%c%d", k.attr, n);
            // Long enough that a longer value cannot be cut down to "Yes".
            char v[8];
            if (store_get(node, attr, v, sizeof v) != WYAPI_OK || strcmp(v, "Yes") != 0)
                continue;
            int w = snprintf(text + used, sizeof(MemberText) - used, "%s%d,", k.shown, n);
            if (w < 0 || static_cast<size_t>(w) >= sizeof(MemberText) - used)
                return used > 0;
            used += static_cast<size_t>(w);
        }
    }
    return used > 0;
}

void print_group(int i, const char *node, const char *members)
{
    char name[kNameMax + 1];
    if (store_get(node, "Name", name, sizeof name) != WYAPI_OK || name[0] == '\0')
        snprintf(name, sizeof name, "Group%d", i);
    html_out("<tr><td align=\"center\" class=\"tabdata\">%s</td><td align=\"center\" class=\"tabdata\">",
             name);
    // Member texts are the program's own.
    fputs(members, stdout);
    fputs("</td></tr>\n", stdout);
}

} // namespace

int main()
{
    frame_header();
    fputs("<html><head>\n"
          "<meta http-equiv=Content-Script-Type content=text/javascript>\n"
          "<meta http-equiv=Content-Style-Type content=text/css>\n"
          "<meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\n"
          "<link rel=\"stylesheet\" href=\"/style.css\" type=\"text/css\">\n",
          stdout);
    frame_head_end();
    frame_script_src("../Multi_Language.js");
    frame_script_open(kSpans, sizeof kSpans / sizeof kSpans[0], nullptr);
    fputs("</script><body><FORM METHOD=\"POST\" name=\"VirtualCgiForm\">\n", stdout);
    fputs("<table id=\"CgiInnerTable\" align=center width=\"440\" border=\"1\" cellpadding=\"0\" "
          "cellspacing=\"0\" bordercolor=\"#CCCCCC\" bgcolor=\"#FFFFFF\">\n",
          stdout);
    fputs("<tr height=\"30\"><td width=\"100\" align=\"center\" class=\"tabdata\"><strong>"
          "<span id='PortBind_Group_ID'></span></strong></td><td align=\"center\" class=\"tabdata\">"
          "<strong><span id='PortBind_Group_Port'></span></strong></td></tr>\n",
          stdout);

    for (int i = 0; i < kGroups; ++i) {
        char node[32];
        snprintf(node, sizeof node, "PortBind_Entry%d", i);
        MemberText members;
        if (read_members(node, members))
            print_group(i, node, members);
    }
    frame_footer(frame_language_index());
    return 0;
}

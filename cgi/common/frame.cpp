#include "frame.h"

#include <stdio.h>
#include <string.h>

#include "out.h"
#include "store.h"

void frame_header()
{
    fputs("Content-Type: text/html\n\n", stdout);
}

void frame_head_a()
{
    fputs("<html><head><meta http-equiv=Content-Script-Type content=text/javascript>"
          "<meta http-equiv=Content-Style-Type content=text/css>"
          "<meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
          "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\">\n",
          stdout);
}

void frame_style_block()
{
    frame_style_open();
    fputs("</style>\n", stdout);
}

void frame_style_open()
{
    fputs("<style type=\"text/css\">\n"
          ".main {\n"
          "\tfont-family: Verdana, Arial, Helvetica, sans-serif;\n"
          "\tfont-size: 11px;\n"
          "\tfont-weight: normal;\n"
          "\tcolor: #000000;\n"
          "\tmargin: 0px;\n"
          "\tbackground-attachment: fixed;\n"
          "\tbackground-image:none;\n"
          "}\n",
          stdout);
}

void frame_head_end()
{
    fputs("</head>\n", stdout);
}

void frame_script_src(const char *src)
{
    html_out("<script type=\"text/javascript\" src=\"%s\" ></script>\n", src);
}

void frame_script(const SpanText *spans, size_t count, const char *functions)
{
    frame_script_open(spans, count, functions);
    fputs("</script>\n", stdout);
}

void frame_script_open(const SpanText *spans, size_t count, const char *functions)
{
    fputs("<script language=\"JavaScript\">\n"
          "function Multi_Language(Index)\n"
          "{\n"
          "language_Index=parseInt(Index);\n",
          stdout);
    for (size_t i = 0; i < count; ++i)
        js_out("document.getElementById(\"%s\").innerHTML = %s[language_Index];\n", spans[i].id,
               spans[i].array ? spans[i].array : spans[i].id);
    fputs("}\n", stdout);
    if (functions)
        fputs(functions, stdout);
}

void frame_body()
{
    fputs("<body class=\"main\" topmargin=\"10\" leftmargin=\"0\">\n", stdout);
}

void frame_table()
{
    fputs("<table width=\"100%\" border=\"1\" align=center cellpadding=\"1\" cellspacing=\"0\" "
          "bordercolor=\"#FFFFFF\" bgcolor=\"#FFFFFF\">\n",
          stdout);
}

void frame_footer(int language_index)
{
    printf("</table></body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n",
           language_index);
}

int frame_language_index()
{
    // Long enough that a longer value cannot be cut down to a match.
    char value[16];
    if (store_get("GUI_Entry1", "Multi_Language", value, sizeof value) != WYAPI_OK ||
        strcmp(value, "Yes") != 0)
        return 0;
    if (store_get("GUI_Entry1", "Language", value, sizeof value) != WYAPI_OK ||
        strcmp(value, "Turkey") != 0)
        return 0;
    return 1;
}

int row_class_by_index(int index)
{
    return index % 2 + 1;
}

int row_class_by_index_reversed(int index)
{
    return index % 2 == 0 ? 2 : 1;
}

int row_class_by_count(int printed)
{
    return printed % 2 == 0 ? 2 : 1;
}

#include "frame_variants.h"

#include <stdio.h>

#include "out.h"

void frame_head_close()
{
    fputs("</head>", stdout);
}

void frame_include(const char *src)
{
    frame_include_eol(src, "");
}

void frame_script_one_line(const SpanText *spans, size_t count, const char *tail)
{
    fputs("<script language=\"JavaScript\">function Multi_Language(Index){"
          "language_Index=parseInt(Index);",
          stdout);
    for (size_t i = 0; i < count; ++i)
        js_out("document.getElementById(\"%s\").innerHTML = %s[language_Index];", spans[i].id,
               spans[i].array ? spans[i].array : spans[i].id);
    if (tail)
        fputs(tail, stdout);
    fputs("}</script>\n", stdout);
}

void frame_footer_no_table(int language_index)
{
    printf("</body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n",
           language_index);
}

void frame_head_quoted_meta(const char *eol)
{
    fputs("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
          "<link rel=\"stylesheet\" href=\"/control.css\" type=\"text/css\">",
          stdout);
    fputs(eol, stdout);
}

void frame_style_block_eol(const char *eol)
{
    // frame_style_block's lines, for a head whose lines end otherwise.
    static const char *const kLines[] = {
        "<style type=\"text/css\">",
        ".main {",
        "\tfont-family: Verdana, Arial, Helvetica, sans-serif;",
        "\tfont-size: 11px;",
        "\tfont-weight: normal;",
        "\tcolor: #000000;",
        "\tmargin: 0px;",
        "\tbackground-attachment: fixed;",
        "\tbackground-image:none;",
        "}",
        "</style>",
    };
    for (const char *line : kLines) {
        fputs(line, stdout);
        fputs(eol, stdout);
    }
}

void frame_include_eol(const char *src, const char *eol)
{
    html_out("<script type=\"text/javascript\" src=\"%s\" ></script>", src);
    fputs(eol, stdout);
}

void frame_body_bgcolor()
{
    fputs("<body class=\"main\" bgcolor=\"#FFFFFF\" topmargin=\"10\" leftmargin=\"0\">", stdout);
}

// The page frame every table page shares: header, head pieces, scripts, body
// and table tags, footer, the language rule and the row classes. Each piece
// prints its literal text to standard output; a page calls them in its order.
#ifndef WY_CGI_FRAME_H
#define WY_CGI_FRAME_H

#include <stddef.h>

// A heading span filled by Multi_Language: element id and script array name
// (nullptr: the array has the id's name).
struct SpanText {
    const char *id;
    const char *array;
};

// "Content-Type: text/html\n\n".
void frame_header();
// Head block A's meta line with "/control.css", ending in a line feed.
void frame_head_a();
// The ".main" style block of head block A.
void frame_style_block();
// The style block without its closing "</style>\n", for heads that go on
// right after it.
void frame_style_open();
// "</head>".
void frame_head_end();
// "<script type=\"text/javascript\" src=\"SRC\" ></script>".
void frame_script_src(const char *src);
// The inline script: Multi_Language(Index) filling `spans`, then `functions`
// (the page's own script text, printed as it is; may be nullptr).
void frame_script(const SpanText *spans, size_t count, const char *functions);
// The same without the closing "</script>\n", for heads that go on right after it.
void frame_script_open(const SpanText *spans, size_t count, const char *functions);
// The body tag and the common table tag of most pages.
void frame_body();
void frame_table();
// "</table></body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n".
void frame_footer(int language_index);

// The language rule: 1 when "Multi_Language" of "GUI_Entry1" reads "Yes" and
// "Language" reads "Turkey", else 0.
int frame_language_index();

// Row classes ("tabcolor1"/"tabcolor2" by number).
// By entry index, index 0 first: index 0 gets 1.
int row_class_by_index(int index);
// By entry index, reversed: even index gets 2.
int row_class_by_index_reversed(int index);
// By rows already printed: the first printed row (0 before it) gets 2.
int row_class_by_count(int printed);

#endif

// Frame pieces of the pages whose head and script texts differ from the rule
// list's: the one-line Multi_Language script, includes and "</head>" without
// line ends, the footer of a page without a table, and the QoS page's head
// parts whose lines end in a caller-given line end.
#ifndef WY_CGI_FRAME_VARIANTS_H
#define WY_CGI_FRAME_VARIANTS_H

#include <stddef.h>

#include "frame.h"

// "</head>" with nothing after it.
void frame_head_close();
// "<script type=\"text/javascript\" src=\"SRC\" ></script>" with nothing after it.
void frame_include(const char *src);
// The inline script on one line: "<script language=\"JavaScript\">function
// Multi_Language(Index){language_Index=parseInt(Index);", one filler statement
// per span, `tail` (more statements of the function, may be nullptr), then
// "}</script>\n".
void frame_script_one_line(const SpanText *spans, size_t count, const char *tail);
// "</body><script language=\"JavaScript\">Multi_Language(%d);</script></html>\n":
// the footer of a page that prints no table tag.
void frame_footer_no_table(int language_index);

// The meta line with quoted attribute values and "/control.css", then `eol`.
void frame_head_quoted_meta(const char *eol);
// The ".main" style block of head block A, every line ending in `eol`.
void frame_style_block_eol(const char *eol);
// "<script type=\"text/javascript\" src=\"SRC\" ></script>" then `eol`.
void frame_include_eol(const char *src, const char *eol);
// The body tag with a white background, with nothing after it.
void frame_body_bgcolor();

#endif

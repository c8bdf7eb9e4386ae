// The escaping printers on arbitrary store values: HTML output holds no raw
// markup characters, script-string output none that end a string, a script
// or an attribute, and both decode back to the input.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "out.h"

namespace {

std::string render(Esc esc, const char *s)
{
    char *buf = nullptr;
    size_t len = 0;
    FILE *f = open_memstream(&buf, &len);
    if (!f)
        abort();
    out_escaped(f, esc, s);
    fclose(f);
    std::string out(buf, len);
    free(buf);
    return out;
}

std::string unhtml(const std::string &s)
{
    static const char *const ents[][2] = {{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool done = false;
        for (const auto &e : ents)
            if (s.compare(i, strlen(e[0]), e[0]) == 0) {
                out += e[1];
                i += strlen(e[0]);
                done = true;
                break;
            }
        if (!done)
            out += s[i++];
    }
    return out;
}

std::string unjs(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        char c = s[++i];
        if (c == 'n')
            out += '\n';
        else if (c == 'r')
            out += '\r';
        else if (c == 't')
            out += '\t';
        else if (c == 'x') {
            out += static_cast<char>(strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string in(reinterpret_cast<const char *>(data), size);
    in = in.c_str(); // values end at the first NUL
    std::string h = render(Esc::html, in.c_str());
    std::string j = render(Esc::js, in.c_str());
    if (h.find_first_of("<>\"'") != std::string::npos || unhtml(h) != in)
        abort();
    if (j.find_first_of("<>\"'&\n\r") != std::string::npos || unjs(j) != in)
        abort();
    return 0;
}

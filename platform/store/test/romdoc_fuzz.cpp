// The store file reader on arbitrary bytes: whatever parses must index, write
// out and parse back to the same content.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <string_view>

#include "romdoc.h"

namespace {

const char *const kNames[] = {"A", "A_Entry", "GUI_Entry1", "x", "Active"};

void check_same(const romdoc::Doc &a, const romdoc::Doc &b)
{
    if (a.node_count() != b.node_count())
        abort();
    for (const char *n : kNames)
        for (const char *at : kNames) {
            const char *va = a.get(n, at);
            const char *vb = b.get(n, at);
            if ((va == nullptr) != (vb == nullptr) || (va && std::string_view(va) != vb))
                abort();
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    romdoc::Doc doc;
    if (!doc.parse(std::string_view(reinterpret_cast<const char *>(data), size)))
        return 0;
    std::string text = doc.serialize();
    romdoc::Doc again;
    if (!again.parse(text))
        abort();
    check_same(doc, again);
    bool changed = false;
    if (!doc.set("A_Entry", "x", "v<&>\"\t\n", changed))
        abort();
    doc.unset("GUI_Entry1", changed);
    if (!again.parse(doc.serialize()) || std::string_view(again.get("A_Entry", "x")) != "v<&>\"\t\n" ||
        again.has_node("GUI_Entry1"))
        abort();
    return 0;
}
